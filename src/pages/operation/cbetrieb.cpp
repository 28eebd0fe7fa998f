#include "pages/operation/cbetrieb.h"

#include "core/variants.h"
#include "device/page_exchanges.h"
#include "pages/operation/core/operation_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace trgui::pages {

using device::DeviceCommand;

namespace {

namespace id = operation::id;

// Message numbers of the recording.
constexpr int kSaveDialogTitle = 13;
constexpr int kCannotWriteFile = 14;
constexpr int kReplaceFile = 16;

constexpr int kValuesOld = 20;
constexpr int kRowsNotRecorded = 24;
constexpr int kCloseWhileRecording = 26;

// What the page makes of each outcome of the low-flow / zero-point telegram:
// the message shown (0: none), whether the log calls it acknowledged, and the
// zero point's result byte for the log.
struct LowFlowShown {
    device::LowFlowOutcome outcome;
    int message;
    bool acknowledged;
    const char* result;
};
constexpr LowFlowShown kLowFlowShown[] = {
    {device::LowFlowOutcome::Accepted, 7, true, ""},
    {device::LowFlowOutcome::NotAcknowledged, 8, false, ""},
    {device::LowFlowOutcome::ZeroPoint9E, 9, true, "0x9E"},
    {device::LowFlowOutcome::ZeroPoint9D, 10, true, "0x9D"},
    {device::LowFlowOutcome::ZeroPoint9F, 11, true, "0x9F"},
    {device::LowFlowOutcome::ZeroPointNoAnswer, 12, false, ""},
    {device::LowFlowOutcome::ZeroPointOther, 0, false, ""},
};

// Nothing at all when the port was gone before the telegram.
constexpr LowFlowShown kNoTelegram{device::LowFlowOutcome::NotAcknowledged, 0, false, ""};

const LowFlowShown& shownFor(const std::optional<device::LowFlowOutcome>& outcome)
{
    for (const auto& shown : kLowFlowShown) {
        if (outcome == shown.outcome)
            return shown;
    }
    return kNoTelegram;
}

} // namespace

CBetrieb::CBetrieb(QWidget* parent)
    : PageBase(parent), tabTitle_(tabTitleFor(texts::Text::OperationTab))
{
}

void CBetrieb::setShared(core::SettingsRecord* settings, core::PortSlot* port, core::DeviceLock* lock)
{
    settings_ = settings;
    port_ = port;
    lock_ = lock;
}

void CBetrieb::initialisePage()
{
    createControls(operation::kControls);
    buildLayout();

    auto* list = control<QComboBox>(id::LowFlowList);
    for (int value = 0; value <= 10; ++value)
        list->addItem(QString::number(value));
    list->setCurrentIndex(-1);
    connect(list, &QComboBox::currentIndexChanged, this, &CBetrieb::lowFlowSelectionChanged);

    for (int button : {id::RecordStart, id::RecordStop, id::SetLowFlow, id::ZeroPoint})
        setControlEnabled(button, false);
    setControlVisible(id::RecordingLamp, false);
    control<QLabel>(id::RecordingLamp)->setPixmap(lampPixmap(QStringLiteral(":/trgui/lamp_green.svg"), 18));
    nameByLanguage(id::RecordingLamp, texts::Text::RecordingLamp);

    // Contact boxes only show the device's state.
    for (const auto& box : operation::kContactBoxes) {
        control(box.control)->setAttribute(Qt::WA_TransparentForMouseEvents);
        control(box.control)->setFocusPolicy(Qt::NoFocus);
    }

    for (const auto& [button, command] : operation::kCommandButtons) {
        connect(control<QPushButton>(button), &QPushButton::clicked, this,
                [this, command = command] { sendSimpleCommand(command); });
    }
    connect(control<QPushButton>(id::SetLowFlow), &QPushButton::clicked, this, &CBetrieb::setLowFlowOrZero);
    connect(control<QPushButton>(id::ZeroPoint), &QPushButton::clicked, this, &CBetrieb::setLowFlowOrZero);
    connect(control<QPushButton>(id::RecordStart), &QPushButton::clicked, this, &CBetrieb::startRecording);
    connect(control<QPushButton>(id::RecordStop), &QPushButton::clicked, this, &CBetrieb::stopRecording);

    recording_.reset();
    rowFailureShown_ = false;

    const int language = settings_ ? settings_->language : 0;
    loadTexts(texts::stem::OperationLabels, texts::stem::OperationHelp);
    loadMessageTable(messages_);
    if (const auto name = texts::textFileName(texts::stem::OperationErrorTexts, language))
        texts::loadErrorTexts(*this, errors_, programDirectory(), *name);
    if (const auto name = texts::textFileName(texts::stem::OperationErrorHelp, language))
        texts::loadErrorHelp(*this, errors_, programDirectory(), *name);
}

