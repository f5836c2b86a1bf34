#include <QApplication>
#include <gtest/gtest.h>

// The skin engine paints widgets, which need a QApplication rather than the shared main's
// QCoreApplication. Without a platform named, the tests (and their discovery at build time)
// draw offscreen rather than look for a display.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
