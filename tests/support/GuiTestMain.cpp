// Entry point for GoogleTest programs that drive real widgets: one QApplication for the whole
// program, on the offscreen platform unless the caller chose another.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // gtest_discover_tests runs the program to list its cases, before ctest's environment applies.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
