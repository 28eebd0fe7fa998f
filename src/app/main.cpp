#include "call_controls_sheet.h"
#include "device_lock.h"

#include <QApplication>

#ifndef _WIN32
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace trgui::app {

// The application: builds the main window, runs it modally and ends when it closes.
class CTRGuiApp : public QApplication {
public:
    CTRGuiApp(int& argc, char** argv) : QApplication(argc, argv)
    {
        setApplicationName(QStringLiteral("TR-GUI"));
        setApplicationVersion(QStringLiteral(TRGUI_VERSION));
    }

    int run()
    {
        CAllControlsSheet sheet;
        closeOnTermination(sheet);
        sheet.exec();
        return 0;
    }

private:
#ifndef _WIN32
    // A termination request (logout, shutdown, kill) closes the window the
    // normal way, so the settings are saved and the port is released.
    static inline int signalPipe[2] = {-1, -1};

    static void onSignal(int)
    {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
    }

    void closeOnTermination(CAllControlsSheet& sheet)
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
            return;
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &sheet);
        QObject::connect(notifier, &QSocketNotifier::activated, &sheet, [&sheet, notifier] {
            char byte;
            [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
            notifier->setEnabled(false);
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != &sheet)
                modal->close();  // a message box or file dialog of a page
            sheet.done(QDialog::Accepted);
        });
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGHUP, &action, nullptr);
    }
#else
    void closeOnTermination(CAllControlsSheet&) {}
#endif
};

} // namespace trgui::app

int main(int argc, char** argv)
{
    trgui::app::deviceLock();  // exists before the main window and outlives it
    trgui::app::CTRGuiApp app(argc, argv);
    return app.run();
}
