// The sound preview through SDL's dummy driver: a WAV starts playing and the
// call returns before it has played out; anything else is refused quietly.

#include "sound_preview.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/support/scratch_folder_test.h"

namespace lumora::frontend {
namespace {

std::string wav(uint32_t frames) {
    // 8 kHz, 16-bit mono PCM of silence.
    const uint32_t data = frames * 2;
    std::string b = "RIFF";
    auto u32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&b](uint16_t v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>(v >> 8);
    };
    u32(36 + data);
    b += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    b += "data";
    u32(data);
    b += std::string(data, '\0');
    return b;
}

class SoundPreviewTest : public testing::ScratchFolderTest {
  protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
};

TEST_F(SoundPreviewTest, PlaysWithoutWaitingAndReplacesTheSoundBefore) {
    write("long.wav", wav(8000 * 5));  // five seconds
    SoundPreview preview;
    ASSERT_TRUE(preview.play(path("long.wav"))) << preview.last_error();
    EXPECT_GT(preview.queued_bytes(), 0u) << "returned before the sound played out";
    write("short.wav", wav(80));
    ASSERT_TRUE(preview.play(path("short.wav"))) << preview.last_error();
    EXPECT_LE(preview.queued_bytes(), 160u) << "the long sound was replaced";
}

TEST_F(SoundPreviewTest, ABrokenOrMissingFileIsRefusedWithAReason) {
    write("bad.wav", std::string("RIFF\x10\0\0\0WAVEjunk", 16));
    SoundPreview preview;
    EXPECT_FALSE(preview.play(path("bad.wav")));
    EXPECT_FALSE(preview.last_error().empty());
    EXPECT_FALSE(preview.play(path("missing.wav")));
    EXPECT_EQ(preview.queued_bytes(), 0u);
}

}  // namespace
}  // namespace lumora::frontend
