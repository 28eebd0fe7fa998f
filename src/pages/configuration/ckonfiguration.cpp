#include "pages/configuration/ckonfiguration.h"

#include "core/settings_record.h"
#include "core/variants.h"
#include "pages/configuration/core/configuration_controls.h"
#include "pages/configuration/core/configuration_file.h"
#include "pages/configuration/core/field_availability.h"
#include "widgets/report_pdf.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>

namespace trgui::pages {

using configuration::Field;
using configuration::FieldKind;
using configuration::infoOf;
using configuration::kFields;

namespace {

namespace id = configuration::id;

constexpr int kClearAllQuestion = 27;

// Message numbers of the page.
constexpr int kCheckFailed = 1;
constexpr int kSaveDialogTitle = 3;
constexpr int kCannotOpenFile = 4;
constexpr int kLoadDialogTitle = 5;
constexpr int kFileNotOurs = 18;
constexpr int kNoHwVersionToSave = 22;
constexpr int kNotRead = 17;
constexpr int kWriteDiffers = 36;

// The message of each outcome of a write.
struct WriteMessage {
    core::ServiceOutcome outcome;
    int message;
};
constexpr int kWriteDiffersUnacknowledged = 44;
constexpr WriteMessage kWriteMessages[] = {
    {core::ServiceOutcome::StateUnknown, 43},
    {core::ServiceOutcome::Verified, 6},
    {core::ServiceOutcome::Differs, kWriteDiffers},
    {core::ServiceOutcome::NotVerified, 37},
    {core::ServiceOutcome::StoredUnacknowledged, 41},
    {core::ServiceOutcome::UnchangedUnacknowledged, 42},
    {core::ServiceOutcome::DiffersUnacknowledged, kWriteDiffersUnacknowledged},
};

int messageOf(core::ServiceOutcome outcome)
{
    for (const auto& entry : kWriteMessages) {
        if (entry.outcome == outcome)
            return entry.message;
    }
    return kWriteMessages[0].message;
}

const QString kFileFilter = QStringLiteral("*.* (*)");

// The model's name, or "?" for a code that names none.
QString modelText(int code)
{
    const QString name = core::variants::modelText(code);
    return name.isEmpty() ? QStringLiteral("?") : name;
}

} // namespace

CKonfiguration::CKonfiguration(QWidget* parent)
    : PageBase(parent), tabTitle_(tabTitleFor(texts::Text::ReportConfiguration))
{
}

void CKonfiguration::setShared(core::SettingsRecord* settings, core::DeviceConnection* connection, core::DeviceLock* lock)
{
    settings_ = settings;
    if (settings)
        labels_ = configuration::fieldLabelsFrom(settings->programDirectory);
    connection_ = connection;
    port_ = connection ? &connection->port() : nullptr;
    lock_ = lock;
    if (connection) {
        // Another model on the port: what this session knew of the old one's configuration is not this one's.
        connect(connection, &core::DeviceConnection::identified, this, [this](bool anotherDevice) {
            if (anotherDevice)
                records_.forgetDevice();
        });
    }
}

int CKonfiguration::language() const
{
    return settings_ ? settings_->language : 0;
}

int CKonfiguration::connectedCode() const
{
    return settings_ ? settings_->deviceTypeCode : 0;
}

void CKonfiguration::initialisePage()
{
    createControls(configuration::kControls);
    buildLayout();
    listLanguage_ = settings_ ? settings_->language : 0;
    fillFixedLists();
    connectHandlers();
    clearAll();
    loadTexts(texts::stem::ConfigurationLabels, texts::stem::ConfigurationHelp);
    loadMessageTable(messages_);
    nameMarkers();
}

void CKonfiguration::connectHandlers()
{
    connect(control<QComboBox>(configuration::kHwVersionCombo), &QComboBox::currentIndexChanged, this,
            &CKonfiguration::hwVersionChanged);
    const auto digitsOnly = QRegularExpression(QStringLiteral("[0-9 ]*"));
    for (const auto& info : kFields) {
        const Field f = info.field;
        switch (info.kind) {
        case FieldKind::Combo:
            connect(control<QComboBox>(info.control), &QComboBox::currentIndexChanged, this, [this, f] {
                f == Field::SensorType ? sensorTypeChanged() : fieldChanged(f);
            });
            break;
        case FieldKind::Check:
            connect(control<QCheckBox>(info.control), &QCheckBox::toggled, this, [this, f] { fieldChanged(f); });
            break;
        case FieldKind::IntegerEdit:
            control<QLineEdit>(info.control)->setValidator(new QRegularExpressionValidator(digitsOnly, this));
            [[fallthrough]];
        case FieldKind::DecimalEdit:
            connect(control<QLineEdit>(info.control), &QLineEdit::textEdited, this,
                    [this, f] {
                        // Comes after textChanged: the marker is looked at again, now as typed.
                        typed_[configuration::indexOf(f)] = true;
                        fieldChanged(f);
                    });
            connect(control<QLineEdit>(info.control), &QLineEdit::textChanged, this, [this, f] { fieldChanged(f); });
            break;
        }
    }
    connect(control<QPushButton>(id::Read), &QPushButton::clicked, this, &CKonfiguration::readFromDevice);
    connect(control<QPushButton>(id::Write), &QPushButton::clicked, this, &CKonfiguration::writeToDevice);
    connect(control<QPushButton>(id::Check), &QPushButton::clicked, this, &CKonfiguration::checkConfiguration);
    connect(control<QPushButton>(id::Save), &QPushButton::clicked, this, &CKonfiguration::saveConfiguration);
    connect(control<QPushButton>(id::Load), &QPushButton::clicked, this, &CKonfiguration::loadConfiguration);
    connect(control<QPushButton>(id::ClearAll), &QPushButton::clicked, this, [this] {
        // What the technician changed since the last read or load is not
        // thrown away by a slip of the mouse.
        if (!anyChangeMarked()
            || askQuestion(messages_.caption(kClearAllQuestion), texts::messageBoxText(messages_, kClearAllQuestion)))
            clearAll();
    });
}

bool CKonfiguration::confirmClose()
{
    constexpr int kCloseWithEdits = 38;
    return !initialised() || !anyChangeMarked()
        || askQuestion(messages_.caption(kCloseWithEdits), texts::messageBoxText(messages_, kCloseWithEdits));
}

// ---- change handlers ------------------------------------------------------------------------

void CKonfiguration::hwVersionChanged(int index)
{
    // Only the technician's choice counts, but it always does: the settle
    // counter must not swallow a change of the variant.
    if (filling_)
        return;
    setControlVisible(configuration::kHwVersionChangeMarker, true);
    pageCode_ = index;
    device::updateFamily(index, pageFamily_);
    fillFamilyLists(pageFamily_);
    applyAvailability(pageCode_);
    hideErrorMarkers();
    hideChangeMarkers();
}

void CKonfiguration::sensorTypeChanged()
{
    if (filling_)
        return;
    if (settleCounter_ == 0) {
        updateChangeMarker(Field::SensorType);
        setControlVisible(infoOf(Field::SensorType).errorMarker, false);
    }
    if (pageCode_ >= 1 && pageCode_ <= core::variants::kMaxDeviceType)
        applyAvailability(pageCode_);
}

void CKonfiguration::fieldChanged(Field f)
{
    if (filling_)
        return;
    if (settleCounter_ == 0) {
        updateChangeMarker(f);
        setControlVisible(infoOf(f).errorMarker, false);
    }
    if (f == Field::VelocityUnit || f == Field::TemperatureUnit || f == Field::TotaliserUnit
        || f == Field::LimitAssignment)
        updateUnitLabels();
}

configuration::FieldLabel CKonfiguration::fieldLabel() const
{
    return [this](Field f) { return labelOf(f); };
}

bool CKonfiguration::confirmChanges(const configuration::BlockImage& next, const std::vector<Field>& changes)
{
    constexpr int kWriteQuestion = 32;
    QString intro = texts::messageBoxText(messages_, kWriteQuestion);
    // A block of another variant of the family fits the device's offsets, but its variant's fields may not.
    if (next.code != records_.held()->code) {
        intro = texts::text(texts::Text::OtherVariantNote, language())
                    .arg(modelText(next.code), modelText(records_.held()->code))
              + QLatin1Char('\n') + intro;
    }
    const QString table = configuration::comparisonTable(intro, *records_.held(), next, changes, fieldLabel(), language());
    return askQuestion(messages_.caption(kWriteQuestion), table,
                       {texts::text(texts::Text::WriteAnswer, language()), texts::text(texts::Text::Cancel, language())});
}

// ---- the buttons --------------------------------------------------------------------------------

std::optional<configuration::BlockImage> CKonfiguration::readDevice()
{
    if (!port_ || !lock_ || !settings_ || !*port_ || settings_->deviceFamily == device::Family::None)
        return std::nullopt;
    configuration::ConfigurationRead read;
    {
        BusyCursor busy;
        // Held for the block too, so no poll can come between the two requests.
        core::DeviceLockGuard guard(*lock_);
        const device::Family family = settings_->deviceFamily;
        port_->runAndWait([&](core::PortSlot::Port& port) {
            if (port)
                read = configuration::readConfiguration(*port, family);
        });
        if (read.code)
            connection_->takeFamilyOf(*read.code);
    }
    if (!read.block)
        return std::nullopt;
    const configuration::BlockImage image{settings_->deviceTypeCode, settings_->deviceFamily, *read.block};
    records_.takeRead(image);
    return image;
}

bool CKonfiguration::readFromDevice()
{
    if (!port_ || !lock_ || !settings_ || !deviceAnswers(messages_, port_, lock_))
        return false;
    if (!*port_ || settings_->deviceFamily == device::Family::None)
        return false;
    // Only a whole block is shown; the page then stays as it was, HW-Version,
    // lists and fields of one family.
    const auto image = readDevice();
    if (!image) {
        texts::showMessage(*this, messages_, kNotRead);
        return false;
    }
    selectHwVersion(image->code);
    pageCode_ = image->code;
    setControlVisible(configuration::kHwVersionChangeMarker, false);
    pageFamily_ = image->family;
    hideErrorMarkers();
    hideChangeMarkers();
    settleCounter_ = kSettleTicks;
    showDecoded(*image);
    applyAvailability(pageCode_);
    return true;
}

std::vector<core::ReportRow> CKonfiguration::reportRows() const
{
    return records_.reportRows(connectedCode(), fieldLabel(), language());
}

QString CKonfiguration::reportVerdict() const
{
    return records_.verdict(connectedCode(), fieldLabel(), language());
}

bool CKonfiguration::asLeftKnown() const
{
    return records_.asLeftKnown(connectedCode());
}

QStringList CKonfiguration::reportNotes() const
{
    return records_.reportNotes(connectedCode(), fieldLabel(), language());
}

void CKonfiguration::saveReport(const core::ReportData& data)
{
    constexpr int kReportNotSaved = 35;
    const QString path = chooseFile(FileDialog::Save, messages_.caption(kReportNotSaved), QStringLiteral("PDF (*.pdf)"),
                                    nullptr, data.number.isEmpty() ? QString() : data.number + QStringLiteral(".pdf"));
    if (path.isEmpty())
        return;
    rememberWorkingDir(path);
    const QString file = QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".pdf") : path;
    // The dialog asked about the name as typed; one that ".pdf" reaches would be replaced unasked.
    if (file != path && QFileInfo::exists(file)
        && !askQuestion(texts::text(texts::Text::ServiceReport, language()),
                        texts::text(texts::Text::ReplaceReport, language()).arg(QDir::toNativeSeparators(file))))
        return;
    QString why;
    if (!widgets::writeHtmlPdf(core::serviceReportHtml(data, settings_ ? settings_->language : 0), file, &why))
        showMessageBox(messages_.caption(kReportNotSaved),
                       texts::messageBoxText(messages_, kReportNotSaved).arg(QDir::toNativeSeparators(file), why));
}

