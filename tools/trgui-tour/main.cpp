// trgui-tour: runs the real main window in the current (program) directory
// and walks it through its pages the way a technician would on a first
// connection: Settings, Configuration, Operation with a short CSV recording,
// Visualisation, and the about box. Saves a picture of each step. Used by
// ./run on machines without a display, and for looking at the pages.
//
//   trgui-tour --out DIR [--record-seconds N]

#include "app/call_controls_sheet.h"
#include "core/device_lock.h"
#include "pages/configuration/ckonfiguration.h"
#include "pages/operation/cbetrieb.h"
#include "pages/page_base.h"
#include "pages/visualisation/cgrafik.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace trgui;

namespace {

void save(QWidget& window, const QString& path)
{
    window.grab().save(path);
    std::printf("  %s\n", qPrintable(path));
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < timeoutMs)
        QTest::qWait(50);
    return condition();
}

} // namespace

int main(int argc, char** argv)
{
    core::deviceLock();
    QApplication application(argc, argv);
    QString out = QStringLiteral(".");
    int recordSeconds = 6;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        if (option == QLatin1String("--out"))
            out = QString::fromLocal8Bit(argv[i + 1]);
        else if (option == QLatin1String("--record-seconds"))
            recordSeconds = std::atoi(argv[i + 1]);
    }
    QDir().mkpath(out);
    const QDir outDir(out);

    // Message boxes are answered and reported instead of waiting for a user.
    pages::PageBase::setMessageBoxHandler([](const QString& caption, const QString& text) {
        std::printf("message box: %s: %s\n", qPrintable(caption), qPrintable(QString(text).replace('\n', ' ')));
    });
    const QString csv = outDir.filePath(QStringLiteral("recording.csv"));
    pages::PageBase::setFileChooser(
        [&](QWidget*, pages::PageBase::FileDialog, const QString&, const QString&) { return csv; });

    app::CAllControlsSheet sheet;
    sheet.show();
    QTest::qWait(800);
    std::printf("pictures:\n");
    save(sheet, outDir.filePath(QStringLiteral("1-connect.png")));

    sheet.tabs()->setCurrentIndex(1);
    QTest::qWait(300);
    sheet.configurationPage()->control<QAbstractButton>(1011)->click();
    QTest::qWait(300);
    save(sheet, outDir.filePath(QStringLiteral("2-configure.png")));

    // The chart plots from here on, so it has samples when its page is shown.
    auto* visualisation = sheet.visualisationPage();
    visualisation->ensureInitialised();
    visualisation->control<QAbstractButton>(1131)->click();

    sheet.tabs()->setCurrentIndex(2);
    auto* operation = sheet.operationPage();
    const bool polled = waitUntil([&] { return operation->recordStartEnabled(); }, 8000);
    save(sheet, outDir.filePath(QStringLiteral("3-watch.png")));
    if (polled) {
        operation->control<QAbstractButton>(1126)->click();
        QTest::qWait(recordSeconds * 1000);
    } else {
        std::printf("no complete poll arrived: is the device connected?\n");
    }
    save(sheet, outDir.filePath(QStringLiteral("4-record.png")));

    sheet.tabs()->setCurrentIndex(3);
    if (polled)
        waitUntil([&] { return visualisation->sampleCount() >= 8; }, 15000);
    QTest::qWait(500);
    save(sheet, outDir.filePath(QStringLiteral("5-plot.png")));
    std::printf("chart: %d samples plotted\n", visualisation->sampleCount());
    if (operation->recording())
        operation->control<QAbstractButton>(1127)->click();

    QTimer::singleShot(500, [&] {
        if (QWidget* about = QApplication::activeModalWidget()) {
            save(*about, outDir.filePath(QStringLiteral("6-about.png")));
            about->close();
        }
    });
    sheet.showAbout();

    if (QFile::exists(csv))
        std::printf("recording: %s\n", qPrintable(csv));
    return polled ? 0 : 1;
}
