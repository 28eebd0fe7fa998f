#include "app/call_controls_sheet.h"

#include "app/report_dialog.h"
#include "app/window_habits.h"

#include "pages/configuration/ckonfiguration.h"
#include "pages/operation/cbetrieb.h"
#include "pages/operation/core/report_values.h"
#include "pages/page_base.h"
#include "pages/settings/core/connection_line.h"
#include "pages/settings/einstellungen.h"
#include "pages/visualisation/cgrafik.h"
#include "texts/catalogue.h"
#include "widgets/qt_texts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QTimerEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace trgui::app {

namespace {
const char* const kTitle = "Trelvik – KM210 GUI";
const char* const kMinimise = "Minimieren";
const char* const kAboutEntry = "&Info über TR-Gui...";
const char* const kAboutTitle = "Info über Trelvik – KM210 GUI";
} // namespace

CAllControlsSheet::CAllControlsSheet(QWidget* parent)
    : QDialog(parent),
      // Each page reads the settings file for its tab title as it is built.
      settingsPage_(new pages::Einstellungen),
      configurationPage_(new pages::CKonfiguration),
      operationPage_(new pages::CBetrieb),
      visualisationPage_(new pages::CGrafik),
      settings_(core::SettingsRecord::forProgramDirectory(core::currentProgramDirectory())),
      connection_(settings_),
      cycle_(settings_, connection_, core::deviceLock(), *this)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    settings_.load();
    widgets::useQtTexts(settings_.language);

    settingsPage_->setShared(&settings_, &connection_, {configurationPage_, operationPage_, visualisationPage_});
    configurationPage_->setShared(&settings_, &connection_, &core::deviceLock());
    operationPage_->setShared(&settings_, &connection_.port(), &core::deviceLock());
    visualisationPage_->setShared(&settings_);
    // The connection watches a quiet line; a poll or a page's conversation speaks for it.
    connection_.setLineBusy([this] {
        return cycle_.step() != core::PollStep::Idle || cycle_.exchangeInFlight() || core::deviceLock().isHeld();
    });

    const QIcon icon(QStringLiteral(":/trgui/app_icon.svg"));
    setWindowIcon(icon);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);

    tabs_ = new QTabWidget(this);
    // Each page scrolls when the window is smaller than the page (a laptop
    // screen at 150 %), so no control is ever out of reach.
    const std::pair<pages::PageBase*, QString> pages[] = {
        {settingsPage_, settingsPage_->tabTitle()},
        {configurationPage_, configurationPage_->tabTitle()},
        {operationPage_, operationPage_->tabTitle()},
        {visualisationPage_, visualisationPage_->tabTitle()},
    };
    for (const auto& [page, title] : pages) {
        auto* area = new QScrollArea;
        area->setFrameShape(QFrame::NoFrame);
        area->setWidgetResizable(true);
        area->setWidget(page);
        tabs_->addTab(area, title);
    }
    tabs_->setCurrentIndex(0);
    // Ctrl+Tab and Ctrl+Shift+Tab (and Ctrl+Page Down/Up) switch pages wherever the
    // focus is; a list with the focus would otherwise take them as typing.
    const auto step = [this](int by) {
        tabs_->setCurrentIndex((tabs_->currentIndex() + by + tabs_->count()) % tabs_->count());
    };
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [step] { step(1); });
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                     QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [step] { step(-1); });
    // Ctrl+Q closes as the close box does, with the same questions.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this, &QWidget::close);
    // A page switched to shows where the keyboard is: on its first control.
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        // After the page's controls are shown (a page's first show makes them).
        auto* area = qobject_cast<QScrollArea*>(tabs_->widget(index));
        if (auto* page = area ? qobject_cast<pages::PageBase*>(area->widget()) : nullptr)
            QTimer::singleShot(0, page, &pages::PageBase::focusFirstControl);
    });

    // Minimise, the service report and the about box, as a menu in the tab bar's corner.
    cornerMenu_ = new QToolButton(tabs_);
    cornerMenu_->setText(QStringLiteral("☰"));
    cornerMenu_->setAccessibleName(QStringLiteral("Menu"));
    cornerMenu_->setObjectName(QStringLiteral("cornerMenu"));
    cornerMenu_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(cornerMenu_);
    menu->addAction(QString::fromUtf8(kMinimise), this, &QWidget::showMinimized);
    const QString about = QString::fromUtf8(kAboutEntry);
    // The service report: as found, as left, live values, actions (in the program's language).
    auto* report = menu->addAction(QString(), this, &CAllControlsSheet::writeReport);
    report->setObjectName(QStringLiteral("reportAction"));
    const auto nameReport = [this, report] {
        report->setText(texts::text(texts::Text::ReportMenuEntry, settings_.language));
    };
    nameReport();
    connect(menu, &QMenu::aboutToShow, this, nameReport);  // in the language chosen since
    if (!about.isEmpty()) {
        menu->addSeparator();
        menu->addAction(about, this, &CAllControlsSheet::showAbout);
    }
    cornerMenu_->setMenu(menu);
    tabs_->setCornerWidget(cornerMenu_, Qt::TopRightCorner);

    // Whether a device answers, where, and how old the values are, on every page.
    statusLamp_ = new QLabel(this);
    statusLamp_->setObjectName(QStringLiteral("statusLamp"));
    statusLamp_->setFixedSize(16, 16);
    statusText_ = new QLabel(this);
    statusText_->setObjectName(QStringLiteral("connectionStatus"));
    statusText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusText_->setMinimumWidth(1);  // a long reason never widens the window; it is cut, and its tooltip is whole
    auto* status = new QHBoxLayout;
    status->setContentsMargins(4, 0, 4, 0);
    status->addWidget(statusLamp_);
    status->addWidget(statusText_, 1);
    connect(&connection_, &core::DeviceConnection::reachChanged, this, &CAllControlsSheet::showConnectionStatus);
    connect(&connection_, &core::DeviceConnection::identified, this, &CAllControlsSheet::showConnectionStatus);
    connect(settingsPage_, &pages::Einstellungen::languageChanged, this, &CAllControlsSheet::showConnectionStatus);
    auto* statusClock = new QTimer(this);  // the age of the values goes on
    statusClock->setInterval(1000);
    connect(statusClock, &QTimer::timeout, this, &CAllControlsSheet::showConnectionStatus);
    statusClock->start();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tabs_);
    layout->addLayout(status);
    // Where it was last time (the first copy's place), never larger than the screen.
    restoreWindowPlace(*this, settings_, runningCopy_.first());
}

