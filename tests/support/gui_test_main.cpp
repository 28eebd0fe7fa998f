#include "support/system_locale.h"

#include <QApplication>

#include <gtest/gtest.h>

// Widget tests run on the offscreen platform unless a display is asked for.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!trgui::testing::underTheLocaleAskedFor())
        return 1;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
