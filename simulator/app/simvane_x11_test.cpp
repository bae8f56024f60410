// Keys from a real X server: simvane under Xvfb, keys pressed with xdotool
// into its windows, read back from the key word as a program under test does.
// Run inside tests/support/xsession.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "area.h"
#include "simvane_area.h"
#include "tests/support/child_process.h"

namespace lumora::simvane {
namespace {

using lumora::testing::Child;
using lumora::testing::ChildOptions;
using namespace std::chrono_literals;

int xdotool(const std::string& args) {
    return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str());
}

template <class F>
bool eventually(F done, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(5ms);
    }
    return done();
}

TEST(SimvaneX11, KeypadCursorAndLetterKeysReachTheKeyWord) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run inside tests/support/xsession";
    const std::string name = "/simvane-x11-" + std::to_string(::getpid());
    ChildOptions o;
    o.argv = {LUMORA_BIN_DIR "/simvane"};
    o.env = {"SIMVANE_AREA_NAME=" + name, "SDL_AUDIODRIVER=dummy", "QT_QPA_PLATFORM=xcb"};
    o.capture_stderr = true;
    auto sim = Child::start(o);
    ASSERT_TRUE(sim);
    ASSERT_TRUE(sim->wait_for_line("ok : ", 60000));
    auto* base = static_cast<uint8_t*>(simvane_attach_named(name.c_str()));
    ASSERT_NE(base, nullptr);
    Area a(base);
    a.set_u8(sv_flag_init_adr, 0);
    ASSERT_EQ(xdotool("search --sync --name '^screen1$' windowfocus --sync"), 0);

    auto key_word_after = [&](const std::string& down, uint16_t want) {
        EXPECT_EQ(xdotool("keydown " + down), 0);
        const bool seen = eventually([&] { return a.u16(sv_key_adr) == want; });
        EXPECT_EQ(xdotool("keyup " + down), 0);
        EXPECT_TRUE(eventually([&] { return a.u16(sv_key_adr) == 0; }));
        return seen;
    };
    EXPECT_TRUE(key_word_after("KP_8", SV_KEY_X1));
    EXPECT_TRUE(key_word_after("KP_4", SV_KEY_X4));
    EXPECT_TRUE(key_word_after("Left", SV_KEY_Y4));
    EXPECT_TRUE(key_word_after("Down", SV_KEY_Y3));
    EXPECT_TRUE(key_word_after("s", SV_KEY_START));
    EXPECT_TRUE(key_word_after("a", SV_KEY_A));
    EXPECT_TRUE(key_word_after("b", SV_KEY_B));
    EXPECT_NE(a.u16(sv_key_hit_adr) & SV_KEY_X1, 0);

    // Held together, then one let go.
    EXPECT_EQ(xdotool("keydown KP_6 keydown Up"), 0);
    EXPECT_TRUE(eventually([&] { return a.u16(sv_key_adr) == (SV_KEY_X2 | SV_KEY_Y1); }));
    EXPECT_EQ(xdotool("keyup KP_6"), 0);
    EXPECT_TRUE(eventually([&] { return a.u16(sv_key_adr) == SV_KEY_Y1; }));
    EXPECT_EQ(xdotool("keyup Up"), 0);

    simvane_detach(base);
    sim->signal(SIGTERM);
    EXPECT_EQ(sim->wait(20000), 0) << sim->err();
}

}  // namespace
}  // namespace lumora::simvane
