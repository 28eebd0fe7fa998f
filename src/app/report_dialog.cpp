#include "app/report_dialog.h"

#include "texts/catalogue.h"

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

// The fields' labels, by Field.
constexpr std::array<texts::Text, ReportDialog::FieldCount> kLabels{texts::Text::Technician, texts::Text::Site,
                                                                    texts::Text::InstrumentTag};

} // namespace

ReportDialog::ReportDialog(int language, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("reportDialog"));
    setWindowTitle(texts::text(texts::Text::ServiceReport, language));
    auto* form = new QFormLayout;
    for (int f = 0; f < FieldCount; ++f) {
        const QString label = texts::text(kLabels[static_cast<std::size_t>(f)], language);
        auto* edit = new QLineEdit(this);
        edit->setAccessibleName(label);
        fields_[static_cast<std::size_t>(f)] = edit;
        auto* caption = new QLabel(label, this);
        caption->setBuddy(edit);
        form->addRow(caption, edit);
    }
    cutNotice_ = new QLabel(texts::text(texts::Text::ReportEntryCut, language), this);
    cutNotice_->setObjectName(QStringLiteral("cutNotice"));
    cutNotice_->setWordWrap(true);
    cutNotice_->setStyleSheet(QStringLiteral("color: #b00000;"));
    cutNotice_->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(texts::text(texts::Text::Cancel, language));
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