void CBetrieb::buildLayout()
{
    auto* values = new QGroupBox(this);
    auto* grid = new QGridLayout(values);
    const int headings[] = {id::HeadingNow, id::HeadingMax, id::HeadingMin};
    for (int c = 0; c < 3; ++c)
        grid->addWidget(control(headings[c]), 0, c + 1, Qt::AlignCenter);
    int r = 1;
    for (const auto& row : operation::kValueTable) {
        const int cells[] = {row.label, row.now, row.max, row.min, row.unit};
        for (int c = 0; c < 5; ++c)
            grid->addWidget(control(cells[c]), r, c);
        for (int c = 1; c <= 3; ++c) {
            control<QLineEdit>(cells[c])->setAlignment(Qt::AlignRight);
            describeBy(cells[c], row.label, headings[c - 1]);
        }
        ++r;
    }
    grid->addWidget(control(id::TotaliserLabel), 4, 0);
    grid->addWidget(control(id::Totaliser), 4, 1);
    grid->addWidget(control(id::TotaliserUnit), 4, 4);
    control<QLineEdit>(id::Totaliser)->setAlignment(Qt::AlignRight);
    describeBy(id::Totaliser, id::TotaliserLabel);
    grid->addWidget(control(id::ResetTotaliser), 5, 1);
    grid->addWidget(control(id::ResetMax), 5, 2);
    grid->addWidget(control(id::ResetMin), 5, 3);
    grid->setColumnStretch(0, 3);
    for (int c = 1; c <= 3; ++c)
        grid->setColumnStretch(c, 2);
    grid->setColumnMinimumWidth(4, 80);

    auto* contacts = new QGroupBox(this);
    auto* contactBox = new QVBoxLayout(contacts);
    for (const auto& box : operation::kContactBoxes)
        contactBox->addWidget(control(box.control));
    contactBox->addStretch();

    auto* measuring = new QGroupBox(this);
    auto* measuringBox = new QVBoxLayout(measuring);
    measuringBox->addWidget(control(id::MeasurementStart));
    measuringBox->addWidget(control(id::MeasurementStop));
    auto* recordRow = new QHBoxLayout;
    recordRow->addWidget(control(id::RecordStart), 1);
    auto* lampSlot = new QWidget(measuring);
    lampSlot->setFixedSize(22, 22);
    control(id::RecordingLamp)->setParent(lampSlot);
    control(id::RecordingLamp)->setGeometry(0, 0, 22, 22);
    recordRow->addWidget(lampSlot);
    measuringBox->addLayout(recordRow);
    measuringBox->addWidget(control(id::RecordStop));
    measuringBox->addStretch();

    auto* lowFlow = new QGroupBox(this);
    auto* lowGrid = new QGridLayout(lowFlow);
    lowGrid->addWidget(control(id::LowFlowLabel), 0, 0);
    lowGrid->addWidget(control(id::LowFlow), 0, 1);
    lowGrid->addWidget(control(id::LowFlowUnit), 0, 2);
    lowGrid->addWidget(control(id::LowFlowNewLabel), 1, 0);
    lowGrid->addWidget(control(id::LowFlowList), 1, 1);
    lowGrid->addWidget(control(id::LowFlowNewUnit), 1, 2);
    lowGrid->addWidget(control(id::SetLowFlow), 2, 0);
    lowGrid->addWidget(control(id::ZeroPoint), 2, 1, 1, 2);
    control<QLineEdit>(id::LowFlow)->setAlignment(Qt::AlignRight);
    describeBy(id::LowFlow, id::LowFlowLabel);
    describeBy(id::LowFlowList, id::LowFlowNewLabel);

    auto* error = new QGroupBox(this);
    auto* errorRow = new QHBoxLayout(error);
    errorRow->addWidget(control(id::ErrorLabel));
    errorRow->addWidget(control(id::Error), 1);
    errorRow->addWidget(control(id::ResetError));
    describeBy(id::Error, id::ErrorLabel);

    auto* logo = logoLabel(this);

    auto* middle = new QHBoxLayout;
    middle->addWidget(contacts, 1);
    middle->addWidget(measuring, 1);
    middle->addWidget(lowFlow, 2);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(error, 1);
    bottom->addWidget(logo, 0, Qt::AlignBottom | Qt::AlignRight);

    // Says since when no poll has arrived; hidden while the values are fresh.
    staleNotice_ = new QLabel(this);
    staleNotice_->setObjectName(QStringLiteral("staleNotice"));
    staleNotice_->setWordWrap(true);
    staleNotice_->setStyleSheet(QStringLiteral("color: #b00000;"));
    staleNotice_->hide();

    // Says that no device answers, while no poll has come yet.
    noDeviceNotice_ = new QLabel(this);
    noDeviceNotice_->setObjectName(QStringLiteral("noDeviceNotice"));
    noDeviceNotice_->setWordWrap(true);
    noDeviceNotice_->setStyleSheet(QStringLiteral("color: #b00000;"));
    noDeviceNotice_->hide();

    // Says, while rows cannot be written, how many are lost since when and why.
    recordNotice_ = new QLabel(this);
    recordNotice_->setObjectName(QStringLiteral("recordNotice"));
    recordNotice_->setWordWrap(true);
    recordNotice_->setStyleSheet(QStringLiteral("color: #b00000;"));
    recordNotice_->hide();

    setTabChain(operation::kTabChain);

    auto* page = new QVBoxLayout(this);
    page->addWidget(values);
    page->addWidget(noDeviceNotice_);
    page->addWidget(staleNotice_);
    page->addWidget(recordNotice_);
    page->addWidget(serviceLogNotice());
    page->addLayout(middle);
    page->addLayout(bottom);
    page->addStretch();
}

