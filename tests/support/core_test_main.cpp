// GoogleTest entry for the tests of the core: a plain Qt application object, no windows and no
// drawing, so that the core is shown to work without either. Tests that draw text use the
// entry of gui_test_main.cpp.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
