#include "support/program_directory.h"

#include "pages/page_base.h"

#include <QDir>
#include <QFile>

namespace trgui::testing {

namespace {
std::vector<std::pair<QString, QString>>& boxes()
{
    static std::vector<std::pair<QString, QString>> shown;
    return shown;
}
} // namespace

ProgramDirectory::ProgramDirectory() : previous_(QDir::currentPath())
{
    const QDir lang(QStringLiteral(LANG_DIR));
    for (const QString& name : lang.entryList({QStringLiteral("*.txt")}, QDir::Files))
        QFile::copy(lang.filePath(name), dir_.filePath(name));
    QDir::setCurrent(dir_.path());
    boxes().clear();
    // The service log goes here, never into the user's own.
    pages::PageBase::setServiceLogPath(dir_.filePath(QStringLiteral("service-log.csv")));
    pages::PageBase::setMessageBoxHandler(
        [](const QString& caption, const QString& text) { boxes().emplace_back(caption, text); });
    // A question is recorded like a box and answered Yes; a test that needs
    // another answer sets its own handler.
    pages::PageBase::setQuestionHandler([](const QString& caption, const QString& text) {
        boxes().emplace_back(caption, text);
        return true;
    });
}

ProgramDirectory::~ProgramDirectory()
{
    pages::PageBase::setMessageBoxHandler({});
    pages::PageBase::setQuestionHandler({});
    pages::PageBase::setServiceLogPath({});
    QDir::setCurrent(previous_);
}

std::string ProgramDirectory::path() const
{
    return (dir_.path() + QLatin1Char('/')).toStdString();
}

QString ProgramDirectory::file(const QString& name) const
{
    return dir_.filePath(name);
}

void ProgramDirectory::writeSettings(const std::vector<std::string>& lines) const
{
    QFile f(file(QStringLiteral("TR-GUI.ini")));
    if (!f.open(QIODevice::WriteOnly))
        return;
    for (const auto& line : lines)
        f.write((line + "\r\n").c_str());
}

QByteArray ProgramDirectory::settingsFile() const
{
    QFile f(file(QStringLiteral("TR-GUI.ini")));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::vector<std::pair<QString, QString>> ProgramDirectory::takeBoxes()
{
    return std::exchange(boxes(), {});
}

} // namespace trgui::testing
