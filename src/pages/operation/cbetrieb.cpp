#include "pages/operation/cbetrieb.h"

#include "pages/operation/core/operation_controls.h"
#include "device/page_exchanges.h"
#include "core/variants.h"

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

constexpr int kLamp = 1129;
constexpr int kRecordStart = 1126;
constexpr int kRecordStop = 1127;
constexpr int kLowFlowList = 1112;
constexpr int kSetLowFlow = 1153;
constexpr int kZeroPoint = 1154;
constexpr int kErrorField = 1117;

// Message numbers of the recording.
constexpr int kSaveDialogTitle = 13;
constexpr int kCannotWriteFile = 14;
constexpr int kReplaceFile = 16;

// Unit labels in the order of CBetrieb::units_.
constexpr int kUnitLabels[] = {1098, 1103, 1108, 1122};
constexpr int kValuesOld = 20;
constexpr int kRowsNotRecorded = 24;
constexpr int kCloseWhileRecording = 26;

// The contact boxes top to bottom; they show the device's contacts only.
constexpr int kContactBoxes[] = {1114, 1116, 1115, 1123};

// The fields whose values grow old when no poll arrives (the contact boxes too).
constexpr int kValueFields[] = {1091, 1093, 1094, 1099, 1101, 1102, 1104, 1106, 1107, 1120, 1130, kErrorField};

QString modelText(int code)
{
    const auto name = core::variants::modelName(code);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

CBetrieb::CBetrieb(QWidget* parent)
    : PageBase(parent), tabTitle_(tabTitleFor({"Betrieb", "Operation", "Opération"}))
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

    auto* list = control<QComboBox>(kLowFlowList);
    for (int value = 0; value <= 10; ++value)
        list->addItem(QString::number(value));
    list->setCurrentIndex(-1);
    connect(list, &QComboBox::currentIndexChanged, this, &CBetrieb::lowFlowSelectionChanged);

    for (int id : {kRecordStart, kRecordStop, kSetLowFlow, kZeroPoint})
        setControlEnabled(id, false);
    setControlVisible(kLamp, false);
    control<QLabel>(kLamp)->setPixmap(lampPixmap(QStringLiteral(":/trgui/lamp_green.svg"), 18));
    nameByLanguage(kLamp, {"Aufzeichnung läuft", "recording", "enregistrement en cours"});

    // Contact boxes only show the device's state.
    for (int id : kContactBoxes) {
        control(id)->setAttribute(Qt::WA_TransparentForMouseEvents);
        control(id)->setFocusPolicy(Qt::NoFocus);
    }

    const std::pair<int, DeviceCommand> commands[] = {
        {1124, DeviceCommand::StartMeasurement}, {1125, DeviceCommand::StopMeasurement},
        {1109, DeviceCommand::ResetMaximum},     {1110, DeviceCommand::ResetMinimum},
        {1111, DeviceCommand::ResetTotaliser},   {1128, DeviceCommand::ResetError},
    };
    for (const auto& [id, command] : commands) {
        connect(control<QPushButton>(id), &QPushButton::clicked, this,
                [this, command = command] { sendSimpleCommand(command); });
    }
    connect(control<QPushButton>(kSetLowFlow), &QPushButton::clicked, this, &CBetrieb::setLowFlowOrZero);
    connect(control<QPushButton>(kZeroPoint), &QPushButton::clicked, this, &CBetrieb::setLowFlowOrZero);
    connect(control<QPushButton>(kRecordStart), &QPushButton::clicked, this, &CBetrieb::startRecording);
    connect(control<QPushButton>(kRecordStop), &QPushButton::clicked, this, &CBetrieb::stopRecording);

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
    grid->addWidget(control(1095), 0, 1, Qt::AlignCenter);
    grid->addWidget(control(1096), 0, 2, Qt::AlignCenter);
    grid->addWidget(control(1097), 0, 3, Qt::AlignCenter);
    const int rows[][5] = {
        {1092, 1091, 1093, 1094, 1098},
        {1100, 1099, 1101, 1102, 1103},
        {1105, 1104, 1106, 1107, 1108},
    };
    const int columns[] = {0, 1095, 1096, 1097};  // the headings "Akt", "Max", "Min"
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 5; ++c)
            grid->addWidget(control(rows[r][c]), r + 1, c);
        for (int c = 1; c <= 3; ++c) {
            control<QLineEdit>(rows[r][c])->setAlignment(Qt::AlignRight);
            describeBy(rows[r][c], rows[r][0], columns[c]);
        }
    }
    grid->addWidget(control(1121), 4, 0);
    grid->addWidget(control(1120), 4, 1);
    grid->addWidget(control(1122), 4, 4);
    control<QLineEdit>(1120)->setAlignment(Qt::AlignRight);
    describeBy(1120, 1121);
    grid->addWidget(control(1111), 5, 1);
    grid->addWidget(control(1109), 5, 2);
    grid->addWidget(control(1110), 5, 3);
    grid->setColumnStretch(0, 3);
    for (int c = 1; c <= 3; ++c)
        grid->setColumnStretch(c, 2);
    grid->setColumnMinimumWidth(4, 80);

    auto* contacts = new QGroupBox(this);
    auto* contactBox = new QVBoxLayout(contacts);
    for (int id : kContactBoxes)
        contactBox->addWidget(control(id));
    contactBox->addStretch();

    auto* measuring = new QGroupBox(this);
    auto* measuringBox = new QVBoxLayout(measuring);
    measuringBox->addWidget(control(1124));
    measuringBox->addWidget(control(1125));
    auto* recordRow = new QHBoxLayout;
    recordRow->addWidget(control(kRecordStart), 1);
    auto* lampSlot = new QWidget(measuring);
    lampSlot->setFixedSize(22, 22);
    control(kLamp)->setParent(lampSlot);
    control(kLamp)->setGeometry(0, 0, 22, 22);
    recordRow->addWidget(lampSlot);
    measuringBox->addLayout(recordRow);
    measuringBox->addWidget(control(kRecordStop));
    measuringBox->addStretch();

    auto* lowFlow = new QGroupBox(this);
    auto* lowGrid = new QGridLayout(lowFlow);
    lowGrid->addWidget(control(1155), 0, 0);
    lowGrid->addWidget(control(1130), 0, 1);
    lowGrid->addWidget(control(1119), 0, 2);
    lowGrid->addWidget(control(1113), 1, 0);
    lowGrid->addWidget(control(kLowFlowList), 1, 1);
    lowGrid->addWidget(control(1131), 1, 2);
    lowGrid->addWidget(control(kSetLowFlow), 2, 0);
    lowGrid->addWidget(control(kZeroPoint), 2, 1, 1, 2);
    control<QLineEdit>(1130)->setAlignment(Qt::AlignRight);
    describeBy(1130, 1155);
    describeBy(kLowFlowList, 1113);

    auto* error = new QGroupBox(this);
    auto* errorRow = new QHBoxLayout(error);
    errorRow->addWidget(control(1118));
    errorRow->addWidget(control(kErrorField), 1);
    errorRow->addWidget(control(1128));
    describeBy(kErrorField, 1118);

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

    // Says, while rows cannot be written, how many are lost since when and why.
    recordNotice_ = new QLabel(this);
    recordNotice_->setObjectName(QStringLiteral("recordNotice"));
    recordNotice_->setWordWrap(true);
    recordNotice_->setStyleSheet(QStringLiteral("color: #b00000;"));
    recordNotice_->hide();

    // The values table row by row, then the boxes below left to right.
    setTabChain({1091, 1093, 1094, 1099, 1101, 1102, 1104, 1106, 1107, 1120, 1111, 1109, 1110, 1124, 1125,
                 kRecordStart, kRecordStop, 1130, kLowFlowList, kSetLowFlow, kZeroPoint, kErrorField, 1128});

    auto* page = new QVBoxLayout(this);
    page->addWidget(values);
    page->addWidget(staleNotice_);
    page->addWidget(recordNotice_);
    page->addLayout(middle);
    page->addLayout(bottom);
    page->addStretch();
}

