#include <gtest/gtest.h>

#include <QCoreApplication>

// The window message tests need an application object on the main thread.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
