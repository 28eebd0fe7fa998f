#include "einstellungen.h"

#include "page_exchanges.h"
#include "plain_numbers.h"
#include "profile_file.h"
#include "qt_texts.h"
#include "serial_port.h"
#include "trace_link.h"
#include "settings_controls.h"
#include "variants.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace trgui::pages {

namespace {

constexpr int kComList = 1001;
constexpr int kLanguageList = 1004;
constexpr int kGreenLamp = 1007;
constexpr int kRedLamp = 1008;
constexpr int kModelField = 1009;
constexpr int kVersionField = 1011;
constexpr int kRefreshEdit = 1098;
constexpr int kRefreshMarker = 1122;
constexpr int kGreyOutCheck = 1056;
constexpr int kPortCount = 9;
constexpr float kRefreshMin = 2.0f;
constexpr float kRefreshMax = 9999.0f;
constexpr int kLanguageChanged = 15;

const QString kNoValue = QStringLiteral("------");

} // namespace

Einstellungen::Einstellungen(QWidget* parent)
    : PageBase(parent), tabTitle_(tabTitleFor({"Einstellungen", "Settings", "Paramètres"}))
{
}

void Einstellungen::setShared(app::SettingsRecord* settings, app::PortSlot* port, std::array<PageBase*, 3> otherPages)
{
    settings_ = settings;
    port_ = port;
    otherPages_ = otherPages;
    reconnect_ = new QTimer(this);
    reconnect_->setSingleShot(true);
    reconnect_->setInterval(kReconnectMs);
    connect(reconnect_, &QTimer::timeout, this, [this] { openAndIdentify(portNumber_); });
    reidentify_ = new QTimer(this);
    reidentify_->setSingleShot(true);
    reidentify_->setInterval(kReconnectMs);
    connect(reidentify_, &QTimer::timeout, this, &Einstellungen::identifyAgain);
    connect(port_, &app::PortSlot::portLost, this, &Einstellungen::portLost);
}

bool Einstellungen::reconnecting() const
{
    return reconnect_ && reconnect_->isActive();
}

void Einstellungen::portLost()
{
    reidentify_->stop();
    showConnected(false);
    reconnect_->start();
}

void Einstellungen::identifyAgain()
{
    // The port is open but the device did not answer (switched off, cable
    // loose at its end): ask on the open port until it does.
    auto outcome = std::make_shared<device::Identification>();
    auto asked = std::make_shared<bool>(false);
    port_->post(
        [outcome, asked](app::PortSlot::Port& slot) {
            if (!slot)
                return;  // lost meanwhile: reconnection takes over
            *asked = true;
            *outcome = device::identifyOnConnect(*slot);
        },
        this, [this, outcome, asked] {
            if (!*asked || reconnecting() || !waitingForAnswer_)
                return;  // a port chosen meanwhile has its own identification
            if (!outcome->connected) {
                reidentify_->start();
                return;
            }
            waitingForAnswer_ = false;
            showProblem(std::nullopt);
            showIdentification(outcome.get());
        });
}

void Einstellungen::followIdentification(int code)
{
    if (!initialised() || !settings_ || code == settings_->deviceTypeCode || waitingForAnswer_ || reconnecting())
        return;
    const device::Identification id{true, code, std::nullopt};
    showIdentification(&id);
    setControlText(kVersionField, kNoValue);  // the old device's version until the new one tells its own
    auto outcome = std::make_shared<device::Identification>();
    port_->post(
        [outcome](app::PortSlot::Port& slot) {
            if (!slot)
                return;
            device::drain(*slot, device::DrainMode::Auto);  // late bytes of the cycle's last poll
            *outcome = device::identifyOnConnect(*slot);
        },
        this, [this, outcome] {
            if (outcome->connected && outcome->deviceTypeCode == settings_->deviceTypeCode)
                showIdentification(outcome.get());
        });
}

