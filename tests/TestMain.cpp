// The main of every test program: pins the regional settings and the window
// platform so results do not depend on the machine's locale or display.
#include <gtest/gtest.h>

#include <cstdlib>

extern "C" const char* __lsan_default_suppressions() {
    // Leaks inside system libraries the windows load, not ours.
    return "leak:libfontconfig\nleak:libQt6Gui\nleak:libdbus\n";
}

int main(int argc, char** argv) {
    ::setenv("LC_ALL", "C", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