CAllControlsSheet::~CAllControlsSheet()
{
    timer_.stop();
    keepSettings();
    // A conversation still on the line ends first; then the port is closed.
    connection_.port().post([](core::PortSlot::Port& port) { port.reset(); });
    // Pages go in reverse order of construction.
    delete visualisationPage_;
    delete operationPage_;
    delete configurationPage_;
    delete settingsPage_;
}

void CAllControlsSheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!dialogInitialised_) {
        dialogInitialised_ = true;
        initialiseDialog();
    }
}

void CAllControlsSheet::initialiseDialog()
{
    settingsPage_->ensureInitialised();  // opens the port and identifies the device
    // Then the page shown last time, as though chosen now.
    if (settings_.page > 0 && settings_.page < tabs_->count())
        tabs_->setCurrentIndex(settings_.page);
    else
        QTimer::singleShot(0, settingsPage_, &pages::PageBase::focusFirstControl);
    timer_.start(kTimerIntervalMs, this);
}

QString CAllControlsSheet::connectionStatus() const
{
    if (connection_.reach() == core::DeviceConnection::Reach::Unknown)
        return {};  // nothing tried yet
    pages::settings::ConnectionFacts facts;
    facts.answering = settings_.deviceAnswering;
    facts.port = connection_.portNumber();
    facts.devicePath = QString::fromLocal8Bit(connection_.devicePath().c_str());
    facts.model = settings_.model;
    facts.pollAgeMs = cycle_.lastPollAge();
    facts.reach = connection_.reach();
    facts.failure = connection_.failure();
    return pages::settings::connectionLineText(facts, settings_.language);
}

