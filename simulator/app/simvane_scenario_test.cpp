// simvane as a real program (Qt offscreen) with this test attached to its
// area the way a program under test is.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include "area.h"
#include "platform/pty_pair.h"
#include "simvane_area.h"
#include "tests/support/child_process.h"
#include "views.h"

namespace lumora::simvane {
namespace {

using lumora::testing::Child;
using lumora::testing::ChildOptions;
using lumora::testing::TempDir;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string kSimvane = LUMORA_BIN_DIR "/simvane";

std::string fresh_area_name() {
    static int n = 0;
    return "/simvane-scenario-" + std::to_string(::getpid()) + "-" + std::to_string(++n);
}

// Polls `done` every few milliseconds for at most `limit`.
template <class F>
bool eventually(F done, std::chrono::milliseconds limit = 10s) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(2ms);
    }
    return done();
}

class SimvaneRun {
  public:
    explicit SimvaneRun(std::vector<std::string> env = {}, std::string name = fresh_area_name())
        : name_(std::move(name)) {
        ChildOptions o;
        o.argv = {kSimvane};
        o.env = std::move(env);
        o.env.push_back("SIMVANE_AREA_NAME=" + name_);
        if (std::none_of(o.env.begin(), o.env.end(),
                         [](auto& e) { return e.rfind("SDL_AUDIODRIVER=", 0) == 0; }))
            o.env.push_back("SDL_AUDIODRIVER=dummy");
        o.capture_stderr = true;
        child_ = Child::start(o);
    }
    ~SimvaneRun() {
        if (base_) simvane_detach(base_);
        if (child_) {
            child_->signal(SIGTERM);
            child_->wait(10000);
        }
    }
    // Waits for the start-up line and attaches; the line, or "" on failure.
    std::string attach() {
        if (!child_) return "";
        auto line = child_->wait_for_line("ok : ", 60000);
        if (!line) return "";
        base_ = static_cast<uint8_t*>(simvane_attach_named(name_.c_str()));
        return base_ ? *line : "";
    }
    Area area() const { return Area(base_); }
    uint8_t* base() const { return base_; }
    Child& child() { return *child_; }
    const std::string& name() const { return name_; }
    // Ticks per second over `span`.
    double frame_rate(std::chrono::milliseconds span) {
        const uint32_t t0 = area().u32(sv_tick_adr);
        const auto s0 = Clock::now();
        std::this_thread::sleep_for(span);
        const uint32_t t1 = area().u32(sv_tick_adr);
        const double seconds = std::chrono::duration<double>(Clock::now() - s0).count();
        return (t1 - t0) / seconds;
    }
    // Sets a serial request and waits until simvane has answered it.
    bool serial(uint8_t request) {
        area().set_u8(sv_com_cmd_adr, request);
        return eventually([&] { return area().u8(sv_com_cmd_adr) == 0; });
    }

  private:
    std::string name_;
    std::optional<Child> child_;
    uint8_t* base_ = nullptr;
};