void Einstellungen::initialisePage()
{
    createControls(settings::kControls);
    buildLayout();

    settings_->deviceTypeCode = 0;
    settings_->deviceFamily = -1;
    loadTexts(texts::stem::SettingsLabels, texts::stem::SettingsHelp);
    lampHelp_ = control(kRedLamp)->toolTip();

    auto* com = control<QComboBox>(kComList);
    for (int n = 1; n <= kPortCount; ++n)
        com->addItem(QStringLiteral("COM%1").arg(n));
    watchPorts();
    // Adapters come and go: the list follows while the page is in view.
    auto* portWatch = new QTimer(this);
    portWatch->setInterval(kPortListRefreshMs);
    connect(portWatch, &QTimer::timeout, this, [this] {
        if (isVisible())
            watchPorts();
    });
    portWatch->start();
    auto* language = control<QComboBox>(kLanguageList);
    language->addItems({QStringLiteral("Deutsch"), QStringLiteral("English"), QStringLiteral("Francais")});
    auto* refresh = control<QLineEdit>(kRefreshEdit);
    refresh->setMaxLength(99);
    refresh->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), refresh));

    language->setCurrentIndex(settings_->language >= 0 && settings_->language <= 2 ? settings_->language : -1);
    com->setCurrentIndex(settings_->comPort >= 1 && settings_->comPort <= kPortCount ? settings_->comPort - 1 : -1);
    control<QCheckBox>(kGreyOutCheck)->setChecked(settings_->ausgrauen == 1);

    connect(refresh, &QLineEdit::textChanged, this, &Einstellungen::validateRefreshRate);
    refresh->setText(QString::number(settings_->refreshRate));  // counts as a change: validates

    connect(com, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        settings_->comPort = index + 1;
        identifyDevice(settings_->comPort);
    });
    connect(language, &QComboBox::currentIndexChanged, this, &Einstellungen::changeLanguage);
    connect(control<QCheckBox>(kGreyOutCheck), &QCheckBox::clicked, this, [this](bool checked) {
        settings_->ausgrauen = checked ? 1 : 0;
        saveSettings();
    });

    identifyDevice(settings_->comPort);
}

void Einstellungen::buildLayout()
{
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);

    auto* lamps = new QWidget(this);
    lamps->setFixedSize(28, 28);
    for (int id : {kGreenLamp, kRedLamp}) {
        auto* lamp = control<QLabel>(id);
        lamp->setParent(lamps);
        lamp->setGeometry(0, 0, 28, 28);
        lamp->setPixmap(lampPixmap(id == kGreenLamp ? QStringLiteral(":/trgui/lamp_green.svg")
                                                    : QStringLiteral(":/trgui/lamp_red.svg"),
                                   24));
    }
    nameByLanguage(kGreenLamp, {"verbunden", "connected", "connecté"});
    nameByLanguage(kRedLamp, {"nicht verbunden", "not connected", "non connecté"});
    control(kGreenLamp)->hide();
    control(kRedLamp)->hide();

    grid->addWidget(control(1006), 0, 0);
    grid->addWidget(control(kComList), 0, 1);
    grid->addWidget(lamps, 0, 2);
    describeBy(kComList, 1006);

    auto* flags = new QLabel(this);
    flags->setPixmap(QIcon(QStringLiteral(":/trgui/flags.svg")).pixmap(78, 16));
    auto* languageLabel = new QHBoxLayout;
    languageLabel->setSpacing(8);
    languageLabel->addWidget(control(1005));
    languageLabel->addWidget(flags);
    languageLabel->addStretch();
    grid->addLayout(languageLabel, 1, 0);
    grid->addWidget(control(kLanguageList), 1, 1);
    describeBy(kLanguageList, 1005);

    grid->addWidget(control(1010), 2, 0);
    grid->addWidget(control(kModelField), 2, 1);
    describeBy(kModelField, 1010);
    grid->addWidget(control(1012), 3, 0);
    grid->addWidget(control(kVersionField), 3, 1);
    describeBy(kVersionField, 1012);

    auto* refreshRow = new QHBoxLayout;
    refreshRow->addWidget(control(kRefreshEdit));
    refreshRow->addWidget(new QLabel(QStringLiteral("s"), this));
    auto* marker = control<QLabel>(kRefreshMarker);
    marker->setPixmap(lampPixmap(QStringLiteral(":/trgui/marker_error.svg"), 16));
    nameByLanguage(kRefreshMarker, {"Fehler: Aktualisierung", "error: refresh rate", "erreur : actualisation"});
    marker->setFixedSize(18, 18);
    marker->hide();
    refreshRow->addWidget(marker);
    refreshRow->addStretch();
    grid->addWidget(control(1099), 4, 0);
    grid->addLayout(refreshRow, 4, 1);
    control(kRefreshEdit)->setMaximumWidth(90);
    describeBy(kRefreshEdit, 1099);

    grid->addWidget(control(kGreyOutCheck), 5, 0, 1, 2);
    control(kGreyOutCheck)->hide();  // part of the dialog, not offered to the user
    control(1)->hide();
    grid->setColumnMinimumWidth(1, 260);

    auto* picture = new QLabel(this);
    picture->setPixmap(QIcon(QStringLiteral(":/trgui/device.svg")).pixmap(240, 180));
    picture->setAccessibleName(QStringLiteral("KM210"));
    auto* logo = logoLabel(this);

    auto* top = new QHBoxLayout;
    top->addLayout(grid);
    top->addStretch();
    top->addWidget(picture, 0, Qt::AlignTop);

    // Why the device cannot be reached, while it cannot.
    problemLine_ = new QLabel(this);
    problemLine_->setObjectName(QStringLiteral("portProblem"));
    problemLine_->setWordWrap(true);
    problemLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);  // the command can be copied
    problemLine_->setStyleSheet(QStringLiteral("color: #b00000;"));
    problemLine_->hide();

    setTabChain({kComList, kLanguageList, kModelField, kVersionField, kRefreshEdit});

    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(problemLine_);
    page->addStretch();
    page->addWidget(control(1), 0, Qt::AlignLeft);
    page->addWidget(logo, 0, Qt::AlignRight);
}