void CAllControlsSheet::showConnectionStatus()
{
    const QString text = connectionStatus();
    const bool answering = settings_.deviceAnswering;
    const QString lamp =
        texts::text(answering ? texts::Text::Connected : texts::Text::NotConnected, settings_.language);
    if (statusText_->text() != text) {
        statusText_->setText(text);
        statusText_->setToolTip(text);
    }
    // One sentence for a screen reader: the lamp's word, then the line.
    statusText_->setAccessibleName(text.isEmpty() ? lamp : lamp + QStringLiteral(": ") + text);
    statusLamp_->setAccessibleName(lamp);
    if (statusLamp_->property("answering") != QVariant(answering) && !text.isEmpty()) {
        statusLamp_->setProperty("answering", answering);
        statusLamp_->setPixmap(pages::lampPixmap(answering ? QStringLiteral(":/trgui/lamp_green.svg")
                                                           : QStringLiteral(":/trgui/lamp_red.svg"),
                                                 14));
    }
    statusLamp_->setVisible(!text.isEmpty());
    // The Operation page says why it has no values, until a poll brings them;
    // a device that replies, though not as a connection needs, is not "no device".
    const bool replies = answering || connection_.reach() == core::DeviceConnection::Reach::Unrecognised;
    if (operationPage_->initialised())
        operationPage_->showNoDevice(replies || cycle_.lastPollAge()
                                         ? QString()
                                         : pages::settings::noDeviceText(
                                               connection_.portNumber(),
                                               QString::fromLocal8Bit(connection_.devicePath().c_str()),
                                               settings_.language));
}

void CAllControlsSheet::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == timer_.timerId())
        cycle_.tick(core::MeasurementCycle::kTimerId);
    else
        QDialog::timerEvent(event);
}

