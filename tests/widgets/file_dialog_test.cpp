#include "widgets/file_dialog.h"
#include "widgets/qt_texts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using trgui::widgets::chooseFile;
using trgui::widgets::FileDialogKind;

#ifndef _WIN32  // the dialog cases below run where blocking folders and process ids are POSIX
namespace {

// Runs chooseFile; once its dialog is up, act does what the user would.
QString chooseWith(FileDialogKind kind, const QString& start, const std::function<void(QFileDialog*)>& act)
{
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer.stop();
            act(dialog);
        }
    });
    timer.start(20);
    return chooseFile(nullptr, kind, QStringLiteral("title"), start, QStringLiteral("CSV (*.csv)"));
}

} // namespace
#endif

#ifndef _WIN32  // process ids and TMPDIR as POSIX systems have them
// The dialogs keep their state in a private temporary folder; one left behind
// by a session that was killed is removed by the next, one of a session that
// still runs is not. (Each test runs in a process of its own under CTest; this
// one must come first when the binary runs them all in one.)
TEST(FileDialog, foldersOfEndedSessionsAreRemoved)
{
    QTemporaryDir temp;
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 endedPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    const QString prefix = QCoreApplication::applicationName() + QStringLiteral("-dialog-");
    const QString gone = prefix + QString::number(endedPid) + QStringLiteral("-a1b2c3");
    const QString running = prefix + QStringLiteral("1-d4e5f6");  // pid 1 always runs
    const QString other = QStringLiteral("other-dialog-7-g7h8i9");
    for (const QString& name : {gone, running, other})
        ASSERT_TRUE(QDir(temp.path()).mkpath(name + QStringLiteral("/QtProject")));
    chooseWith(FileDialogKind::Open, temp.path(), [](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(QDir(temp.filePath(gone)).exists());
    EXPECT_TRUE(QDir(temp.filePath(running)).exists());
    EXPECT_TRUE(QDir(temp.filePath(other)).exists());
    qunsetenv("TMPDIR");
}
#endif

TEST(FileDialog, aSaveOffersTheSuggestedNameAsANameOnly)
{
    QTemporaryDir dir;
    QString offered;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer.stop();
            offered = dialog->selectedFiles().value(0);
            dialog->reject();
        }
    });
    timer.start(20);
    chooseFile(nullptr, FileDialogKind::Save, QStringLiteral("title"), dir.path(), QStringLiteral("PDF (*.pdf)"), nullptr,
               QStringLiteral("20261208-140215-FT/101.pdf"));
    EXPECT_EQ(offered, dir.filePath(QStringLiteral("20261208-140215-FT_101.pdf")));
}

#ifndef _WIN32  // a FIFO and /proc/kmsg: folders that block exist on Linux
// Qt's own dialog reads files of the folder it shows to guess their type and
// restores the folder any Qt program visited last, before it is told where
// to start; a file there that blocks when read froze the program for good.
// /proc/kmsg blocks for root (as CI runs); Qt 6.4 types FIFOs by stat, but a
// dialog that read them would block for anybody. Ours opens where it is told,
// reads no file, and leaves other programs' remembered folder as it was.
TEST(FileDialog, opensWhereToldAndNeverReadsAFileOfTheFolderShown)
{
    QTemporaryDir home;
    const QString blocking = home.filePath(QStringLiteral("blocking"));
    const QString start = home.filePath(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkpath(blocking) && QDir().mkpath(start));
    ASSERT_EQ(::mkfifo(QFile::encodeName(blocking + QStringLiteral("/pipe")).constData(), 0600), 0);
    QFile::link(QStringLiteral("/proc/kmsg"), blocking + QStringLiteral("/kmsg"));

    // The user's Qt settings as another Qt program left them.
    const QString userConfig = home.filePath(QStringLiteral("config"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, userConfig);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, userConfig);
    const QString blockingUrl = QUrl::fromLocalFile(blocking).toString();
    {
        QSettings qt(QSettings::UserScope, QStringLiteral("QtProject"));
        qt.setValue(QStringLiteral("FileDialog/lastVisited"), blockingUrl);
        qt.setValue(QStringLiteral("FileDialog/history"), QStringList{blockingUrl});
    }

    for (auto kind : {FileDialogKind::Save, FileDialogKind::Open}) {
        QString shown;
        const QString chosen = chooseWith(kind, start, [&](QFileDialog* dialog) {
            shown = dialog->directory().absolutePath();
            dialog->reject();
        });
        EXPECT_TRUE(chosen.isEmpty()) << "cancelled";
        EXPECT_EQ(shown, start);
        // The user walks into the blocking folder and stays a moment.
        chooseWith(kind, start, [&](QFileDialog* dialog) {
            dialog->setDirectory(blocking);
            QTimer::singleShot(500, dialog, &QDialog::reject);
        });
    }
    QString shown;
    chooseWith(FileDialogKind::Save, QString(), [&](QFileDialog* dialog) {
        shown = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_EQ(shown, QDir::homePath()) << "no folder given: home";

    QFile user(userConfig + QStringLiteral("/QtProject.conf"));
    ASSERT_TRUE(user.open(QIODevice::ReadOnly));
    EXPECT_TRUE(user.readAll().contains(blockingUrl.toUtf8())) << "other programs' remembered folder stays";
}

#endif

TEST(QtTexts, standardButtonsFollowTheProgramsLanguage)
{
    const std::pair<int, const char*> cases[] = {{0, "Abbrechen"}, {2, "Annuler"}, {1, "Cancel"}};
    for (const auto& [language, cancel] : cases) {
        ASSERT_TRUE(trgui::widgets::useQtTexts(language)) << language;
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QString::fromUtf8(cancel));
    }
}
