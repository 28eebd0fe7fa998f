#include "support/system_locale.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// Qt's serial port and process classes want an application object.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!trgui::testing::underTheLocaleAskedFor())
        return 1;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
