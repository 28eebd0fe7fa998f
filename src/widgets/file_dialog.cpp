#include "widgets/file_dialog.h"

#include "platform/platform.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>

namespace trgui::widgets {

namespace {

// Icons and type names from the name alone: a folder, or a file with its
// suffix. Neither looks inside the file.
class NameOnlyIconProvider : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override
    {
        return QApplication::style()->standardIcon(type == QAbstractFileIconProvider::Folder ? QStyle::SP_DirIcon
                                                                                             : QStyle::SP_FileIcon);
    }
    QIcon icon(const QFileInfo& info) const override
    {
        return icon(info.isDir() ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
    }
    QString type(const QFileInfo& info) const override
    {
        if (info.isDir())
            return QFileDialog::tr("Folder");
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QFileDialog::tr("File") : suffix.toUpper();
    }
};

// Qt's dialog restores its state, the folder last visited among it, from the
// user's QtProject settings while it is being built, before our icon provider
// is in place, and its file-info thread types the files there at once. So it
// keeps its state in a folder of this process alone, emptied after each use;
// the folder to start in is ours to choose (WORKINGDIR), and other programs'
// remembered folders are left as they are.
class PrivateDialogState {
public:
    PrivateDialogState() : folder_(QDir::temp().filePath(folderPrefix(QCoreApplication::applicationPid()) + QStringLiteral("XXXXXX")))
    {
        removeFoldersOfEndedSessions();
        if (folder_.isValid()) {
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.path());
            QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
        }
    }
    void forget()
    {
        if (!folder_.isValid())
            return;  // never the user's own settings
        QSettings state(QSettings::UserScope, QStringLiteral("QtProject"));
        state.remove(QStringLiteral("FileDialog"));
        state.remove(QStringLiteral("Qt/filedialog"));
    }

    // "TR-GUI-dialog-<pid>-": a session killed before it could remove its
    // folder leaves it behind; the next session knows it by the ended pid.
    static QString folderPrefix(qint64 pid)
    {
        return QStringLiteral("%1-dialog-%2-").arg(QCoreApplication::applicationName()).arg(pid);
    }
    static void removeFoldersOfEndedSessions()
    {
        const QString start = QCoreApplication::applicationName() + QStringLiteral("-dialog-");
        const QDir temp = QDir::temp();
        for (const QString& name : temp.entryList({start + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString pid = name.mid(start.size()).section(QLatin1Char('-'), 0, 0);
            bool number = false;
            const qint64 id = pid.toLongLong(&number);
            if (number && id != QCoreApplication::applicationPid() && !platform::processRuns(id))
                QDir(temp.filePath(name)).removeRecursively();
        }
    }

private:
    QTemporaryDir folder_;
};

} // namespace

QString chooseFile(QWidget* parent, FileDialogKind kind, const QString& title, const QString& directory,
                   const QString& filter, QString* selectedFilter, const QString& suggestedName)
{
    static PrivateDialogState state;
    state.forget();
    const bool save = kind == FileDialogKind::Save;
    QFileDialog dialog(parent, title, directory.isEmpty() ? QDir::homePath() : directory, filter);
#ifndef Q_OS_WIN
    // The platform's dialog may be this very one, or a portal that types files
    // its own way; ours is the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    NameOnlyIconProvider icons;
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save && !suggestedName.isEmpty()) {
        // A name, not a path: a tag typed as "FT/101" must not point elsewhere.
        QString name = suggestedName;
        for (QChar& c : name) {
            if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
                c = QLatin1Char('_');
        }
        dialog.selectFile(name);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

} // namespace trgui::widgets
