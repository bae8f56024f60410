// sonix2's and pixtil2's window, offscreen, with the stand-in converters in a
// kit root: a file is previewed and converted, a failing converter turns the
// label red, and the window keeps running its event loop while a slow one works.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "folder_browser.h"
#include "frontend_window.h"
#include "qt_tool_runner.h"
#include "sound_preview.h"
#include "tests/support/child_process.h"

namespace lumora::frontend {
namespace {

using lumora::testing::Child;
using lumora::testing::TempDir;

std::string bmp_2x2() {
    // 24-bit, two by two pixels, rows padded to four bytes.
    std::string b = "BM";
    auto u32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&b](uint16_t v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>(v >> 8);
    };
    u32(54 + 16);
    u32(0);
    u32(54);
    u32(40);
    u32(2);
    u32(2);
    u16(1);
    u16(24);
    u32(0);
    u32(16);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int row = 0; row < 2; ++row) b += std::string("\xff\x00\x00\x00\xff\x00\x00\x00", 8);
    return b;
}

std::string wav_silence(uint32_t frames) {
    std::string b = "RIFF";
    auto u32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&b](uint16_t v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>(v >> 8);
    };
    u32(36 + frames * 2);
    b += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    b += "data";
    u32(frames * 2);
    return b + std::string(frames * 2, '\0');
}

class FrontendScenarioTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "frontend_scenario_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void SetUp() override {
        root_ = dir_ / "lumo";
        lumora::testing::ChildOptions make;
        make.argv = {LUMORA_SOURCE_DIR "/scripts/make-kit-root", LUMORA_BIN_DIR, root_};
        auto made = Child::start(make);
        ASSERT_TRUE(made);
        ASSERT_EQ(made->wait(30000), 0);
        data_ = dir_ / "data";
        std::filesystem::create_directories(data_);
        ::unsetenv("LUMORA_STANDIN_SLEEP");
    }
    void TearDown() override { ::unsetenv("LUMORA_STANDIN_SLEEP"); }

    std::unique_ptr<FrontendWindow> open(const FrontendKind& kind) {
        auto window =
            std::make_unique<FrontendWindow>(kind, FrontendPaths{root_, LUMORA_BIN_DIR, LUMORA_BIN_DIR "/format"}, runner_, &sound_);
        window->browser()->set_folder(data_);
        return window;
    }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(data_ + "/" + name, std::ios::binary) << bytes;
    }
    void convert(FrontendWindow& window) {
        QSignalSpy finished(&window, &FrontendWindow::conversion_finished);
        QTest::mouseClick(window.convert_button(), Qt::LeftButton);
        EXPECT_FALSE(window.convert_button()->isEnabled());
        EXPECT_FALSE(window.exit_button()->isEnabled());
        EXPECT_TRUE(window.result_label()->text().isEmpty());
        ASSERT_TRUE(finished.wait(60000));
        EXPECT_TRUE(window.convert_button()->isEnabled());
        EXPECT_TRUE(window.exit_button()->isEnabled());
    }
    QColor label_colour(FrontendWindow& window) {
        return window.result_label()->palette().color(QPalette::Window);
    }

    TempDir dir_;
    std::string root_, data_;
    launchers::QtToolRunner runner_;
    SoundPreview sound_;
};

TEST_F(FrontendScenarioTest, Pixtil2ShowsThePictureConvertsItAndMarksAFailureRed) {
    write("title.bmp", bmp_2x2());
    write("broken.bmp", "not a picture");
    write("notes.txt", "x");
    auto window = open(pixtil2_kind());
    EXPECT_EQ(window->windowTitle(), "Pixtil2");
    EXPECT_EQ(window->convert_button()->text(), QString::fromUtf8("変換"));
    EXPECT_EQ(window->exit_button()->text(), QString::fromUtf8("終了"));
    auto* files = window->browser()->file_list();
    ASSERT_EQ(files->count(), 2) << "only *.bmp";

    ASSERT_TRUE(window->browser()->select_file("title.bmp"));
    ASSERT_FALSE(window->picture_box()->pixmap().isNull());
    EXPECT_EQ(window->picture_box()->pixmap().size(), QSize(2, 2));
    const QColor face = label_colour(*window);

    convert(*window);
    EXPECT_EQ(window->result_label()->text(), "pixtil: title.bmp -> title.chr");
    EXPECT_FALSE(window->result_is_red());
    EXPECT_EQ(label_colour(*window), face);
    EXPECT_TRUE(std::filesystem::exists(data_ + "/title.chr"));
    EXPECT_TRUE(std::filesystem::exists(data_ + "/pixtil.mes"));

    ASSERT_TRUE(window->browser()->select_file("broken.bmp"));
    convert(*window);
    EXPECT_EQ(window->result_label()->text(), "not a BMP file: broken.bmp");
    EXPECT_EQ(label_colour(*window), QColor(255, 0, 0));
    EXPECT_TRUE(window->grab().save(LUMORA_BIN_DIR "/../pixtil2_window.png"));

    // The next run starts from the button face again, and a converter that
    // is missing is a red line of its own, never the old message.
    std::filesystem::remove(root_ + "/bin/pixtil");
    convert(*window);
    EXPECT_TRUE(window->result_label()->text().startsWith(QString::fromUtf8("起動できません: ")));
    EXPECT_TRUE(window->result_is_red());
}

TEST_F(FrontendScenarioTest, Sonix2PlaysTheClickedSoundAndConvertsIt) {
    write("jingle.wav", wav_silence(8000));
    auto window = open(sonix2_kind());
    EXPECT_EQ(window->windowTitle(), "Sonix2");
    EXPECT_EQ(window->convert_button()->text(), QString::fromUtf8("変　換"));
    EXPECT_EQ(window->picture_box(), nullptr);
    ASSERT_TRUE(window->browser()->select_file("jingle.wav"));
    EXPECT_GT(sound_.queued_bytes(), 0u)
        << "playing, and the click returned at once: " << sound_.last_error();

    convert(*window);
    EXPECT_EQ(window->result_label()->text(), "sonix: jingle.wav -> jingle.snd (16000 bytes)");
    EXPECT_FALSE(window->result_is_red());

    // No file chosen: the converter runs without one and its message decides.
    window->browser()->set_folder(data_);
    convert(*window);
    EXPECT_EQ(window->result_label()->text(), "usage: sonix -w file.wav");
    EXPECT_TRUE(window->result_is_red());
}

TEST_F(FrontendScenarioTest, TheEventLoopRunsWhileASlowConverterWorks) {
    write("big.bmp", bmp_2x2());
    auto window = open(pixtil2_kind());
    ASSERT_TRUE(window->browser()->select_file("big.bmp"));
    ::setenv("LUMORA_STANDIN_SLEEP", "pixtil:2", 1);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(50);
    convert(*window);
    EXPECT_GT(ticks, 10);
    EXPECT_FALSE(window->result_is_red());
}

}  // namespace
}  // namespace lumora::frontend