TEST(SimvaneScenario, StartUpValuesAndTheFrameCounter) {
    SimvaneRun run;
    const std::string line = run.attach();
    const std::string head = "ok : area_id=", tail = "  size=50000";
    ASSERT_GT(line.size(), head.size() + tail.size()) << line;
    EXPECT_EQ(line.substr(0, head.size()), head);
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
    const std::string id = line.substr(head.size(), line.size() - head.size() - tail.size());
    EXPECT_EQ(id.find_first_not_of("0123456789"), std::string::npos) << line;
    const Area a = run.area();
    EXPECT_EQ(a.u8(sv_flag_init_adr), 255);
    EXPECT_EQ(a.u8(sv_ver_adr), 6);
    EXPECT_EQ(a.u8(sv_hard_adr), 1);
    size_t nonzero = 0;
    for (size_t i = 0; i < SIMVANE_AREA_SIZE; ++i)
        if (i != sv_flag_init_adr && i != sv_ver_adr && i != sv_hard_adr) nonzero += run.base()[i] != 0;
    EXPECT_EQ(nonzero, 0u);

    // The three workers, by name, once the windows are up.
    auto thread_names = [&] {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& t : std::filesystem::directory_iterator(
                 "/proc/" + std::to_string(run.child().pid()) + "/task", ec)) {
            std::ifstream comm(t.path() / "comm");
            std::string name;
            std::getline(comm, name);
            names.push_back(name);
        }
        return names;
    };
    EXPECT_TRUE(eventually(
        [&] {
            const auto names = thread_names();
            return std::count(names.begin(), names.end(), "vblank") == 1 &&
                   std::count(names.begin(), names.end(), "sound") == 1 &&
                   std::count(names.begin(), names.end(), "comm") == 1;
        },
        30s));

    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(a.u32(sv_tick_adr), 0u);  // idle until the program is ready
    run.area().set_u8(sv_flag_init_adr, 0);
    ASSERT_TRUE(eventually([&] { return a.u32(sv_tick_adr) > 0; }));
    // 13000 us a frame: 76.9 a second. Generous bounds: the machine may be busy.
    const double rate = run.frame_rate(2000ms);
    EXPECT_GT(rate, 60.0);
    EXPECT_LT(rate, 85.0);

    run.area().set_u8(sv_flag_init_adr, 1);
    std::this_thread::sleep_for(100ms);  // a frame in flight may still land
    const uint32_t stopped = a.u32(sv_tick_adr);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(a.u32(sv_tick_adr), stopped);

    // SIGTERM ends it cleanly and removes the area.
    run.child().signal(SIGTERM);
    EXPECT_EQ(run.child().wait(20000), 0);
    EXPECT_EQ(simvane_attach_named(run.name().c_str()), nullptr);
}

TEST(SimvaneScenario, OneRunPerAreaAndACrashedRunsAreaIsReplaced) {
    const std::string name = fresh_area_name();
    {
        SimvaneRun first({}, name);
        ASSERT_FALSE(first.attach().empty());
        SimvaneRun second({}, name);
        EXPECT_EQ(second.child().wait(30000), 1);
        EXPECT_NE(second.child().err().find("another simvane is running"), std::string::npos)
            << second.child().err();
        EXPECT_EQ(first.area().u8(sv_ver_adr), 6);  // the first one's area is untouched
        // A crash leaves the area behind.
        first.child().signal(SIGKILL);
        first.child().wait(10000);
    }
    uint8_t* left = static_cast<uint8_t*>(simvane_attach_named(name.c_str()));
    ASSERT_NE(left, nullptr);
    left[sv_tick_adr] = 0x77;
    simvane_detach(left);
    {
        SimvaneRun next({}, name);
        ASSERT_FALSE(next.attach().empty());
        EXPECT_EQ(next.area().u8(sv_tick_adr), 0);
        EXPECT_EQ(next.area().u8(sv_flag_init_adr), 255);
    }
    // Ended by SIGTERM right after start-up: nothing is left behind.
    EXPECT_EQ(simvane_attach_named(name.c_str()), nullptr);
}

TEST(SimvaneScenario, SerialSendAndReceiveOverAPseudoTerminal) {
    auto pty = platform::PtyPair::create();
    ASSERT_TRUE(pty);
    SimvaneRun run({"SIMVANE_SERIAL=" + pty->device_path()});
    ASSERT_FALSE(run.attach().empty());
    Area a = run.area();
    a.set_u8(sv_flag_init_adr, 0);
    ASSERT_TRUE(run.serial(SV_COM_OPEN));
    EXPECT_EQ(a.u16(sv_com_stt_adr), SV_COM_OK);

    std::memcpy(run.base() + sv_com_buf_adr, "ping\r\n", 6);
    a.set_u16(sv_com_len_adr, 6);
    a.set_u8(sv_com_bps_adr, 1);
    ASSERT_TRUE(run.serial(SV_COM_SEND));
    EXPECT_EQ(a.u16(sv_com_len_adr), 6);
    EXPECT_EQ(a.u16(sv_com_stt_adr), SV_COM_OK);
    std::string got;
    while (got.size() < 6) {
        pollfd p{pty->master_fd(), POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 10000), 1);
        char buf[16];
        const ssize_t n = ::read(pty->master_fd(), buf, sizeof buf);
        ASSERT_GT(n, 0);
        got.append(buf, static_cast<size_t>(n));
    }
    EXPECT_EQ(got, "ping\r\n");

    // Four bytes for an eight-byte receive with a time-out of 15 frames.
    ASSERT_EQ(::write(pty->master_fd(), "pong", 4), 4);
    a.set_u16(sv_com_len_adr, 8);
    a.set_u16(sv_com_tout_adr, 15);
    ASSERT_TRUE(run.serial(SV_COM_RECEIVE));
    EXPECT_EQ(a.u16(sv_com_len_adr), 4);
    EXPECT_EQ(a.u16(sv_com_stt_adr), SV_COM_TIMEOUT);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(run.base() + sv_com_buf_adr), 4), "pong");

    // An unlimited receive ends when the program sets the init flag.
    a.set_u16(sv_com_len_adr, 8);
    a.set_u16(sv_com_tout_adr, 0xFFFF);
    a.set_u8(sv_com_cmd_adr, SV_COM_RECEIVE);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(a.u8(sv_com_cmd_adr), SV_COM_RECEIVE);
    a.set_u8(sv_flag_init_adr, 255);
    EXPECT_TRUE(eventually([&] { return a.u8(sv_com_cmd_adr) == 0; }));
    EXPECT_EQ(a.u16(sv_com_stt_adr), SV_COM_TIMEOUT);
}

