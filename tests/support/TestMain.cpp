#include <QCoreApplication>
#include <gtest/gtest.h>

// Tests that use QProcess or timers need an event loop owner.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
