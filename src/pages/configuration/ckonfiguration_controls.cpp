// The Configuration page's controls: their layout and lists, the markers
// and what screen readers call them, and moving values between the controls
// and the form or a block. What the buttons do is in ckonfiguration.cpp.

#include "pages/configuration/ckonfiguration.h"

#include "core/settings_record.h"
#include "core/variants.h"
#include "pages/configuration/core/configuration_controls.h"
#include "pages/configuration/core/field_availability.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace trgui::pages {

using configuration::Field;
using configuration::FieldKind;
using configuration::infoOf;
using configuration::kFields;

namespace {

namespace id = configuration::id;
using configuration::controlsOf;
using configuration::kButtonRow;
using configuration::kColumns;

QString utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// Units shown beside values follow these combo boxes.
int unitCombo(configuration::UnitSource source)
{
    switch (source) {
    case configuration::UnitSource::Velocity: return infoOf(Field::VelocityUnit).control;
    case configuration::UnitSource::Temperature: return infoOf(Field::TemperatureUnit).control;
    case configuration::UnitSource::Totaliser: return infoOf(Field::TotaliserUnit).control;
    }
    return 0;
}

bool isChangeMarker(int id)
{
    if (id == configuration::kHwVersionChangeMarker)
        return true;
    for (const auto& info : kFields) {
        if (info.changeMarker == id)
            return true;
    }
    return false;
}

// Sets a flag for the life of the object: the page is filling controls, and
// the change notifications that causes are not the technician's edits.
class Filling {
public:
    explicit Filling(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~Filling() { flag_ = previous_; }
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;

private:
    bool& flag_;
    bool previous_;
};

} // namespace

void CKonfiguration::buildLayout()
{
    auto* columns = new QHBoxLayout;
    for (const auto& rows : kColumns) {
        auto* grid = new QGridLayout;
        grid->setVerticalSpacing(3);
        int r = 0;
        for (const auto& fieldRow : rows) {
            const auto row = controlsOf(fieldRow);
            // The markers sit right beside their field, the unit after them.
            grid->addWidget(control(row.label), r, 0);
            grid->addWidget(control(row.field), r, 1);
            if (row.unit)
                grid->addWidget(control(row.unit), r, 4);
            for (int marker : {row.changed, row.error}) {
                auto* image = control<QLabel>(marker);
                image->setPixmap(lampPixmap(marker == row.changed ? QStringLiteral(":/trgui/marker_change.svg")
                                                                  : QStringLiteral(":/trgui/marker_error.svg"),
                                            14));
                image->setFixedSize(16, 16);
                image->hide();
            }
            grid->addWidget(control(row.changed), r, 2);
            grid->addWidget(control(row.error), r, 3);
            describeBy(row.field, row.label);
            ++r;
        }
        grid->setColumnStretch(1, 1);
        grid->setColumnMinimumWidth(4, 52);  // room for the widest unit label, "pounds"
        grid->setRowStretch(r, 1);
        columns->addLayout(grid, 1);
        columns->addSpacing(12);
    }

    auto* buttons = new QHBoxLayout;
    for (int id : kButtonRow)
        buttons->addWidget(control(id));
    buttons->addStretch();
    buttons->addWidget(logoLabel(this));

    auto* page = new QVBoxLayout(this);
    page->addLayout(columns);
    page->addWidget(serviceLogNotice());
    page->addLayout(buttons);

    std::vector<QWidget*> chain;
    for (const auto& rows : kColumns) {
        for (const auto& row : rows)
            chain.push_back(control(controlsOf(row).field));
    }
    for (int id : kButtonRow)
        chain.push_back(control(id));
    setTabChain(chain);
}

void CKonfiguration::setList(int combo, configuration::TextList entries)
{
    Filling filling(filling_);
    auto* box = control<QComboBox>(combo);
    box->clear();
    for (const char* entry : entries)
        box->addItem(utf8(entry));
    box->setCurrentIndex(-1);
}

void CKonfiguration::fillFixedLists()
{
    namespace cfg = configuration;
    setList(infoOf(Field::Language).control, cfg::deviceLanguages());
    setList(infoOf(Field::VelocityUnit).control, cfg::velocityUnits());
    setList(infoOf(Field::TemperatureUnit).control, cfg::temperatureUnits());
    setList(infoOf(Field::LimitAssignment).control, cfg::limitAssignments());
    setList(infoOf(Field::TeeFitting).control, cfg::teeFittings());
    setList(infoOf(Field::ValveFitting).control, cfg::valveFittings());
    setList(infoOf(Field::DisplayLine1).control, cfg::displayLines(listLanguage_));
    setList(infoOf(Field::DisplayLine2).control, cfg::displayLines(listLanguage_));
    setList(infoOf(Field::Medium).control, cfg::media(listLanguage_));
    setList(infoOf(Field::OperatingMode).control, cfg::operatingModes(listLanguage_));
    setList(infoOf(Field::SensorType).control, cfg::resourceSensorTypes());
    setList(infoOf(Field::VolumeFlowUnit).control, cfg::resourceVolumeFlowUnits());
    setList(infoOf(Field::TotaliserUnit).control, cfg::resourceTotaliserUnits());

    Filling filling(filling_);
    auto* variantsList = control<QComboBox>(configuration::kHwVersionCombo);
    for (auto name : core::variants::variantCodeList())
        variantsList->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    variantsList->setCurrentIndex(-1);
}

void CKonfiguration::fillFamilyLists(device::Family family)
{
    namespace cfg = configuration;
    // Before any family is known the boxes keep the lists they start with.
    const bool known = family != device::Family::None;
    setList(infoOf(Field::SensorType).control, known ? cfg::sensorTypes(family) : cfg::resourceSensorTypes());
    setList(infoOf(Field::VolumeFlowUnit).control,
            known ? cfg::volumeFlowUnits(family) : cfg::resourceVolumeFlowUnits());
    setList(infoOf(Field::TotaliserUnit).control,
            known ? cfg::totaliserUnits(family) : cfg::resourceTotaliserUnits());
}

void CKonfiguration::reloadTexts()
{
    loadTexts(texts::stem::ConfigurationLabels, texts::stem::ConfigurationHelp);
    loadMessageTable(messages_);
    nameMarkers();
}

void CKonfiguration::nameMarkers()
{
    // What the markers mean, for screen readers, in the settings language.
    const int language = settings_ ? settings_->language : 0;
    const auto name = [&](int label, int changed, int error) {
        const QString text = control<QLabel>(label)->text();
        control(changed)->setAccessibleName(text + QStringLiteral(" – ") + texts::text(texts::Text::MarkerChanged, language));
        control(error)->setAccessibleName(text + QStringLiteral(" – ") + texts::text(texts::Text::MarkerError, language));
    };
    name(configuration::kHwVersionLabel, configuration::kHwVersionChangeMarker, configuration::kHwVersionErrorMarker);
    for (const auto& info : kFields)
        name(info.label, info.changeMarker, info.errorMarker);
}

void CKonfiguration::setControlToolTip(int id, const QString& text)
{
    if (isChangeMarker(id))
        markerHelp_[id] = text;
    PageBase::setControlToolTip(id, text);
}

configuration::ConfigurationForm CKonfiguration::readForm() const
{
    configuration::ConfigurationForm form;
    form.hwVersion = control<QComboBox>(configuration::kHwVersionCombo)->currentIndex();
    for (const auto& info : kFields)
        readField(form, info.field);
    return form;
}

void CKonfiguration::readField(configuration::ConfigurationForm& form, Field f) const
{
    const auto& info = infoOf(f);
    const std::size_t i = configuration::indexOf(f);
    switch (info.kind) {
    case FieldKind::Combo: form.selection[i] = control<QComboBox>(info.control)->currentIndex(); break;
    case FieldKind::Check: form.selection[i] = control<QCheckBox>(info.control)->isChecked() ? 1 : 0; break;
    default:
        form.text[i] = control<QLineEdit>(info.control)->text();
        form.typed[i] = typed_[i];
        break;
    }
}

void CKonfiguration::writeBackTexts(const configuration::ConfigurationForm& form)
{
    Filling filling(filling_);
    for (const auto& info : kFields) {
        auto* edit = control<QLineEdit>(info.control);
        const QString& text = form.textOf(info.field);
        if (edit && edit->text() != text)
            edit->setText(text);
    }
}

void CKonfiguration::selectHwVersion(int code)
{
    Filling filling(filling_);
    auto* list = control<QComboBox>(configuration::kHwVersionCombo);
    list->setCurrentIndex(code >= 0 && code < list->count() ? code : -1);
}

void CKonfiguration::hideErrorMarkers()
{
    setControlVisible(configuration::kHwVersionErrorMarker, false);
    for (const auto& info : kFields)
        setControlVisible(info.errorMarker, false);
}

bool CKonfiguration::anyChangeMarked() const
{
    const auto marked = [this](int id) {
        const QWidget* marker = control(id);
        return marker && !marker->isHidden();
    };
    if (marked(configuration::kHwVersionChangeMarker))
        return true;
    return std::any_of(std::begin(kFields), std::end(kFields), [&](const auto& info) { return marked(info.changeMarker); });
}

void CKonfiguration::hideChangeMarkers()
{
    setControlVisible(configuration::kHwVersionChangeMarker, false);
    for (const auto& info : kFields)
        setControlVisible(info.changeMarker, false);
}

void CKonfiguration::showChangeMarkers(bool variantMarked)
{
    setControlVisible(configuration::kHwVersionChangeMarker, variantMarked);
    const auto& filled = records_.filled();
    for (const auto& info : kFields) {
        if (filled && configuration::familyCarries(filled->family, info.field))
            updateChangeMarker(info.field);
        else
            setControlVisible(info.changeMarker, false);
    }
}

void CKonfiguration::updateChangeMarker(Field f)
{
    const int marker = infoOf(f).changeMarker;
    // Only the field's own control is read: a keystroke compares one value.
    configuration::ConfigurationForm form;
    readField(form, f);
    const bool changed = records_.differsFromFilled(form, f);
    setControlVisible(marker, changed);
    if (!changed)
        return;
    // The value last read beside the help, so old and new can be compared before writing.
    const QString lastRead = lastReadText(f);
    const QString help = markerHelp_[marker];
    QString tip = help;
    if (!lastRead.isEmpty())
        tip = (help.isEmpty() ? QString() : help + QLatin1Char('\n')) + lastRead;
    PageBase::setControlToolTip(marker, tip);
}

QString CKonfiguration::lastReadText(Field f) const
{
    const auto& filled = records_.filled();
    if (!filled || !configuration::familyCarries(filled->family, f))
        return {};
    // Exactly as read, beside a field that shows it rounded.
    return texts::text(texts::Text::LastRead, language())
        .arg(configuration::valueWithUnit(*filled, f, language(), configuration::Numbers::Page));
}

QString CKonfiguration::labelOf(Field f) const
{
    return control<QLabel>(infoOf(f).label)->text();
}

void CKonfiguration::updateUnitLabels()
{
    const int assignment = control<QComboBox>(infoOf(Field::LimitAssignment).control)->currentIndex();
    for (const auto& unit : configuration::unitLabels(assignment))
        setControlText(configuration::unitLabelOf(unit.field), control<QComboBox>(unitCombo(unit.source))->currentText());
}

void CKonfiguration::applyAvailability(int code)
{
    if (!settings_)
        return;
    const int sensor = control<QComboBox>(infoOf(Field::SensorType).control)->currentIndex();
    for (Field field : configuration::kAvailabilityFields) {
        const bool unavailable = configuration::isUnavailable(code, field, sensor);
        for (int id : {infoOf(field).control, infoOf(field).label, configuration::unitLabelOf(field)}) {
            // The grey-out setting is read at each call: the Settings page may have changed it.
            if (id != 0)
                texts::setAvailable(*this, id, unavailable, settings_->ausgrauen);
        }
    }
}

void CKonfiguration::showDecoded(const configuration::BlockImage& image)
{
    const auto decoded = configuration::decodeBlock(image.family, image.block);
    if (!decoded)
        return;
    fillFamilyLists(image.family);
    {
        Filling filling(filling_);
        for (const auto& entry : configuration::blockLayout(image.family)) {
            const auto& info = infoOf(entry.field);
            const std::size_t i = configuration::indexOf(entry.field);
            switch (info.kind) {
            case FieldKind::Combo: control<QComboBox>(info.control)->setCurrentIndex(decoded->form.selection[i]); break;
            case FieldKind::Check: control<QCheckBox>(info.control)->setChecked(decoded->form.selection[i] != 0); break;
            default: control<QLineEdit>(info.control)->setText(decoded->form.text[i]); break;
            }
            setControlVisible(info.changeMarker, false);
        }
    }
    records_.fill(image);
    typed_.fill(false);
    updateUnitLabels();
}

void CKonfiguration::clearAll()
{
    {
        Filling filling(filling_);
        control<QComboBox>(configuration::kHwVersionCombo)->setCurrentIndex(-1);
        for (const auto& info : kFields) {
            switch (info.kind) {
            case FieldKind::Combo: control<QComboBox>(info.control)->setCurrentIndex(-1); break;
            case FieldKind::Check: control<QCheckBox>(info.control)->setChecked(false); break;
            case FieldKind::IntegerEdit:
            case FieldKind::DecimalEdit: control<QLineEdit>(info.control)->clear(); break;
            }
        }
    }
    typed_.fill(false);
    hideErrorMarkers();
    hideChangeMarkers();
    // The units that follow the selected units go; the fixed "bar" beside the pressure stays.
    for (const auto& rows : kColumns) {
        for (const auto& row : rows) {
            if (row.unit && row.unit != id::PressureUnit)
                setControlText(row.unit, QString());
        }
    }
}

} // namespace trgui::pages
