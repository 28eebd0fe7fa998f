#include "app/call_controls_sheet.h"
#include "core/device_lock.h"
#include "platform/platform.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstring>

namespace trgui::app {

// The application: builds the main window, runs it modally and ends when it closes.
class CTRGuiApp : public QApplication {
public:
    CTRGuiApp(int& argc, char** argv) : QApplication(argc, argv)
    {
        setApplicationName(QStringLiteral("TR-GUI"));
        setApplicationVersion(QStringLiteral(TRGUI_VERSION));
    }

    int run(const QString& traceFile)
    {
        CAllControlsSheet sheet;
        if (!traceFile.isEmpty())
            sheet.setTraceFile(traceFile);
        closeOnTermination(sheet);
        sheet.exec();
        return 0;
    }

private:
    // A termination request (logout, shutdown, kill) closes the window the
    // normal way, so the settings are saved and the port is released. They
    // are saved at once too: at a Windows session's end the process ends
    // when the handler returns.
    static void closeOnTermination(CAllControlsSheet& sheet)
    {
        platform::onTermination(&sheet, [&sheet] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != &sheet)
                modal->close();  // a message box or file dialog of a page
            sheet.done(QDialog::Accepted);
            sheet.keepSettings();
        });
    }
};

} // namespace trgui::app

namespace {

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption trace{QStringLiteral("trace"),
                             QStringLiteral("Appends a trace of every request and reply on the serial line to FILE."),
                             QStringLiteral("FILE")};
    CommandLine()
    {
        parser.setApplicationDescription(QStringLiteral("Service tool for the KM210 flow monitor."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(trace);
    }
};

bool asksForHelpOrVersion(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // --help and --version answer without a window (and without a display).
    if (asksForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("tr-gui"));
        QCoreApplication::setApplicationVersion(QStringLiteral(TRGUI_VERSION));
        CommandLine line;
        line.parser.process(app);  // prints and exits
        return 0;
    }
    // The service log and the recordings keep whole lines at a file size
    // limit too; they tell the technician instead of the program vanishing.
    trgui::platform::writeOnAtFileSizeLimit();
    trgui::core::deviceLock();  // exists before the main window and outlives it
    trgui::app::CTRGuiApp app(argc, argv);
    CommandLine line;
    line.parser.process(app);
    return app.run(line.parser.value(line.trace));
}