void CBetrieb::setValuesStale(bool stale)
{
    valuesStale_ = stale;
    if (!staleNotice_)
        return;
    for (int id : kValueFields)
        setControlEnabled(id, !stale);
    for (int id : kContactBoxes)
        setControlEnabled(id, !stale);
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

void CBetrieb::setDeviceTypeCode(int code)
{
    if (code != deviceTypeCode_ && recording_.recording())
        recording_.modelChanged(modelText(code));
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
        setControlText(kUnitLabels[i], units_[i]);
}

void CBetrieb::applyOperationAvailability(int code)
{
    const int greyOut = settings_ ? settings_->ausgrauen : 0;
    for (const auto& c : core::variants::operationAvailability(code))
        texts::setAvailable(*this, c.control, c.unavailable, greyOut);
}

void CBetrieb::updateDisplay(const core::MeasurementRecord& r)
{
    using operation::formatValue;
    lastDelivery_ = QTime::currentTime();
    setControlText(1091, formatValue(r.velocity));
    setControlText(1094, formatValue(r.velocityMin));
    setControlText(1093, formatValue(r.velocityMax));
    setControlText(1099, formatValue(r.volumeFlow));
    setControlText(1102, formatValue(r.volumeFlowMin));
    setControlText(1101, formatValue(r.volumeFlowMax));
    setControlText(1104, formatValue(r.temperature));
    setControlText(1120, formatValue(r.totaliser));
    setControlText(1106, formatValue(r.temperatureMax));
    setControlText(1107, formatValue(r.temperatureMin));
    units_ = {r.velocityUnit, r.volumeFlowUnit, r.temperatureUnit, r.totaliserUnit};
    showUnits();

    if (const auto i = texts::errorIndex(r.errorCode)) {
        const auto index = static_cast<std::size_t>(*i);
        setControlToolTip(kErrorField, texts::toolTipText(errors_.help[index]));
        setControlText(kErrorField, texts::fromWindows1252(errors_.texts[index]));
        lastErrorText_ = errors_.texts[index];
    }

    setControlText(1130, QString::number(r.lowFlowSuppression));
    control<QCheckBox>(1114)->setChecked(r.contactBits & 0x01);
    control<QCheckBox>(1116)->setChecked(r.contactBits & 0x02);
    control<QCheckBox>(1115)->setChecked(r.contactBits & 0x04);
    control<QCheckBox>(1123)->setChecked(!(r.contactBits & 0x08));

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
    if (QWidget* lamp = control(kLamp); lamp && failingRows_ == 0)
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
    auto* lamp = control<QLabel>(kLamp);
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
    const QWidget* button = control(kRecordStart);
    return button && button->isEnabled();
}

void CBetrieb::enableRecordStart()
{
    setControlEnabled(kRecordStart, true);
}

void CBetrieb::lowFlowSelectionChanged(int index)
{
    setControlEnabled(kZeroPoint, index == 0);
    setControlEnabled(kSetLowFlow, index > 0);
}

void CBetrieb::sendSimpleCommand(DeviceCommand command)
{
    if (!lock_ || !port_ || !deviceAnswers(messages_, valuesStale_))
        return;
    core::DeviceLockGuard guard(*lock_);
    if (!*port_)
        return;
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
            logServiceAction(messages_, action, core::ServiceOutcome::Sent);
    }
}