int CKonfiguration::checkConfiguration()
{
    hideErrorMarkers();
    settleCounter_ = kSettleTicks;
    auto form = readForm();
    const auto outcome = configuration::checkConfiguration(form, limits_);
    writeBackTexts(form);
    for (int marker : outcome.errorMarkers)
        setControlVisible(marker, true);
    if (outcome.completed)
        hideChangeMarkers();
    return outcome.result;
}

void CKonfiguration::writeToDevice()
{
    // The check hides the change markers. Whatever keeps the page's values
    // from reaching the device, they stay marked, so neither the technician
    // nor the question on closing takes them for written.
    const bool variantMarked = !control(configuration::kHwVersionChangeMarker)->isHidden();
    bool pageRenewed = false;  // written and read back, or read anew instead
    const auto keepMarked = qScopeGuard([&] {
        if (!pageRenewed)
            showChangeMarkers(variantMarked);
    });
    if (checkConfiguration() != 1) {
        showChangeMarkers(variantMarked);
        texts::showMessage(*this, messages_, kCheckFailed);
        return;
    }
    // The variant to write for is the one chosen in "HW-Version".
    const auto form = readForm();
    pageCode_ = form.hwVersion;
    device::updateFamily(pageCode_, pageFamily_);
    const configuration::BlockImage next{pageCode_, pageFamily_, records_.encode(form, pageFamily_).block};
    if (!lock_ || !deviceAnswers(messages_, port_, lock_))
        return;
    // What will change is shown first, against what the device holds now:
    // it is read again, as another tool or a spare swapped in may have
    // changed it since the last read. The fields keep what the technician set.
    if (!readDevice()) {
        texts::showMessage(*this, messages_, kNotRead);
        return;
    }
    using Step = configuration::ConfigurationRecords::WriteStep;
    const auto plan = records_.planWrite(next, settings_->deviceFamily, settings_->deviceTypeCode);
    switch (plan.step) {
    case Step::OtherFamily: {
        constexpr int kOtherFamily = 30;
        showMessageBox(messages_.caption(kOtherFamily), texts::messageBoxText(messages_, kOtherFamily)
                                                            .arg(modelText(pageCode_), modelText(settings_->deviceTypeCode)));
        return;
    }
    case Step::NotReadYet: {
        constexpr int kNotReadYet = 31;
        if (askQuestion(messages_.caption(kNotReadYet), texts::messageBoxText(messages_, kNotReadYet)))
            pageRenewed = readFromDevice();
        return;
    }
    case Step::NothingChanged: {
        // The device holds what the page shows (a write whose outcome was not
        // known may have arrived after all): nothing stays marked as unwritten.
        constexpr int kNothingChanged = 29;
        records_.fill(*records_.held());
        showChangeMarkers(variantMarked);
        texts::showMessage(*this, messages_, kNothingChanged);
        return;
    }
    case Step::Confirm: break;
    }
    const configuration::BlockImage before = *records_.held();
    if (!confirmChanges(next, plan.changes))
        return;

    core::DeviceLockGuard guard(*lock_);
    configuration::WriteResult result;
    if (port_ && *port_) {
        BusyCursor busy;
        port_->runAndWait([&](core::PortSlot::Port& port) {
            if (port)
                result = configuration::writeAndReadBack(*port, before.block, next);
        });
    }
    const auto record = records_.takeWrite(before, next, plan.changes, result, settings_->deviceTypeCode,
                                           QDateTime::currentDateTime(), labels_, language());
    pageRenewed = record.written;
    if (record.written) {
        hideErrorMarkers();
        settleCounter_ = kSettleTicks;
        showDecoded(*record.stored);
        applyAvailability(pageCode_);
    } else {
        // Marked against what the device holds now, before the box says why.
        showChangeMarkers(variantMarked);
    }
    logServiceAction(messages_, core::ServiceAction::ConfigurationWrite, record.outcome, record.details);
    // Shown under the lock, so the ticks its event loop delivers keep the cycle off the line.
    const int message = messageOf(record.outcome);
    if (message == kWriteDiffers || message == kWriteDiffersUnacknowledged)
        showMessageBox(messages_.caption(message),
                       texts::messageBoxText(messages_, message).arg(record.differs.join(QLatin1Char('\n'))));
    else
        texts::showMessage(*this, messages_, message);
}

