// The IDE side's waits on a real pseudo-terminal: bounded, and polling the
// descriptor rather than spinning. (Uploads over a pseudo-terminal are
// covered against the virtual console.)

#include <gtest/gtest.h>

#include "devlink/ide_link.h"
#include "platform/pty_pair.h"

namespace lumora::devlink {
namespace {

TEST(PtyLink, SilentConsoleFailsTheIdeUploadAfterAboutASecond) {
    auto pty = platform::PtyPair::create();
    ASSERT_TRUE(pty);
    int pumps = 0;
    IdeLink link([](const std::string&) {}, [&] { ++pumps; });
    ASSERT_TRUE(link.open_device(pty->device_path()));
    int64_t start = steady_ms();
    EXPECT_FALSE(link.upload("/nonexistent.fx"));
    int64_t took = steady_ms() - start;
    EXPECT_GE(took, 1000);
    EXPECT_LT(took, 5000);  // generous: the machine may be busy
    // The wait polls: the pump ran many times, but not thousands (no spinning).
    EXPECT_GT(pumps, 20);
    EXPECT_LT(pumps, 300);
}

}  // namespace
}  // namespace lumora::devlink
