#include "pages/settings/einstellungen.h"

#include "core/plain_numbers.h"
#include "core/profile_file.h"
#include "device/serial_port.h"
#include "pages/settings/core/connection_line.h"
#include "pages/settings/core/settings_controls.h"
#include "texts/catalogue.h"
#include "widgets/qt_texts.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace trgui::pages {

namespace {

namespace id = settings::id;

constexpr float kRefreshMin = 2.0f;
constexpr float kRefreshMax = 9999.0f;
constexpr int kLanguageChanged = 15;

const QString kNoValue = QStringLiteral("------");

// An offered adapter's entry keeps the COM number and the device it is offered with.
constexpr int kOfferComRole = Qt::UserRole;
constexpr int kOfferDeviceRole = Qt::UserRole + 1;

} // namespace

Einstellungen::Einstellungen(QWidget* parent)
    : PageBase(parent), tabTitle_(tabTitleFor(texts::Text::SettingsTab))
{
}

void Einstellungen::setShared(core::SettingsRecord* settings, core::DeviceConnection* connection,
                              std::array<PageBase*, 3> otherPages)
{
    settings_ = settings;
    connection_ = connection;
    otherPages_ = otherPages;
    connect(connection_, &core::DeviceConnection::identified, this, &Einstellungen::showIdentity);
    connect(connection_, &core::DeviceConnection::reachChanged, this, &Einstellungen::showReach);
    connect(connection_, &core::DeviceConnection::portsDescribed, this, &Einstellungen::showPortEntries);
}

void Einstellungen::showIdentity()
{
    if (!initialised())
        return;
    showLamps();
    setControlText(id::Model, settings_->model);
    // Another model's version follows once it has told it.
    setControlText(id::Version, settings_->softwareVersion.isEmpty() ? kNoValue : settings_->softwareVersion);
}

void Einstellungen::showLamps()
{
    setControlVisible(id::GreenLamp, settings_->deviceAnswering);
    setControlVisible(id::RedLamp, !settings_->deviceAnswering);
}

void Einstellungen::showReach()
{
    if (!initialised())
        return;
    showLamps();
    if (!settings_->deviceAnswering) {
        // Nothing is shown of a device that does not answer; it comes back with its identity.
        setControlText(id::Model, kNoValue);
        setControlText(id::Version, kNoValue);
    }
    if (connection_->reach() != core::DeviceConnection::Reach::Unknown)
        showProblem(settings::problemOfReach(connection_->reach(), connection_->failure()), connection_->failure());
}

