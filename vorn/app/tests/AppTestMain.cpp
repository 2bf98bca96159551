// Runs the workbench's widget tests with a QApplication on the offscreen platform (no
// display needed; the OpenGL view is never shown here), with private settings and data
// folders as every test program has.
#include "tests/support/PrivateUserFolders.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    const PrivateUserFolders folders;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
