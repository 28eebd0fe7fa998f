#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <QTemporaryDir>

#include <string>
#include <utility>
#include <vector>

namespace trgui::testing {

// Not hidden by the page (the window itself may be offscreen).
inline bool shown(const QWidget* w)
{
    return w && !w->isHidden();
}

// A temporary program directory with the language files, made the current
// directory for the life of the object (the program takes its directory and
// settings file from there). Message boxes and questions are answered (Yes)
// and recorded.
class ProgramDirectory {
public:
    ProgramDirectory();
    ~ProgramDirectory();
    ProgramDirectory(const ProgramDirectory&) = delete;
    ProgramDirectory& operator=(const ProgramDirectory&) = delete;

    std::string path() const;  // with a trailing separator
    QString file(const QString& name) const;
    // Writes TR-GUI.ini with the given lines (joined with CR LF).
    void writeSettings(const std::vector<std::string>& lines) const;
    QByteArray settingsFile() const;

    // Message boxes and questions shown since the last call: caption and text.
    std::vector<std::pair<QString, QString>> takeBoxes();

private:
    QTemporaryDir dir_;
    QString previous_;
};

} // namespace trgui::testing
