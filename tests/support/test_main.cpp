// The entry point of every test program. It gives the program the environment its tests
// are written for, so that a test program run by hand sees what ctest gives it: the
// headless presenter, the fixture fonts and a cache folder in the build tree (so that no
// test writes into the user's own cache); the first two unless the caller chose otherwise.
#include <gtest/gtest.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    setenv("VANTOR_VIDEO", "headless", 0);
    setenv("FONTCONFIG_FILE", VANTOR_BINARY_DIR "/fonts/fonts.conf", 0);
    setenv("XDG_CACHE_HOME", VANTOR_BINARY_DIR "/cache", 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