QString Einstellungen::notPresentText() const
{
    static constexpr std::array<const char*, 3> kNotPresent{"nicht vorhanden", "not present", "absent"};
    const int language = settings_->language >= 0 && settings_->language <= 2 ? settings_->language : 0;
    return QString::fromUtf8(kNotPresent[static_cast<std::size_t>(language)]);
}

void Einstellungen::refreshPortList()
{
    showPortEntries(device::describePorts(kPortCount, app::portResolver(*settings_), notPresentText()));
}

void Einstellungen::watchPorts()
{
    if (portWatchPending_)
        return;  // the device thread is busy: the last look is still on its way
    portWatchPending_ = true;
    // The system is asked on the device thread, so neither start-up nor the
    // watch's tick waits for it.
    auto entries = std::make_shared<std::vector<device::PortEntry>>();
    port_->post(
        [entries, resolve = app::portResolver(*settings_), notPresent = notPresentText()](app::PortSlot::Port&) {
            *entries = device::describePorts(kPortCount, resolve, notPresent);
        },
        this, [this, entries] {
            portWatchPending_ = false;
            showPortEntries(*entries);
        });
}

void Einstellungen::showPortEntries(const std::vector<device::PortEntry>& entries)
{
    auto* com = control<QComboBox>(kComList);
    if (com->view()->isVisible())
        return;  // never under the user's pointer
    for (int i = 0; i < com->count() && i < static_cast<int>(entries.size()); ++i) {
        const device::PortEntry& entry = entries[static_cast<std::size_t>(i)];
        if (com->itemText(i) != entry.text)
            com->setItemText(i, entry.text);
        com->setItemData(i, entry.present ? QVariant() : QVariant(palette().brush(QPalette::Disabled, QPalette::Text)),
                         Qt::ForegroundRole);
    }
}

void Einstellungen::showProblem(std::optional<PortProblem> problem, const device::OpenFailure& failure)
{
    problem_ = problem;
    failure_ = failure;
    if (!problemLine_)
        return;
    QString text;
    if (problem) {
        const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
        text = portProblemText(*problem, failure, QStringLiteral("COM%1").arg(portNumber_), user,
                               std::clamp(settings_->language, 0, 2));
    }
    problemLine_->setText(text);
    problemLine_->setAccessibleName(text);
    problemLine_->setVisible(problem.has_value());
    // The red lamp tells the same, to the pointer and to a screen reader.
    auto* lamp = control(kRedLamp);
    lamp->setToolTip(problem ? text : lampHelp_);
    nameImages();
    if (problem)
        lamp->setAccessibleName(lamp->accessibleName() + QStringLiteral(": ") + text);
}

