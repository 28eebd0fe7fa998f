#pragma once

#include "core/service_log.h"
#include "core/settings_record.h"
#include "texts/catalogue.h"
#include "texts/page_controls.h"
#include "texts/text_page.h"
#include "texts/text_table.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <map>
#include <span>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace trgui::core {
class DeviceLock;
class PortSlot;
} // namespace trgui::core

namespace trgui::pages {

// Common ground of the four pages: controls addressed by id, text loading,
// message boxes, and initialisation on first show.
class PageBase : public QWidget, public texts::TextPage {
    Q_OBJECT
public:
    explicit PageBase(QWidget* parent = nullptr);

    // The tab title of a page, chosen by LANGUAGE through a short-lived
    // settings record of the program directory (loaded and saved back), from
    // the catalogue.
    static QString tabTitleFor(texts::Text title);

    // Builds the page's controls and reads its texts; runs once, the first
    // time the page is shown.
    void ensureInitialised();
    bool initialised() const { return initialised_; }

    // Reads the page's texts again after a language change.
    virtual void reloadTexts() = 0;

    // Gives the focus to the first field or list Tab reaches on the page (the
    // first button only when there is none).
    void focusFirstControl();

    // texts::TextPage
    bool hasControl(int id) const override;
    void setControlText(int id, const QString& text) override;
    void setControlToolTip(int id, const QString& text) override;
    void setControlVisible(int id, bool visible) override;
    void setControlEnabled(int id, bool enabled) override;
    void showMessageBox(const QString& caption, const QString& text) override;

    QWidget* control(int id) const;
    template <typename T>
    T* control(int id) const { return qobject_cast<T*>(control(id)); }

    // Whether the device answers (green lamp on the Settings page, or a
    // device that replies otherwise than a connection needs). When the last
    // word is that it does not, or the page knows that it has gone silent
    // since, the judgement may be out of date (a busy machine, a device that
    // has just come back): the device is asked once, now, who it is, on port
    // and under lock, and a reply of any kind lets the command go ahead. Only
    // when that brings nothing either (or there is no port to ask on), says
    // so in a box of messages and returns false. Every button that talks to
    // the device asks this first.
    bool deviceAnswers(const texts::MessageTable& messages, core::PortSlot* port, core::DeviceLock* lock,
                       bool silentSince = false);

    // Enters an action that changed the device in the service log, with the
    // port, model and software version of the device and the technician.
    // While entries cannot be written, the pages' service log notices say how
    // many are missing, since when and why (a box of messages says so at the
    // first); the action stands either way.
    void logServiceAction(const texts::MessageTable& messages, core::ServiceAction action, core::ServiceOutcome outcome,
                          const QString& details = {});
    void logServiceAction(const texts::MessageTable& messages, core::ServiceAction action, core::ServiceOutcome outcome,
                          core::ServiceDetails details);
    // The box that says the settings file cannot be written, with its path
    // and the system's reason.
    void tellSettingsNotSaved();

    // Where the log is written; tests point it elsewhere.
    static void setServiceLogPath(const QString& path);
    // The actions logged since the program started, oldest first.
    static const std::vector<core::ServiceEntry>& sessionActions();

    // A modal Yes/No question; true for Yes. answers, when given, name the
    // two buttons instead (e.g. "Schreiben" / "Abbrechen"); text may be rich text.
    bool askQuestion(const QString& caption, const QString& text, const std::array<QString, 2>& answers = {});

    // Replace how message boxes and questions are shown (tests answer them without a window).
    using MessageBoxHandler = std::function<void(const QString& caption, const QString& text)>;
    static void setMessageBoxHandler(MessageBoxHandler handler);
    using QuestionHandler = std::function<bool(const QString& caption, const QString& text)>;
    static void setQuestionHandler(QuestionHandler handler);

    // Replaces the file dialogs (tests answer them without a window). An
    // empty answer is a cancelled dialog.
    enum class FileDialog { Save, Open };
    using FileChooser =
        std::function<QString(QWidget* parent, FileDialog kind, const QString& title, const QString& directory)>;
    static void setFileChooser(FileChooser chooser);

protected:
    virtual void initialisePage() = 0;
    void showEvent(QShowEvent* event) override;

    // Creates the widget for each definition (caption, objectName "ctl<id>",
    // accessible name) and registers it.
    void createControls(std::span<const texts::ControlDef> defs);
    void registerControl(int id, QWidget* widget);
    // The accessible name of field follows the text of label, and of column
    // (a column heading) when given, whatever language they are shown in.
    void describeBy(int field, int label, int column = 0);
    // The accessible name of an image that means something (a lamp, a
    // marker), from the catalogue; follows the language.
    void nameByLanguage(int image, texts::Text name);
    // Gives those images their names in the current language again.
    void nameImages();
    // The order Tab walks through the page: as the controls stand on the
    // screen, columns top to bottom, left to right.
    void setTabChain(const std::vector<QWidget*>& widgets);
    void setTabChain(std::span<const int> ids);
    // Reads labels and help for the current language; a language without
    // files reads nothing. The service log notice follows the language.
    void loadTexts(const char* labelsStem, const char* helpStem);
    // The red line, shown while service log entries cannot be written, that
    // says how many are missing, since when and why; the page places it.
    QLabel* serviceLogNotice();
    void loadMessageTable(texts::MessageTable& table);
    std::string programDirectory() const;

    // A save or open dialog titled title, starting in WORKINGDIR; the path
    // chosen, or empty when cancelled. The filter chosen goes to selectedFilter;
    // a save dialog offers suggestedName.
    QString chooseFile(FileDialog kind, const QString& title, const QString& filter,
                       QString* selectedFilter = nullptr, const QString& suggestedName = {});
    // WORKINGDIR becomes the folder of path (cut after its last separator),
    // and the settings file is saved. Returns path in native form, local 8-bit.
    std::string rememberWorkingDir(const QString& path);
    // Saves the settings file; the first time it cannot be written in this
    // run, a box says so with its path.
    void saveSettings();

    core::SettingsRecord* settings_ = nullptr;

private:
    void refreshDescriptions(int label);
    void showServiceLogFault();

    bool initialised_ = false;
    std::map<int, QWidget*> controls_;
    struct Description {
        int field;
        int label;
        int column;
    };
    std::vector<Description> descriptions_;
    std::map<int, std::function<QString(int language)>> imageNames_;
    std::vector<QPointer<QWidget>> tabChain_;
    QLabel* serviceLogNotice_ = nullptr;
};

// The wait cursor while a conversation with the device runs.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// A lamp or marker image drawn from the resources.
QPixmap lampPixmap(const QString& resource, int size);
// The maker's picture at the bottom right of the pages and in the about box.
QLabel* logoLabel(QWidget* parent);

} // namespace trgui::pages
