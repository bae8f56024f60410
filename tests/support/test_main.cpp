// main() of every GoogleTest program of the kit.
//
// Tests run without a display: Qt uses its offscreen platform unless the
// caller asked for another one. The variable is set here rather than by the
// test runner so a test program started by hand behaves the same, and child
// programs a test starts inherit it.

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
