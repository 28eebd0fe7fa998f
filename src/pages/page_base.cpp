#include "pages/page_base.h"

#include "core/device_lock.h"
#include "core/port_slot.h"
#include "core/settings_record.h"

#include "device/protocol.h"
#include "widgets/file_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

namespace trgui::pages {

namespace {

constexpr int kToolTipMs = 30000;
constexpr int kToolTipWidth = 500;

PageBase::MessageBoxHandler& messageBoxHandler()
{
    static PageBase::MessageBoxHandler handler;
    return handler;
}

PageBase::QuestionHandler& questionHandler()
{
    static PageBase::QuestionHandler handler;
    return handler;
}

PageBase::FileChooser& fileChooser()
{
    static PageBase::FileChooser chooser;
    return chooser;
}

} // namespace

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

QPixmap lampPixmap(const QString& resource, int size)
{
    return QIcon(resource).pixmap(size, size);
}

QLabel* logoLabel(QWidget* parent)
{
    auto* logo = new QLabel(parent);
    logo->setPixmap(QIcon(QStringLiteral(":/trgui/logo.svg")).pixmap(124, 46));
    logo->setAccessibleName(QStringLiteral("Trelvik KM210"));
    return logo;
}

PageBase::PageBase(QWidget* parent) : QWidget(parent)
{
}

namespace {

// LANGUAGE of the program directory's settings, read for a tab title.
int tabTitleLanguage()
{
    auto temporary = core::SettingsRecord::forProgramDirectory(core::currentProgramDirectory());
    temporary.load();
    const int language = temporary.language;
    temporary.save();
    return language;
}

} // namespace

QString PageBase::tabTitleFor(texts::Text title)
{
    const int language = tabTitleLanguage();
    if (language < 0 || language > 2)
        return {};
    return texts::text(title, language);
}

void PageBase::ensureInitialised()
{
    if (initialised_)
        return;
    initialised_ = true;
    initialisePage();
}

void PageBase::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Tooltips are the page's help; they should also come while another
    // window (the spreadsheet with the recording, say) has the focus. Qt asks
    // the window, not the page.
    window()->setAttribute(Qt::WA_AlwaysShowToolTips);
    ensureInitialised();
}

void PageBase::setTabChain(const std::vector<QWidget*>& widgets)
{
    tabChain_.clear();
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (!w)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        tabChain_.emplace_back(w);
        previous = w;
    }
}

void PageBase::setTabChain(std::span<const int> ids)
{
    std::vector<QWidget*> widgets;
    for (int id : ids)
        widgets.push_back(control(id));
    setTabChain(widgets);
}

void PageBase::focusFirstControl()
{
    // Not isVisible(): controls made at the page's first show are shown a
    // moment later; only those hidden on purpose are left out.
    const auto takesTab = [](const QWidget* w) {
        return w && !w->isHidden() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
    };
    // The first field or list rather than a button: Enter or Space on a
    // button the technician did not choose would act on the device.
    QWidget* first = nullptr;
    for (const auto& w : tabChain_) {
        if (!takesTab(w))
            continue;
        if (!qobject_cast<QAbstractButton*>(w.data())) {
            first = w;
            break;
        }
        if (!first)
            first = w;
    }
    // Framed as after a Tab: Qt draws the focus frame only once the keyboard
    // has moved the focus in this window, and a page opened is such a move.
    window()->setAttribute(Qt::WA_KeyboardFocusChange);
    if (first) {
        first->setFocus(Qt::TabFocusReason);
        first->update();  // already focused: the frame is still to be drawn
    } else {
        focusNextChild();
    }
}

void PageBase::setMessageBoxHandler(MessageBoxHandler handler)
{
    messageBoxHandler() = std::move(handler);
}

QWidget* PageBase::control(int id) const
{
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

bool PageBase::hasControl(int id) const
{
    return control(id) != nullptr;
}

void PageBase::setControlText(int id, const QString& text)
{
    QWidget* w = control(id);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);  // its accessible name is its text
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    } else {
        return;
    }
    refreshDescriptions(id);
}