void Einstellungen::initialisePage()
{
    createControls(settings::kControls);
    buildLayout();

    connection_->forgetDevice();
    loadTexts(texts::stem::SettingsLabels, texts::stem::SettingsHelp);
    lampHelp_ = control(id::RedLamp)->toolTip();

    auto* com = control<QComboBox>(id::ComList);
    for (int n = 1; n <= core::DeviceConnection::kPortCount; ++n)
        com->addItem(QStringLiteral("COM%1").arg(n));
    connection_->lookAtPorts(notPresentText());
    // Adapters come and go: the list follows while the page is in view.
    auto* portWatch = new QTimer(this);
    portWatch->setInterval(core::DeviceConnection::kPortListRefreshMs);
    connect(portWatch, &QTimer::timeout, this, [this] {
        if (isVisible())
            connection_->lookAtPorts(notPresentText());
    });
    portWatch->start();
    auto* language = control<QComboBox>(id::LanguageList);
    language->addItems({QStringLiteral("Deutsch"), QStringLiteral("English"), QStringLiteral("Francais")});
    auto* refresh = control<QLineEdit>(id::Refresh);
    refresh->setMaxLength(99);
    refresh->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), refresh));

    language->setCurrentIndex(core::isLanguage(settings_->language) ? settings_->language : -1);
    com->setCurrentIndex(settings_->comPort >= 1 && settings_->comPort <= core::DeviceConnection::kPortCount ? settings_->comPort - 1 : -1);
    control<QCheckBox>(id::GreyOut)->setChecked(settings_->ausgrauen == 1);

    connect(refresh, &QLineEdit::textChanged, this, &Einstellungen::validateRefreshRate);
    refresh->setText(QString::number(settings_->refreshRate));  // counts as a change: validates

    connect(com, &QComboBox::currentIndexChanged, this, [this, com](int index) {
        if (index < 0)
            return;
        if (index >= core::DeviceConnection::kPortCount) {
            assignAdapter(com->itemData(index, kOfferComRole).toInt(),
                          com->itemData(index, kOfferDeviceRole).toByteArray().toStdString());
            return;
        }
        settings_->comPort = index + 1;
        identifyDevice(settings_->comPort);
    });
    connect(language, &QComboBox::currentIndexChanged, this, &Einstellungen::changeLanguage);
    connect(control<QCheckBox>(id::GreyOut), &QCheckBox::clicked, this, [this](bool checked) {
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
    for (int id : {id::GreenLamp, id::RedLamp}) {
        auto* lamp = control<QLabel>(id);
        lamp->setParent(lamps);
        lamp->setGeometry(0, 0, 28, 28);
        lamp->setPixmap(lampPixmap(id == id::GreenLamp ? QStringLiteral(":/trgui/lamp_green.svg")
                                                    : QStringLiteral(":/trgui/lamp_red.svg"),
                                   24));
    }
    nameByLanguage(id::GreenLamp, texts::Text::Connected);
    nameByLanguage(id::RedLamp, texts::Text::NotConnected);
    control(id::GreenLamp)->hide();
    control(id::RedLamp)->hide();

    grid->addWidget(control(id::ComLabel), 0, 0);
    grid->addWidget(control(id::ComList), 0, 1);
    grid->addWidget(lamps, 0, 2);
    describeBy(id::ComList, id::ComLabel);

    auto* flags = new QLabel(this);
    flags->setPixmap(QIcon(QStringLiteral(":/trgui/flags.svg")).pixmap(78, 16));
    auto* languageLabel = new QHBoxLayout;
    languageLabel->setSpacing(8);
    languageLabel->addWidget(control(id::LanguageLabel));
    languageLabel->addWidget(flags);
    languageLabel->addStretch();
    grid->addLayout(languageLabel, 1, 0);
    grid->addWidget(control(id::LanguageList), 1, 1);
    describeBy(id::LanguageList, id::LanguageLabel);

    grid->addWidget(control(id::ModelLabel), 2, 0);
    grid->addWidget(control(id::Model), 2, 1);
    describeBy(id::Model, id::ModelLabel);
    grid->addWidget(control(id::VersionLabel), 3, 0);
    grid->addWidget(control(id::Version), 3, 1);
    describeBy(id::Version, id::VersionLabel);

    auto* refreshRow = new QHBoxLayout;
    refreshRow->addWidget(control(id::Refresh));
    refreshRow->addWidget(new QLabel(QStringLiteral("s"), this));
    auto* marker = control<QLabel>(id::RefreshMarker);
    marker->setPixmap(lampPixmap(QStringLiteral(":/trgui/marker_error.svg"), 16));
    nameByLanguage(id::RefreshMarker, texts::Text::RefreshMarker);
    marker->setFixedSize(18, 18);
    marker->hide();
    refreshRow->addWidget(marker);
    refreshRow->addStretch();
    grid->addWidget(control(id::RefreshLabel), 4, 0);
    grid->addLayout(refreshRow, 4, 1);
    control(id::Refresh)->setMaximumWidth(90);
    describeBy(id::Refresh, id::RefreshLabel);

    grid->addWidget(control(id::GreyOut), 5, 0, 1, 2);
    control(id::GreyOut)->hide();  // kept in the settings file, not offered on the page
    control(id::Ok)->hide();
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

    setTabChain(settings::kTabChain);

    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(problemLine_);
    page->addStretch();
    page->addWidget(control(id::Ok), 0, Qt::AlignLeft);
    page->addWidget(logo, 0, Qt::AlignRight);
}

QString Einstellungen::notPresentText() const
{
    return texts::text(texts::Text::PortNotPresent, settings_->language);
}

void Einstellungen::refreshPortList()
{
    showPortEntries(connection_->describePortsNow(notPresentText()));
}

void Einstellungen::showPortEntries(const std::vector<device::PortEntry>& entries)
{
    auto* com = control<QComboBox>(id::ComList);
    if (com->view()->isVisible())
        return;  // never under the user's pointer
    constexpr int kCount = core::DeviceConnection::kPortCount;
    std::vector<const device::PortEntry*> offers;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const device::PortEntry& entry = entries[i];
        if (entry.offerFor > 0) {
            offers.push_back(&entry);
            continue;
        }
        const int row = static_cast<int>(i);
        if (row >= com->count() || row >= kCount)
            continue;
        if (com->itemText(row) != entry.text)
            com->setItemText(row, entry.text);
        com->setItemData(row, entry.present ? QVariant() : QVariant(palette().brush(QPalette::Disabled, QPalette::Text)),
                         Qt::ForegroundRole);
    }

    // The offered adapters after a separator, rebuilt only when they changed.
    QStringList shown;
    for (int row = kCount + 1; row < com->count(); ++row)
        shown << com->itemText(row) + com->itemData(row, Qt::ToolTipRole).toString();
    QStringList wanted;
    const auto hint = [&](int number) {
        return texts::text(texts::Text::AdapterHint, settings_->language).arg(number);
    };
    for (const device::PortEntry* offer : offers)
        wanted << offer->text + hint(offer->offerFor);
    if (shown == wanted)
        return;
    while (com->count() > kCount)
        com->removeItem(com->count() - 1);
    if (offers.empty())
        return;
    com->insertSeparator(kCount);
    for (const device::PortEntry* offer : offers) {
        com->addItem(offer->text);
        const int row = com->count() - 1;
        com->setItemData(row, offer->offerFor, kOfferComRole);
        com->setItemData(row, QByteArray::fromStdString(offer->device), kOfferDeviceRole);
        com->setItemData(row, hint(offer->offerFor), Qt::ToolTipRole);
    }
}