void CBetrieb::setLowFlowOrZero()
{
    if (!lock_ || !port_ || !deviceAnswers(messages_, valuesStale_))
        return;
    core::DeviceLockGuard guard(*lock_);
    const int value = control<QComboBox>(kLowFlowList)->currentIndex();
    if (!*port_ || value < 0)
        return;
    std::optional<int> message;
    {
        BusyCursor busy;
        port_->runAndWait([&message, value](core::PortSlot::Port& port) {
            if (port)
                message = device::setLowFlowSuppression(*port, value);
        });
    }
    namespace m = device::message;
    const bool acknowledged = message == m::LowFlowAccepted || message == m::ZeroPointResult9E
                           || message == m::ZeroPointResult9D || message == m::ZeroPointResult9F;
    const char* result = message == m::ZeroPointResult9E ? " 0x9E"
                       : message == m::ZeroPointResult9D ? " 0x9D"
                       : message == m::ZeroPointResult9F ? " 0x9F"
                                                          : "";
    logServiceAction(messages_, value == 0 ? core::ServiceAction::ZeroPoint : core::ServiceAction::LowFlowSuppression,
                     acknowledged ? core::ServiceOutcome::Acknowledged : core::ServiceOutcome::NotAcknowledged,
                     value == 0 ? QString::fromLatin1(result).trimmed() : QStringLiteral("%1 %").arg(value));
    // The box is shown while the lock is held, so ticks delivered by its event
    // loop keep the cycle off the line.
    if (message)
        texts::showMessage(*this, messages_, *message);
}

void CBetrieb::startRecording()
{
    if (recording_.recording() || !settings_)
        return;
    const QString chosen =
        chooseFile(FileDialog::Save, messages_.caption(kSaveDialogTitle), QStringLiteral("CSV (*.csv)"));
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

    if (!recording_.start(file, modelText(deviceTypeCode_))) {
        texts::showMessage(*this, messages_, kCannotWriteFile);
        return;
    }
    rowFailureShown_ = false;
    lostRows_ = 0;
    failingRows_ = 0;
    showRecordingFault();
    setControlEnabled(kRecordStop, true);
}

void CBetrieb::reportValues(std::vector<core::ReportValue>& values, QStringList& notes) const
{
    if (valuesStale_ || !lastDelivery_.isValid())
        return;
    const auto text = [this](int id) -> QString {
        if (auto* edit = control<QLineEdit>(id))
            return edit->text().trimmed();
        if (auto* label = control<QLabel>(id))
            return label->text();
        return {};
    };
    // Label, actual, max, min, unit, as the table on the page.
    const int rows[][5] = {
        {1092, 1091, 1093, 1094, 1098}, {1100, 1099, 1101, 1102, 1103}, {1105, 1104, 1106, 1107, 1108},
        {1121, 1120, 0, 0, 1122},       {1155, 1130, 0, 0, 0},
    };
    for (const auto& r : rows)
        values.push_back({text(r[0]), text(r[1]), r[2] ? text(r[2]) : QString(), r[3] ? text(r[3]) : QString(),
                          r[4] ? text(r[4]) : QStringLiteral("%")});
    for (int id : kContactBoxes) {
        const auto* box = control<QCheckBox>(id);
        if (box && !box->isHidden())
            notes << (box->isChecked() ? QStringLiteral("[x] ") : QStringLiteral("[ ] ")) + box->text();
    }
    notes << text(1118) + QStringLiteral(": ") + text(kErrorField);
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
    setControlEnabled(kRecordStart, true);
    setControlVisible(kLamp, false);
}

} // namespace trgui::pages
