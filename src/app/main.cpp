#include "call_controls_sheet.h"
#include "device_lock.h"

#include <QApplication>

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
        sheet.exec();
        return 0;
    }
};

} // namespace trgui::app

int main(int argc, char** argv)
{
    trgui::app::deviceLock();  // exists before the main window and outlives it
    trgui::app::CTRGuiApp app(argc, argv);
    return app.run();
}