void Einstellungen::assignAdapter(int number, const std::string& device)
{
    auto* com = control<QComboBox>(id::ComList);
    const int row = number - 1;
    const bool written = number >= 1 && number <= core::DeviceConnection::kPortCount
        && core::writeProfileStrings(settings_->settingsFilePath, {{"COM", "COM" + std::to_string(number), device}});
    {
        // The entry chosen stands for COM<number> now (or, when the file
        // could not take it, the list goes back to the port in use).
        const QSignalBlocker quiet(com);
        com->setCurrentIndex(written ? row : settings_->comPort - 1);
    }
    if (!written) {
        tellSettingsNotSaved();
        return;
    }
    settings_->comPort = number;
    identifyDevice(number);
    refreshPortList();
}

void Einstellungen::showProblem(std::optional<settings::PortProblem> problem, const device::OpenFailure& failure)
{
    problem_ = problem;
    failure_ = failure;
    if (!problemLine_)
        return;
    QString text;
    if (problem) {
        const std::string port = "COM" + std::to_string(connection_->portNumber());
        device::OpenFailure named = failure;
        if (named.device.empty())
            named.device = core::portResolver(*settings_)(port);  // a reach that did not say what it opened
        text = settings::portProblemText(*problem, named, QString::fromStdString(port), settings_->language);
    }
    problemLine_->setText(text);
    problemLine_->setAccessibleName(text);
    problemLine_->setVisible(problem.has_value());
    // The red lamp tells the same, to the pointer and to a screen reader.
    auto* lamp = control(id::RedLamp);
    lamp->setToolTip(problem ? text : lampHelp_);
    nameImages();
    if (problem)
        lamp->setAccessibleName(lamp->accessibleName() + QStringLiteral(": ") + text);
}

void Einstellungen::identifyDevice(int number)
{
    setControlText(id::Model, kNoValue);
    setControlText(id::Version, kNoValue);
    connection_->choosePort(number);
}

void Einstellungen::validateRefreshRate()
{
    const QString text = control<QLineEdit>(id::Refresh)->text().left(99).trimmed();
    const int value = core::parseLeadingInt(text.toStdString());
    const auto asFloat = static_cast<float>(value);
    const bool valid = !text.isEmpty() && asFloat >= kRefreshMin && asFloat <= kRefreshMax;
    setControlVisible(id::RefreshMarker, !valid);
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
    lampHelp_ = control(id::RedLamp)->toolTip();
    showProblem(problem_, failure_);  // in the new language
}

void Einstellungen::changeLanguage()
{
    const int index = control<QComboBox>(id::LanguageList)->currentIndex();
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
    emit languageChanged();
    texts::showMessage(*this, messages_, kLanguageChanged);
}

} // namespace trgui::pages
