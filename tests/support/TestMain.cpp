// The main of every test program without one of its own: the tests run with
// private settings and data folders.
#include "tests/support/PrivateUserFolders.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const PrivateUserFolders folders;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