// Upward zero crossings per second in signed 16-bit mono samples.
double crossings_per_second(const std::vector<int16_t>& s, size_t from, size_t to, int rate) {
    int ups = 0;
    for (size_t i = from + 1; i < to; ++i) ups += s[i - 1] < 0 && s[i] >= 0;
    return ups * static_cast<double>(rate) / static_cast<double>(to - from);
}

TEST(SimvaneScenario, SoundThroughTheDiskDriverAtThePitchFormulasFrequency) {
    TempDir dir;
    const std::string raw = dir / "sound.raw";
    SimvaneRun run({"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw});
    ASSERT_FALSE(run.attach().empty());
    Area a = run.area();
    // Pitch 1792: (3072000 / (256 * 32)) * 32 = 12000 frames a second, so the
    // 32-sample square wave sounds at 375 Hz.
    for (int i = 0; i < 16; ++i) a.set_u8(sv_snd_wave_adr + 16 + i, i < 8 ? 0xFF : 0x00);
    a.set_u16(sv_snd_pitch_adr + 2, 1792);
    a.set_u8(sv_snd_vol_adr + 1, 0x88);
    a.set_u8(sv_snd_ch_adr, 0x02);
    a.set_u8(sv_flag_init_adr, 0);
    // Some silence on file first (the driver may be slow to start on a busy machine).
    ASSERT_TRUE(eventually(
        [&] {
            std::error_code ec;
            const auto size = std::filesystem::file_size(raw, ec);
            return !ec && size >= 4800 * 2;
        },
        20s));
    a.set_u8(sv_flag_sound_adr, 0x02);
    ASSERT_TRUE(eventually([&] { return a.u8(sv_flag_sound_adr) == 0; }));
    std::this_thread::sleep_for(1500ms);
    run.child().signal(SIGTERM);
    ASSERT_EQ(run.child().wait(20000), 0);

    std::ifstream in(raw, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    ASSERT_GT(s.size(), 48000u) << "less than a second of sound was written";
    // Silence before the restart, the tone after it.
    EXPECT_EQ(*std::max_element(s.begin(), s.begin() + 4800), 0);
    size_t start = 0;
    while (start < s.size() && s[start] == 0) ++start;
    ASSERT_LT(start + 24000, s.size());
    EXPECT_NEAR(crossings_per_second(s, start + 2400, s.size() - 2400, 48000), 375.0, 4.0);
    EXPECT_EQ(*std::max_element(s.begin() + static_cast<long>(start), s.end()), std::lround(120 * 1.0 * 32));
}

TEST(SimvaneScenario, RenderDrawsASavedAreaWithTheWindowsCode) {
    TempDir dir;
    std::vector<uint8_t> area(SIMVANE_AREA_SIZE, 0);
    area[sv_col_mode_adr] = 0xE0;
    for (int i = 0; i < 32; ++i) area[sv_col_chr_adr + 32 + i] = 0x12;
    area[sv_col_pal_adr + (1 * 16 + 1) * 2] = 0x0F;
    area[sv_col_pal_adr + (1 * 16 + 2) * 2 + 1] = 0x0F;
    for (int c = 0; c < 40; ++c) {
        area[sv_scr1_adr + c * 2] = 1;
        area[sv_scr1_adr + c * 2 + 1] = 1 << 1;
    }
    area[sv_lcd_adr] = 1;
    area[sv_disp_adr] = 0x01;
    area[sv_seg_adr] = 0x05;
    area[sv_flag_init_adr] = 0;
    const std::string bin = dir / "area.bin";
    std::ofstream(bin, std::ios::binary).write(reinterpret_cast<const char*>(area.data()), area.size());

    // The layer views do not depend on the mode; the LCD and the strip do.
    const std::pair<const char*, int> cases[] = {{"character", 4}, {"sprite", 4}, {"screen1", 4},
                                                 {"screen2", 4},   {"lcd", 4},    {"lcd", 7},
                                                 {"segment", 0},   {"segment", 6}};
    for (const auto& [view, mode] : cases) {
        const std::string png = dir / (std::string(view) + std::to_string(mode) + ".png");
        ChildOptions o;
        o.argv = {kSimvane, "--render", bin, view, png, "--mode", std::to_string(mode)};
        auto c = Child::start(o);
        ASSERT_TRUE(c);
        ASSERT_EQ(c->wait(60000), 0) << view;
        QImage got(QString::fromStdString(png));
        ASSERT_FALSE(got.isNull()) << view;
        const QImage want = render_view(area.data(), *view_kind_from_name(view), mode);
        EXPECT_EQ(got.convertToFormat(QImage::Format_RGB32), want) << view << " mode " << mode;
    }
    auto status = [&](std::vector<std::string> args) {
        args.insert(args.begin(), kSimvane);
        ChildOptions o;
        o.argv = args;
        o.capture_stderr = true;
        auto c = Child::start(o);
        return c ? c->wait(60000).value_or(-1) : -1;
    };
    EXPECT_EQ(status({"--render", dir / "missing.bin", "lcd", dir / "x.png"}), 1);
    EXPECT_EQ(status({"--render", bin, "screen3", dir / "x.png"}), 2);
    EXPECT_EQ(status({"--render", bin, "lcd", dir / "x.png", "--mode", "9"}), 2);
    std::ofstream(dir / "short.bin") << "too short";
    EXPECT_EQ(status({"--render", dir / "short.bin", "lcd", dir / "x.png"}), 1);
    EXPECT_EQ(status({"--render", bin, "lcd", dir / "no-such-dir/x.png"}), 1);
}

TEST(SimvaneScenario, TheExampleProgramRunsAgainstSimvane) {
    auto pty = platform::PtyPair::create();
    ASSERT_TRUE(pty);
    SimvaneRun run({"SIMVANE_SERIAL=" + pty->device_path()});
    ASSERT_FALSE(run.attach().empty());
    ChildOptions o;
    o.argv = {LUMORA_BIN_DIR "/simvane_demo", "--frames", "40"};
    o.env = {"SIMVANE_AREA_NAME=" + run.name()};
    o.capture_stderr = true;
    auto demo = Child::start(o);
    ASSERT_TRUE(demo);
    std::string line;
    while (line.find("\r\n") == std::string::npos) {
        pollfd p{pty->master_fd(), POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 20000), 1);
        char buf[64];
        const ssize_t n = ::read(pty->master_fd(), buf, sizeof buf);
        ASSERT_GT(n, 0);
        line.append(buf, static_cast<size_t>(n));
    }
    EXPECT_EQ(line, "simvane_demo ready\r\n");
    ASSERT_EQ(demo->wait(60000), 0) << demo->err();
    EXPECT_NE(demo->out().find("simvane_demo: done"), std::string::npos);
    const Area a = run.area();
    EXPECT_GE(a.u32(sv_tick_adr), 40u);
    EXPECT_EQ(a.u8(sv_flag_init_adr), 255);  // it left simvane idle
    EXPECT_EQ(a.u8(sv_col_mode_adr), 0xE0);
    EXPECT_EQ(a.u8(sv_flag_sound_adr), 0);  // its note was taken
}

}  // namespace
}  // namespace lumora::simvane
