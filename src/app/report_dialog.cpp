#include "app/report_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace trgui::app {

namespace {

ReportDialog::Answerer& answerer()
{
    static ReportDialog::Answerer instance;
    return instance;
}

struct Texts {
    const char* title;
    std::array<const char*, ReportDialog::FieldCount> labels;
    const char* cut;
    const char* cancel;
};
constexpr std::array<Texts, 3> kTexts{{
    {"Servicebericht", {"Techniker", "Standort", "Messstelle / Seriennummer"},
     "Ein Eintrag war zu lang für die Einstellungsdatei und wurde gekürzt. Bitte prüfen und mit OK bestätigen.",
     "Abbrechen"},
    {"Service report", {"Technician", "Site", "Instrument tag / serial number"},
     "An entry was too long for the settings file and has been shortened. Please check it and confirm with OK.",
     "Cancel"},
    {"Rapport d'intervention", {"Technicien", "Site", "Repère / numéro de série"},
     "Une saisie était trop longue pour le fichier de paramètres et a été raccourcie. Vérifiez-la et confirmez "
     "avec OK.",
     "Annuler"},
}};

} // namespace

ReportDialog::ReportDialog(int language, QWidget* parent) : QDialog(parent)
{
    const Texts& texts = kTexts[core::languageIndex(language)];
    setObjectName(QStringLiteral("reportDialog"));
    setWindowTitle(QString::fromUtf8(texts.title));
    auto* form = new QFormLayout;
    for (int f = 0; f < FieldCount; ++f) {
        const QString label = QString::fromUtf8(texts.labels[static_cast<std::size_t>(f)]);
        auto* edit = new QLineEdit(this);
        edit->setAccessibleName(label);
        fields_[static_cast<std::size_t>(f)] = edit;
        auto* caption = new QLabel(label, this);
        caption->setBuddy(edit);
        form->addRow(caption, edit);
    }
    cutNotice_ = new QLabel(QString::fromUtf8(texts.cut), this);
    cutNotice_->setObjectName(QStringLiteral("cutNotice"));
    cutNotice_->setWordWrap(true);
    cutNotice_->setStyleSheet(QStringLiteral("color: #b00000;"));
    cutNotice_->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8(texts.cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &ReportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReportDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(cutNotice_);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

void ReportDialog::accept()
{
    bool cut = false;
    for (QLineEdit* edit : fields_) {
        const QString text = edit->text().simplified();
        const QString fitting = QString::fromLocal8Bit(QByteArray::fromStdString(core::localTextWithin(text)));
        if (fitting != text) {
            edit->setText(fitting);
            cut = true;
        }
    }
    cutNotice_->setVisible(cut);
    if (!cut)
        QDialog::accept();
}

bool ReportDialog::ask()
{
    if (answerer())
        answerer()(*this);
    else
        exec();
    return result() == QDialog::Accepted;
}

void ReportDialog::setAnswerer(Answerer act)
{
    answerer() = std::move(act);
}

ReportNamesOutcome askReportNames(core::SettingsRecord& settings, QWidget* parent)
{
    // What the file holds now: a slip corrected elsewhere, or in another
    // instance, is what is offered.
    settings.loadReportNames();
    std::array<std::string*, ReportDialog::FieldCount> values{&settings.technician, &settings.site,
                                                               &settings.instrumentTag};
    ReportDialog dialog(settings.language, parent);
    for (int f = 0; f < ReportDialog::FieldCount; ++f)
        dialog.field(ReportDialog::Field(f))->setText(QString::fromLocal8Bit(QByteArray::fromStdString(*values[static_cast<std::size_t>(f)])));
    if (!dialog.ask())
        return ReportNamesOutcome::Cancelled;
    for (int f = 0; f < ReportDialog::FieldCount; ++f)
        *values[static_cast<std::size_t>(f)] = core::localTextWithin(dialog.field(ReportDialog::Field(f))->text().simplified());
    settings.reportNamesGiven = true;
    return settings.save() ? ReportNamesOutcome::Saved : ReportNamesOutcome::NotSaved;
}

} // namespace trgui::app