void CKonfiguration::saveConfiguration()
{
    // Decimal values are cleaned as the check cleans them, so what is saved is what is shown.
    auto form = readForm();
    for (const auto& info : kFields) {
        if (info.kind == FieldKind::DecimalEdit)
            form.textOf(info.field) = configuration::cleanedDecimal(form.textOf(info.field));
    }
    writeBackTexts(form);

    const int code = form.hwVersion;
    const device::Family family = device::familyOf(code);
    if (family == device::Family::None) {
        // A file without a variant could never be loaded again.
        setControlVisible(configuration::kHwVersionErrorMarker, true);
        texts::showMessage(*this, messages_, kNoHwVersionToSave);
        return;
    }
    pageCode_ = code;
    pageFamily_ = family;
    // Untouched fields are saved as they came: right after a read the file holds the device's block bit for bit.
    const auto encoded = records_.encode(form, family);
    bool refused = false;
    for (Field f : encoded.unfit) {
        // A field the variant lacks is stored as its bytes came out; the technician cannot edit it.
        if (configuration::isUnavailable(code, f, form.index(Field::SensorType)))
            continue;
        setControlVisible(infoOf(f).errorMarker, true);
        refused = true;
    }
    if (refused)
        return;

    const QString path = chooseFile(FileDialog::Save, messages_.caption(kSaveDialogTitle), kFileFilter);
    if (path.isEmpty())
        return;
    rememberWorkingDir(path);
    if (!configuration::saveConfigurationFile(path, configuration::configurationFileBytes(code, encoded.block)))
        texts::showMessage(*this, messages_, kCannotOpenFile);
}