void CBetrieb::setValuesStale(bool stale)
{
    valuesStale_ = stale;
    if (!staleNotice_)
        return;
    for (int field : operation::kValueFields)
        setControlEnabled(field, !stale);
    for (const auto& box : operation::kContactBoxes)
        setControlEnabled(box.control, !stale);
    if (!stale)
        applyOperationAvailability(deviceTypeCode_);  // what the variant lacks stays greyed
    if (stale) {
        const QString since = lastDelivery_.isValid() ? lastDelivery_.toString(QStringLiteral("HH:mm:ss")) : QString();
        QString text = texts::messageBoxText(messages_, kValuesOld).arg(since);
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        staleNotice_->setText(text);
        staleNotice_->setAccessibleName(text);
    }
    staleNotice_->setVisible(stale);
}

void CBetrieb::showNoDevice(const QString& text)
{
    if (!noDeviceNotice_)
        return;
    if (noDeviceNotice_->text() != text) {
        noDeviceNotice_->setText(text);
        noDeviceNotice_->setAccessibleName(text);
    }
    noDeviceNotice_->setVisible(!text.isEmpty());
}

void CBetrieb::setDeviceTypeCode(int code)
{
    if (code != deviceTypeCode_ && recording_.recording())
        recording_.modelChanged(core::variants::modelText(code));
    deviceTypeCode_ = code;
}

void CBetrieb::reloadTexts()
{
    loadTexts(texts::stem::OperationLabels, texts::stem::OperationHelp);
    loadMessageTable(messages_);
    // The notices are told again in the new language.
    if (valuesStale_)
        setValuesStale(true);
    if (recording_.recording())
        showRecordingFault();
    // The labels file blanks the unit labels; the units are the device's and
    // stay, or they would be missing until the next poll.
    showUnits();
}

void CBetrieb::showUnits()
{
    for (std::size_t i = 0; i < units_.size(); ++i)
        setControlText(operation::kUnitLabels[i], units_[i]);
}

void CBetrieb::applyOperationAvailability(int code)
{
    const int greyOut = settings_ ? settings_->ausgrauen : 0;
    for (const auto& [control, function] : operation::kVariantControls)
        texts::setAvailable(*this, control, core::variants::operationLacks(code, function), greyOut);
}

