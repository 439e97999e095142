#include <gtest/gtest.h>

#include <QApplication>

#include "app/ControlRegistry.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Tests never need a display; test discovery runs them without the test environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterControlClasses();
    return RUN_ALL_TESTS();
}
