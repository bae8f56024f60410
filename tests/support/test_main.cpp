// main() of every GoogleTest program of the kit.
//
// Tests run without a display: Qt uses its offscreen platform unless the
// caller asked for another one. The variable is set here rather than by the
// test runner so a test program started by hand behaves the same, and child
// programs a test starts inherit it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // State files (the editor's recovery files) go to a folder of this test
    // program's own, never into the user's: a test must neither find another
    // run's leftovers nor leave its own behind.
    std::string state = (std::filesystem::temp_directory_path() / "lumora-test-state-XXXXXX").string();
    const bool private_state = ::mkdtemp(state.data()) != nullptr;
    if (private_state) ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    if (private_state) {
        std::error_code ignored;
        std::filesystem::remove_all(state, ignored);
    }
    return status;
}