void CBetrieb::updateDisplay(const core::MeasurementRecord& r)
{
    using operation::formatValue;
    lastDelivery_ = QTime::currentTime();
    lastTotaliser_ = r.totaliser;
    setControlText(id::Velocity, formatValue(r.velocity));
    setControlText(id::VelocityMin, formatValue(r.velocityMin));
    setControlText(id::VelocityMax, formatValue(r.velocityMax));
    setControlText(id::VolumeFlow, formatValue(r.volumeFlow));
    setControlText(id::VolumeFlowMin, formatValue(r.volumeFlowMin));
    setControlText(id::VolumeFlowMax, formatValue(r.volumeFlowMax));
    setControlText(id::Temperature, formatValue(r.temperature));
    setControlText(id::Totaliser, formatValue(r.totaliser));
    setControlText(id::TemperatureMax, formatValue(r.temperatureMax));
    setControlText(id::TemperatureMin, formatValue(r.temperatureMin));
    units_ = {r.velocityUnit, r.volumeFlowUnit, r.temperatureUnit, r.totaliserUnit};
    showUnits();

    if (const auto i = texts::errorIndex(r.errorCode)) {
        const auto index = static_cast<std::size_t>(*i);
        setControlToolTip(id::Error, texts::toolTipText(errors_.help[index]));
        setControlText(id::Error, texts::fromWindows1252(errors_.texts[index]));
        lastErrorText_ = errors_.texts[index];
    }

    setControlText(id::LowFlow, QString::number(r.lowFlowSuppression));
    for (const auto& box : operation::kContactBoxes)
        control<QCheckBox>(box.control)->setChecked(((r.contactBits & box.bit) != 0) != box.activeWhenClear);

    if (recording_.recording())
        writeRow(r);
}

void CBetrieb::writeRow(const core::MeasurementRecord& record)
{
    const int language = settings_ ? settings_->language : 0;
    if (recording_.appendRow(language, record, lastErrorText_, QDateTime::currentDateTime())) {
        rowFailureShown_ = false;
        if (failingRows_ > 0) {
            failingRows_ = 0;
            showRecordingFault();
        }
        return;
    }
    if (failingRows_++ == 0)
        failingSince_ = QDateTime::currentDateTime();
    if (lostRows_++ == 0)
        firstLoss_ = failingSince_;
    showRecordingFault();
    // The row is lost and recording goes on. The box comes once per run of
    // failures, not at every poll, so an unwritable file (e.g. locked by a
    // spreadsheet) does not bury the technician in boxes.
    if (!rowFailureShown_) {
        rowFailureShown_ = true;
        texts::showMessage(*this, messages_, kCannotWriteFile);
    }
}

void CBetrieb::toggleRecordingIndicator()
{
    // A failing recording shows its lamp red and steady instead.
    if (QWidget* lamp = control(id::RecordingLamp); lamp && failingRows_ == 0)
        lamp->setVisible(!lamp->isVisible());
}

void CBetrieb::showRecordingFault()
{
    const auto told = [this](int rows, const QDateTime& since) {
        QString text = texts::messageBoxText(messages_, kRowsNotRecorded)
                           .arg(QString::number(rows), since.toString(QStringLiteral("HH:mm:ss")), recording_.lastError());
        return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    };
    const bool failing = failingRows_ > 0;
    auto* lamp = control<QLabel>(id::RecordingLamp);
    lamp->setPixmap(lampPixmap(failing ? QStringLiteral(":/trgui/lamp_red.svg") : QStringLiteral(":/trgui/lamp_green.svg"),
                               18));
    if (failing) {
        lamp->setVisible(true);
        recordNotice_->setText(told(failingRows_, failingSince_));
        recordNotice_->setAccessibleName(recordNotice_->text());
    }
    recordNotice_->setVisible(failing);
    // The rows lost stay told in the lamp's tooltip until the recording stops.
    lamp->setToolTip(lostRows_ > 0 ? told(lostRows_, firstLoss_) : QString());
}

bool CBetrieb::recordStartEnabled() const
{
    const QWidget* button = control(id::RecordStart);
    return button && button->isEnabled();
}

void CBetrieb::enableRecordStart()
{
    setControlEnabled(id::RecordStart, true);
}

void CBetrieb::lowFlowSelectionChanged(int index)
{
    setControlEnabled(id::ZeroPoint, index == 0);
    setControlEnabled(id::SetLowFlow, index > 0);
}

void CBetrieb::sendSimpleCommand(DeviceCommand command)
{
    if (!lock_ || !port_ || !deviceAnswers(messages_, port_, lock_, valuesStale_))
        return;
    core::DeviceLockGuard guard(*lock_);
    if (!*port_)
        return;
    // The log keeps what the reset throws away: the last value polled, taken
    // before polls delivered while the command runs can replace it, and
    // written "old -> new" like every change, in the numbers of the log's language.
    core::ServiceDetails details;
    if (command == DeviceCommand::ResetTotaliser && lastDelivery_.isValid()) {
        details = [total = lastTotaliser_, unit = units_[3]](int language, core::DetailsForm form) {
            return core::changeText(QStringLiteral("%1 %2").arg(operation::measuredText(total, language), unit).simplified(),
                                    QStringLiteral("0"), form);
        };
    }
    {
        BusyCursor busy;
        port_->runAndWait([command](core::PortSlot::Port& port) {
            if (port)
                device::exchange(*port, command, device::DrainMode::Auto);
        });
    }
    const std::pair<DeviceCommand, core::ServiceAction> logged[] = {
        {DeviceCommand::StartMeasurement, core::ServiceAction::StartMeasurement},
        {DeviceCommand::StopMeasurement, core::ServiceAction::StopMeasurement},
        {DeviceCommand::ResetMaximum, core::ServiceAction::ResetMaximum},
        {DeviceCommand::ResetMinimum, core::ServiceAction::ResetMinimum},
        {DeviceCommand::ResetTotaliser, core::ServiceAction::ResetTotaliser},
        {DeviceCommand::ResetError, core::ServiceAction::ResetError},
    };
    for (const auto& [sent, action] : logged) {
        if (sent == command)
            logServiceAction(messages_, action, core::ServiceOutcome::Sent, details);
    }
}