void CKonfiguration::loadConfiguration()
{
    pageCode_ = control<QComboBox>(configuration::kHwVersionCombo)->currentIndex();
    device::updateFamily(pageCode_, pageFamily_);

    // A load that is cancelled or refused changes nothing on the page, its
    // markers included: the sensor type's handler below still runs, but must
    // not mark a change nobody made.
    const int sensorMarker = infoOf(Field::SensorType).changeMarker;
    const bool sensorMarked = control(sensorMarker) && !control(sensorMarker)->isHidden();
    bool loadedOne = false;
    const QString path = chooseFile(FileDialog::Open, messages_.caption(kLoadDialogTitle), kFileFilter);
    if (!path.isEmpty()) {
        rememberWorkingDir(path);
        const auto loaded = configuration::loadConfigurationFile(path);
        if (loaded.error) {
            texts::showMessage(*this, messages_,
                               *loaded.error == configuration::LoadError::CannotOpen ? kCannotOpenFile : kFileNotOurs);
        } else {
            const auto& file = *loaded.file;
            loadedOne = true;
            pageCode_ = file.code;
            pageFamily_ = device::familyOf(file.code);
            selectHwVersion(file.code);
            hideErrorMarkers();
            hideChangeMarkers();
            applyAvailability(file.code);
            showDecoded({file.code, pageFamily_, file.block});
            // Allowed (a spare is prepared that way), but said: this page cannot go to this device.
            if (settings_ && settings_->deviceFamily != device::Family::None && pageFamily_ != settings_->deviceFamily) {
                constexpr int kFileForOtherFamily = 34;
                showMessageBox(messages_.caption(kFileForOtherFamily),
                               texts::messageBoxText(messages_, kFileForOtherFamily)
                                   .arg(modelText(file.code), modelText(settings_->deviceTypeCode)));
            }
        }
    }
    sensorTypeChanged();
    if (!loadedOne)
        setControlVisible(sensorMarker, sensorMarked);
}

} // namespace trgui::pages