void PageBase::setControlToolTip(int id, const QString& text)
{
    QWidget* w = control(id);
    if (!w)
        return;
    // Long texts wrap at the tooltip width; short ones keep their own breaks.
    const QFontMetrics metrics(w->font());
    int widest = 0;
    for (const auto& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    if (widest > kToolTipWidth) {
        QString html = text.toHtmlEscaped();
        html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
        w->setToolTip(QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>").arg(kToolTipWidth).arg(html));
    } else {
        w->setToolTip(text);
    }
    w->setToolTipDuration(kToolTipMs);
    if (w->accessibleDescription() != text)
        w->setAccessibleDescription(text);
}

void PageBase::setControlVisible(int id, bool visible)
{
    if (QWidget* w = control(id))
        w->setVisible(visible);
}

void PageBase::setControlEnabled(int id, bool enabled)
{
    if (QWidget* w = control(id))
        w->setEnabled(enabled);
}

void PageBase::showMessageBox(const QString& caption, const QString& text)
{
    if (messageBoxHandler()) {
        messageBoxHandler()(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    box.exec();
}

void PageBase::setQuestionHandler(QuestionHandler handler)
{
    questionHandler() = std::move(handler);
}

bool PageBase::deviceAnswers(const texts::MessageTable& messages, core::PortSlot* port, core::DeviceLock* lock,
                             bool silentSince)
{
    constexpr int kNoDevice = 28;
    // A device that replies, though not as a connection needs, is polled, and so takes commands too.
    if (settings_ && (settings_->deviceAnswering || settings_->deviceUnrecognised) && !silentSince)
        return true;
    if (port && *port && lock) {
        // One identification, as any page conversation: under the lock, so
        // no poll comes between, and after whatever is on the line now.
        core::DeviceLockGuard guard(*lock);
        device::Reply reply;
        {
            BusyCursor busy;
            port->runAndWait([&reply](core::PortSlot::Port& link) {
                if (link)
                    reply = device::exchange(*link, device::DeviceCommand::Identify, device::DrainMode::Auto);
            });
        }
        if (!reply.empty())
            return true;
    }
    texts::showMessage(*this, messages, kNoDevice);
    return false;
}

namespace {
QString& serviceLogOverride()
{
    static QString path;
    return path;
}
std::vector<core::ServiceEntry>& actionsOfThisSession()
{
    static std::vector<core::ServiceEntry> actions;
    return actions;
}
// Counts the entries it could not write for as long as the program runs.
core::ServiceLog& serviceLog()
{
    static core::ServiceLog log;
    return log;
}
std::vector<QPointer<PageBase>>& pagesWithServiceLogNotice()
{
    static std::vector<QPointer<PageBase>> pages;
    return pages;
}
} // namespace

const std::vector<core::ServiceEntry>& PageBase::sessionActions()
{
    return actionsOfThisSession();
}

void PageBase::setServiceLogPath(const QString& path)
{
    serviceLogOverride() = path;
}

void PageBase::logServiceAction(const texts::MessageTable& messages, core::ServiceAction action,
                                core::ServiceOutcome outcome, const QString& details)
{
    logServiceAction(messages, action, outcome, core::sameInEveryLanguage(details));
}

void PageBase::logServiceAction(const texts::MessageTable& messages, core::ServiceAction action,
                                core::ServiceOutcome outcome, core::ServiceDetails details)
{
    constexpr int kLogNotWritten = 33;
    if (!settings_)
        return;
    core::ServiceEntry entry;
    entry.at = QDateTime::currentDateTime();
    entry.port = core::portDescription(*settings_);
    entry.model = settings_->model;
    entry.softwareVersion = settings_->softwareVersion;
    entry.action = action;
    entry.outcome = outcome;
    entry.details = std::move(details);
    entry.technician = QString::fromLocal8Bit(settings_->technician.c_str());
    entry.instrumentTag = QString::fromLocal8Bit(settings_->instrumentTag.c_str());
    actionsOfThisSession().push_back(entry);
    core::ServiceLog& log = serviceLog();
    log.setPath(serviceLogOverride().isEmpty() ? core::serviceLogPath() : serviceLogOverride());
    const bool written = log.append(entry, settings_->language);
    auto& pages = pagesWithServiceLogNotice();
    std::erase_if(pages, [](const QPointer<PageBase>& page) { return page.isNull(); });
    for (const auto& page : pages)
        page->showServiceLogFault();
    // The box comes with the first entry of a run of failures; the notices
    // keep count after it.
    if (!written && log.gap().entries == 1) {
        showMessageBox(messages.caption(kLogNotWritten), texts::messageBoxText(messages, kLogNotWritten)
                                                             .arg(QDir::toNativeSeparators(log.path()), log.gap().reason));
    }
}

QLabel* PageBase::serviceLogNotice()
{
    if (!serviceLogNotice_) {
        serviceLogNotice_ = new QLabel(this);
        serviceLogNotice_->setObjectName(QStringLiteral("serviceLogNotice"));
        serviceLogNotice_->setWordWrap(true);
        serviceLogNotice_->setStyleSheet(QStringLiteral("color: #b00000;"));
        serviceLogNotice_->hide();
        pagesWithServiceLogNotice().push_back(this);
    }
    return serviceLogNotice_;
}

void PageBase::showServiceLogFault()
{
    constexpr int kLogEntriesMissing = 40;
    if (!serviceLogNotice_)
        return;
    const core::ServiceLog& log = serviceLog();
    const core::ServiceLogGap& gap = log.gap();
    if (gap.entries > 0) {
        texts::MessageTable messages;
        loadMessageTable(messages);
        QString text = texts::messageBoxText(messages, kLogEntriesMissing)
                           .arg(QString::number(gap.entries), QDir::toNativeSeparators(log.path()),
                                gap.since.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss")), gap.reason);
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        serviceLogNotice_->setText(text);
        serviceLogNotice_->setAccessibleName(text);
    }
    serviceLogNotice_->setVisible(gap.entries > 0);
}

bool PageBase::askQuestion(const QString& caption, const QString& text, const std::array<QString, 2>& answers)
{
    if (questionHandler())
        return questionHandler()(caption, text);
    if (answers[0].isEmpty()) {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, this);
    QPushButton* yes = box.addButton(answers[0], QMessageBox::YesRole);
    box.setDefaultButton(box.addButton(answers[1], QMessageBox::NoRole));
    box.exec();
    return box.clickedButton() == yes;
}

void PageBase::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

QString PageBase::chooseFile(FileDialog kind, const QString& title, const QString& filter, QString* selectedFilter,
                             const QString& suggestedName)
{
    QString directory = settings_ ? QString::fromLocal8Bit(settings_->workingDir.c_str()) : QString();
    // An installed program's directory is no place for the user's files: with
    // no directory remembered yet, start at home.
    const bool installed =
        settings_ && settings_->settingsFilePath != settings_->programDirectory + core::kSettingsFileName;
    if (directory.isEmpty() && installed)
        directory = QDir::homePath();
    if (fileChooser())
        return fileChooser()(this, kind, title, directory);
    return widgets::chooseFile(this, kind == FileDialog::Save ? widgets::FileDialogKind::Save : widgets::FileDialogKind::Open,
                               title, directory, filter, selectedFilter, suggestedName);
}

std::string PageBase::rememberWorkingDir(const QString& chosen)
{
    const std::string path = QDir::toNativeSeparators(chosen).toLocal8Bit().toStdString();
    if (settings_) {
        const auto lastSeparator = path.find_last_of(QDir::separator().toLatin1());
        settings_->workingDir = lastSeparator == std::string::npos ? std::string() : path.substr(0, lastSeparator + 1);
        saveSettings();
    }
    return path;
}

void PageBase::saveSettings()
{
    if (!settings_ || settings_->save() || settings_->saveFailureShown)
        return;
    settings_->saveFailureShown = true;
    tellSettingsNotSaved();
}

void PageBase::tellSettingsNotSaved()
{
    constexpr int kSettingsNotSaved = 23;
    texts::MessageTable messages;
    loadMessageTable(messages);
    QString text = texts::messageBoxText(messages, kSettingsNotSaved)
                       .arg(QDir::toNativeSeparators(QString::fromLocal8Bit(settings_->settingsFilePath.c_str())));
    if (!settings_->lastSaveError.isEmpty())
        text += QStringLiteral("\n\n") + settings_->lastSaveError;
    showMessageBox(messages.caption(kSettingsNotSaved), text);
}

void PageBase::registerControl(int id, QWidget* widget)
{
    widget->setObjectName(QStringLiteral("ctl%1").arg(id));
    controls_[id] = widget;
}

void PageBase::createControls(std::span<const texts::ControlDef> defs)
{
    using texts::ControlKind;
    for (const auto& def : defs) {
        const QString caption = def.caption ? QString::fromUtf8(def.caption) : QString();
        QWidget* w = nullptr;
        switch (def.kind) {
        case ControlKind::Label:
            w = new QLabel(caption, this);
            break;
        case ControlKind::Field: {
            auto* field = new QLineEdit(this);
            field->setReadOnly(true);
            field->setFocusPolicy(Qt::ClickFocus);
            w = field;
            break;
        }
        case ControlKind::Edit:
            w = new QLineEdit(this);
            break;
        case ControlKind::Button:
            w = new QPushButton(caption, this);
            break;
        case ControlKind::CheckBox:
            w = new QCheckBox(caption, this);
            break;
        case ControlKind::ComboBox:
            w = new QComboBox(this);
            break;
        case ControlKind::Image: {
            auto* image = new QLabel(this);
            image->setAlignment(Qt::AlignCenter);
            w = image;
            break;
        }
        case ControlKind::Frame: {
            auto* frame = new QFrame(this);
            frame->setFrameShape(QFrame::StyledPanel);
            w = frame;
            break;
        }
        }
        // Labels, buttons and check boxes are named by the text they show, in
        // whatever language it is loaded; no fixed name is set here.
        registerControl(def.id, w);
    }
}

void PageBase::describeBy(int field, int label, int column)
{
    // The label-for relation, which screen readers on Linux follow.
    if (auto* l = control<QLabel>(label); l && !l->buddy())
        l->setBuddy(control(field));
    descriptions_.push_back(Description{field, label, column});
    refreshDescriptions(label);
}

void PageBase::refreshDescriptions(int label)
{
    for (const auto& d : descriptions_) {
        if (d.label != label && d.column != label)
            continue;
        const auto* row = control<QLabel>(d.label);
        QWidget* field = control(d.field);
        if (!row || !field)
            continue;
        QString name = row->text();
        if (const auto* column = control<QLabel>(d.column))
            name += QLatin1Char(' ') + column->text();
        field->setAccessibleName(name);
    }
}

void PageBase::nameByLanguage(int image, texts::Text name)
{
    imageNames_[image] = [name](int language) { return texts::text(name, language); };
    nameImages();
}

void PageBase::nameImages()
{
    const int language = settings_ ? settings_->language : 0;
    for (const auto& [id, nameIn] : imageNames_) {
        if (QWidget* w = control(id))
            w->setAccessibleName(nameIn(language));
    }
}

std::string PageBase::programDirectory() const
{
    return settings_ ? settings_->programDirectory : core::currentProgramDirectory();
}

void PageBase::loadTexts(const char* labelsStem, const char* helpStem)
{
    nameImages();
    const int language = settings_ ? settings_->language : 0;
    if (const auto labels = texts::textFileName(labelsStem, language))
        texts::applyLabels(*this, programDirectory(), *labels);
    if (const auto help = texts::textFileName(helpStem, language))
        texts::applyHelp(*this, programDirectory(), *help);
    showServiceLogFault();
}

void PageBase::loadMessageTable(texts::MessageTable& table)
{
    const int language = settings_ ? settings_->language : 0;
    if (const auto messages = texts::textFileName(texts::stem::Messages, language))
        texts::loadMessages(*this, table, programDirectory(), *messages);
}

} // namespace trgui::pages