void Einstellungen::showConnected(bool connected)
{
    settings_->deviceAnswering = connected;
    setControlVisible(kGreenLamp, connected);
    setControlVisible(kRedLamp, !connected);
}

void Einstellungen::identifyDevice(int number)
{
    reconnect_->stop();  // a port chosen by hand ends any attempt to bring back the old one
    reidentify_->stop();
    portNumber_ = number;
    setControlText(kModelField, kNoValue);
    setControlText(kVersionField, kNoValue);
    openAndIdentify(number);
}

void Einstellungen::openAndIdentify(int number)
{
    // Opened and asked on the device thread; the fields fill in when the answer is there.
    struct Outcome {
        bool opened = false;
        device::OpenFailure failure;
        device::Identification id;
    };
    auto outcome = std::make_shared<Outcome>();
    waitingForAnswer_ = false;
    port_->post(
        [outcome, number, resolver = app::portResolver(*settings_), trace = traceFile_](app::PortSlot::Port& slot) {
            slot.reset();  // closes the old port before the new one is opened
            auto port = std::make_unique<device::SerialPort>(resolver);
            if (port->open(number) != 0) {
                outcome->failure = port->lastFailure();
                return;
            }
            outcome->opened = true;
            app::PortSlot::Port link = std::move(port);
            if (!trace.isEmpty())
                link = std::make_unique<device::TraceLink>(std::move(link), trace);
            outcome->id = device::identifyOnConnect(*link);
            slot = std::move(link);  // stays open even when silent; the cycle keeps trying it
        },
        this, [this, outcome] {
            if (!outcome->opened) {
                // Tried again every 2 s, so fixing the cause is all it takes.
                showIdentification(nullptr);
                showProblem(problemOf(outcome->failure), outcome->failure);
                reconnect_->start();
                return;
            }
            showIdentification(&outcome->id);
            waitingForAnswer_ = !outcome->id.connected;
            showProblem(waitingForAnswer_ ? std::optional(PortProblem::NoAnswer) : std::nullopt, outcome->failure);
            if (waitingForAnswer_)
                reidentify_->start();
        });
}

void Einstellungen::showIdentification(const device::Identification* id)
{
    if (!id || !id->connected) {
        showConnected(false);
        return;
    }
    showConnected(true);
    device::updateFamily(id->deviceTypeCode, settings_->deviceFamily);
    settings_->deviceTypeCode = id->deviceTypeCode;
    const auto model = variants::modelName(id->deviceTypeCode);
    settings_->model = QString::fromLatin1(model.data(), static_cast<qsizetype>(model.size()));
    setControlText(kModelField, settings_->model);
    settings_->softwareVersion.clear();
    if (id->softwareVersion) {
        settings_->softwareVersion = QString::asprintf("%5.2f", static_cast<double>(*id->softwareVersion));
        setControlText(kVersionField, settings_->softwareVersion);
    }
}

void Einstellungen::validateRefreshRate()
{
    const QString text = control<QLineEdit>(kRefreshEdit)->text().left(99).trimmed();
    const int value = app::parseLeadingInt(text.toStdString());
    const auto asFloat = static_cast<float>(value);
    const bool valid = !text.isEmpty() && asFloat >= kRefreshMin && asFloat <= kRefreshMax;
    setControlVisible(kRefreshMarker, !valid);
    if (!valid)
        return;
    if (settings_->refreshRate != value) {
        settings_->refreshRate = value;
        saveSettings();
    }
}

void Einstellungen::reloadTexts()
{
    loadTexts(texts::stem::SettingsLabels, texts::stem::SettingsHelp);
    loadMessageTable(messages_);
    refreshPortList();
    lampHelp_ = control(kRedLamp)->toolTip();
    showProblem(problem_, failure_);  // in the new language
}

void Einstellungen::changeLanguage()
{
    const int index = control<QComboBox>(kLanguageList)->currentIndex();
    if (index < 0)
        return;
    settings_->language = index;
    saveSettings();
    widgets::useQtTexts(index);
    reloadTexts();
    for (PageBase* page : otherPages_) {
        if (page && page->initialised())
            page->reloadTexts();
    }
    texts::showMessage(*this, messages_, kLanguageChanged);
}

} // namespace trgui::pages
