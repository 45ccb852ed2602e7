#include "gui/start/app_setup.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // No display is needed, also when the tests are listed outside CTest.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // As the program sets itself up, so the dialogs and pickers under test speak Hungarian too.
    zel::gui::setUpApplication(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
