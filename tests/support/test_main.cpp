// The entry point of every test program. It gives the program the environment its tests
// are written for, so that a test program run by hand sees what ctest gives it: the
// headless presenter, the fixture fonts and a cache folder in the build tree (so that no
// test writes into the user's own cache); the first two unless the caller chose otherwise.
// The X server's GL driver draws in the calling thread and keeps no shader cache, so that a
// program with a window ends with no driver threads: a sanitized build's leak check stops
// every thread at exit, and the driver's threads ending meanwhile now and then crashed it.
#include <gtest/gtest.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    setenv("VANTOR_VIDEO", "headless", 0);
    setenv("FONTCONFIG_FILE", VANTOR_BINARY_DIR "/fonts/fonts.conf", 0);
    setenv("XDG_CACHE_HOME", VANTOR_BINARY_DIR "/cache", 1);
    setenv("LP_NUM_THREADS", "0", 0);
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
