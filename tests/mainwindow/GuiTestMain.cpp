// The window tests run offscreen, with the program's own application object for the whole
// run (its look, its language and its net for errors that escape a handler).
#include <gtest/gtest.h>

#include <cstdlib>

#include "jobs/window/startup/ZolvaneApplication.h"

int main(int argc, char** argv) {
    // Listing the tests must work without a display as well as running them.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    zolvane::gui::ZolvaneApplication app(argc, argv, false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