void CBetrieb::setLowFlowOrZero()
{
    if (!lock_ || !port_ || !deviceAnswers(messages_, port_, lock_, valuesStale_))
        return;
    core::DeviceLockGuard guard(*lock_);
    const int value = control<QComboBox>(id::LowFlowList)->currentIndex();
    if (!*port_ || value < 0)
        return;
    const QString before = control<QLineEdit>(id::LowFlow)->text().trimmed();  // of the last poll
    std::optional<device::LowFlowOutcome> outcome;
    {
        BusyCursor busy;
        port_->runAndWait([&outcome, value](core::PortSlot::Port& port) {
            if (port)
                outcome = device::setLowFlowSuppression(*port, value);
        });
    }
    const LowFlowShown& shown = shownFor(outcome);
    QString details = QString::fromLatin1(shown.result);
    if (value > 0) {
        details = before.isEmpty() ? QStringLiteral("%1 %").arg(value)
                                   : QStringLiteral("%1 -> %2 %").arg(before, QString::number(value));
    }
    logServiceAction(messages_, value == 0 ? core::ServiceAction::ZeroPoint : core::ServiceAction::LowFlowSuppression,
                     shown.acknowledged ? core::ServiceOutcome::Acknowledged : core::ServiceOutcome::NotAcknowledged,
                     details);
    // The box is shown while the lock is held, so ticks delivered by its event
    // loop keep the cycle off the line.
    if (shown.message != 0)
        texts::showMessage(*this, messages_, shown.message);
}

void CBetrieb::startRecording()
{
    if (recording_.recording() || !settings_)
        return;
    // Offered: the model and when, e.g. "KM210-DR-E1S2H1_2026-12-08_1402.csv".
    const QString model = settings_->model.isEmpty() ? QStringLiteral("KM210") : settings_->model;
    const QString suggested = QStringLiteral("%1_%2.csv").arg(
        model, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HHmm")));
    const QString chosen = chooseFile(FileDialog::Save, messages_.caption(kSaveDialogTitle),
                                      QStringLiteral("CSV (*.csv)"), nullptr, suggested);
    if (chosen.isEmpty())
        return;
    const std::string path = rememberWorkingDir(chosen);

    // The dialog asked about the name as typed; when ".csv" is added, an
    // existing file of that name would be replaced without anybody asking.
    const std::string file = operation::withCsvExtension(path);
    if (file != path && QFile::exists(QString::fromLocal8Bit(file.c_str()))) {
        const QString text =
            QString::fromLocal8Bit(file.c_str()) + QLatin1Char('\n') + texts::messageBoxText(messages_, kReplaceFile);
        if (!askQuestion(messages_.caption(kReplaceFile), text))
            return;
    }

    if (!recording_.start(file, core::variants::modelText(deviceTypeCode_))) {
        texts::showMessage(*this, messages_, kCannotWriteFile);
        return;
    }
    rowFailureShown_ = false;
    lostRows_ = 0;
    failingRows_ = 0;
    showRecordingFault();
    setControlEnabled(id::RecordStop, true);
}

bool CBetrieb::confirmClose()
{
    if (!recording_.recording())
        return true;
    const QString file = QDir::toNativeSeparators(QString::fromLocal8Bit(recording_.path().c_str()));
    if (!askQuestion(messages_.caption(kCloseWhileRecording),
                     texts::messageBoxText(messages_, kCloseWhileRecording).arg(file)))
        return false;
    stopRecording();
    return true;
}

void CBetrieb::stopRecording()
{
    recording_.stop();
    lostRows_ = 0;
    failingRows_ = 0;
    showRecordingFault();
    setControlEnabled(id::RecordStart, true);
    setControlVisible(id::RecordingLamp, false);
}

} // namespace trgui::pages
