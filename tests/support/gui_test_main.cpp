#include "support/system_locale.h"

#include <QApplication>

#include <gtest/gtest.h>

// Widget tests run on the offscreen platform unless a display is asked for.
// On Windows they draw with the system's own platform, as the program does:
// the offscreen one there finds no fonts. (Under Wine its windows go to the
// X display Wine is given.)
int main(int argc, char** argv)
{
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    if (!trgui::testing::underTheLocaleAskedFor())
        return 1;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
