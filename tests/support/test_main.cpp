// The main of every test program: pins the environment the tests rely on
// (no display, no sound device), then runs GoogleTest.
#include <gtest/gtest.h>

#include <cstdlib>

// Leaks inside the system's font configuration library are not ours; the
// widget tests load it through Qt. SDL keeps a small error buffer for each
// thread that calls it; for a thread SDL did not start itself (the music
// thread) the buffer is never freed.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libSDL2-2.0.so\n";
}

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