void CAllControlsSheet::keyPressEvent(QKeyEvent* event)
{
    // The window closes through its close box only; Escape must not end a recording by accident.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CAllControlsSheet::closeEvent(QCloseEvent* event)
{
    if (!configurationPage_->confirmClose() || !operationPage_->confirmClose()) {
        event->ignore();
        return;
    }
    // The settings are saved while the window is still there to say when
    // they cannot be (once a run: a box about it may have come already).
    if (!keepSettings() && !settings_.saveFailureShown) {
        settings_.saveFailureShown = true;
        settingsPage_->tellSettingsNotSaved();
    }
    QDialog::closeEvent(event);
}

bool CAllControlsSheet::keepSettings()
{
    // The first copy's window is the one that comes back.
    if (dialogInitialised_ && runningCopy_.first())
        keepWindowPlace(*this, tabs_->currentIndex(), settings_);
    return settings_.save();
}

void CAllControlsSheet::setTraceFile(const QString& path)
{
    connection_.setTraceFile(path);
}

core::ReportData CAllControlsSheet::reportData()
{
    core::ReportData data;
    data.program = QStringLiteral("TR-GUI %1").arg(QCoreApplication::applicationVersion());
    data.at = QDateTime::currentDateTime();
    const auto text = [](const std::string& bytes) { return QString::fromLocal8Bit(QByteArray::fromStdString(bytes)); };
    data.technician = text(settings_.technician);
    data.site = text(settings_.site);
    data.instrumentTag = text(settings_.instrumentTag);
    data.number = core::reportNumber(data.at, data.instrumentTag);
    data.port = core::portDescription(settings_);
    // Without a device nothing of one is reported, not even what an earlier one left.
    data.deviceAnswering = settings_.deviceAnswering;
    if (data.deviceAnswering) {
        data.model = settings_.model;
        data.typeCode = settings_.deviceTypeCode;
        data.softwareVersion = settings_.softwareVersion;
        if (configurationPage_->initialised()) {
            data.configuration = configurationPage_->reportRows();
            data.configurationNotes = configurationPage_->reportNotes();
            data.asLeftKnown = configurationPage_->asLeftKnown() || data.configuration.empty();
            data.verdict = configurationPage_->reportVerdict();
        }
        // The latest complete poll, whichever page has the polling going.
        if (const auto poll = cycle_.recentPoll(); poll && poll->deviceTypeCode == settings_.deviceTypeCode) {
            const auto texts = pages::operation::loadReportTexts(settings_.programDirectory, settings_.language);
            pages::operation::reportValues(poll->record, poll->deviceTypeCode, texts, data.live, data.liveNotes);
            data.liveAt = poll->deliveredAt;
        }
    }
    data.actions = pages::PageBase::sessionActions();
    return data;
}

void CAllControlsSheet::writeReport()
{
    const auto outcome = askReportNames(settings_, this);
    if (outcome == ReportNamesOutcome::Cancelled)
        return;
    if (outcome == ReportNamesOutcome::NotSaved)
        settingsPage_->showMessageBox(texts::text(texts::Text::ServiceReport, settings_.language),
                                      texts::text(texts::Text::ReportNamesNotSaved, settings_.language)
                                          .arg(QDir::toNativeSeparators(
                                              QString::fromLocal8Bit(QByteArray::fromStdString(settings_.settingsFilePath)))));
    configurationPage_->ensureInitialised();
    configurationPage_->saveReport(reportData());
}

void CAllControlsSheet::showAbout()
{
    CAboutDlg about(settings_.language, this);
    about.exec();
}

bool CAllControlsSheet::operationInitialised() const
{
    return operationPage_->initialised();
}

bool CAllControlsSheet::operationRecording() const
{
    return operationPage_->recording();
}

void CAllControlsSheet::setOperationDeviceTypeCode(int code)
{
    operationPage_->setDeviceTypeCode(code);
}

void CAllControlsSheet::applyOperationAvailability(int code)
{
    operationPage_->applyOperationAvailability(code);
}

void CAllControlsSheet::updateDisplay(const core::MeasurementRecord& record)
{
    operationPage_->updateDisplay(record);
}

void CAllControlsSheet::toggleRecordingIndicator()
{
    operationPage_->toggleRecordingIndicator();
}

bool CAllControlsSheet::recordStartEnabled() const
{
    return operationPage_->recordStartEnabled();
}

void CAllControlsSheet::enableRecordStart()
{
    operationPage_->enableRecordStart();
}

void CAllControlsSheet::setValuesStale(bool stale)
{
    operationPage_->setValuesStale(stale);
}

bool CAllControlsSheet::visualisationInitialised() const
{
    return visualisationPage_->initialised();
}

bool CAllControlsSheet::visualisationPlotting() const
{
    return visualisationPage_->plotting();
}

void CAllControlsSheet::addSample(const core::MeasurementRecord& record)
{
    // The page exists before its chart is set up; only a ready chart takes samples.
    if (visualisationPage_->chartReady())
        visualisationPage_->AddSample(record);
}

void CAllControlsSheet::countDownSettleCounter()
{
    configurationPage_->countDownSettleCounter();
}

CAboutDlg::CAboutDlg(int language, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kAboutTitle));
    setObjectName(QStringLiteral("aboutDialog"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/trgui/app_icon.svg")).pixmap(48, 48));
    auto* text = new QLabel(QStringLiteral("Trelvik KM210 GUI, Version %1").arg(QStringLiteral(TRGUI_VERSION)), this);
    // Whoever passes the program on needs to know what it is made of and where the sources are.
    // Debian's places for the package; the program folder for the zip and the MSI.
#ifdef _WIN32
    const QString licenceText = texts::text(texts::Text::AboutLicencesWindows, language)
                                    .arg(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
#else
    const QString licenceText = texts::text(texts::Text::AboutLicences, language);
#endif
    auto* licences = new QLabel(licenceText, this);
    licences->setObjectName(QStringLiteral("licences"));
    licences->setWordWrap(true);
    licences->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    licences->setAccessibleName(licences->text());
    licences->setMinimumWidth(420);
    auto* picture = pages::logoLabel(this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* aboutQt = new QPushButton(texts::text(texts::Text::AboutQt, language), this);
    aboutQt->setObjectName(QStringLiteral("aboutQt"));
    aboutQt->setAccessibleName(aboutQt->text().remove(QLatin1Char('&')));
    connect(aboutQt, &QPushButton::clicked, this, [this] { QMessageBox::aboutQt(this); });

    auto* words = new QVBoxLayout;
    words->addWidget(text);
    words->addWidget(licences);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(words, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ok, 0, Qt::AlignBottom);
    bottom->addWidget(aboutQt, 0, Qt::AlignBottom);
    bottom->addStretch();
    bottom->addWidget(picture);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
}

} // namespace trgui::app
