// GoogleTest entry for every test program: the program's application object on the offscreen platform, so widget
// code and font rendering run without a display.
#include "platform/application.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace lumira;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);  // shows exceptions that escape event handlers in the error box
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
