#pragma once
// What the main frame's widget tests share: a scratch folder with the
// program's keyword database, settings pointing at the stand-in toolchain,
// scripted message boxes, and the IDE started as the program starts it.

#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ide/window/startup.h"
#include "platform/settings_store.h"
#include "tests/support/child_process.h"
#include "tests/support/qt_app.h"
#include "tests/support/scripted_boxes.h"

namespace lumora::ide::testing_support {

inline const std::string kBin = LUMORA_BIN_DIR;
inline const std::string kCompiler = kBin + "/toolchain/dmc";
inline const std::string kSdk = kBin + "/toolchain/lumo";

class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::qt_app();
        ASSERT_FALSE(tmp_.path().empty());
        cwd_ = std::filesystem::current_path();
        std::filesystem::create_directories(tmp_ / "prog");
        std::filesystem::copy_file(std::string(LUMORA_SOURCE_DIR) + "/testkit/toolchain/Lumo.kdb",
                                   tmp_ / "prog/Lumo.kdb");
        memory_.write_string("Config", "FirstRun", "FALSE");
        memory_.write_string("Config", "LumoraFolder", kSdk);
        memory_.write_string("Config", "DMCFolder", kCompiler);
        memory_.write_string("Config", "ProjectFolder", tmp_.path());
    }
    void TearDown() override {
        frame_.reset();
        std::filesystem::current_path(cwd_);
    }

    // Starts the IDE on `store` as the program does and makes its window the
    // active one (shortcuts and focus need that).
    CMainFrame& start_frame(platform::SettingsStore& store, const FrameServices& services,
                            const std::vector<std::string>& files = {}) {
        app_ = std::make_unique<AppState>(store);
        app_->program_folder = tmp_ / "prog";
        frame_ = start_ide(*app_, services, files);
        EXPECT_TRUE(frame_);
        frame_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
        return *frame_;
    }

    testing::TempDir tmp_;
    std::filesystem::path cwd_;
    platform::MemorySettingsStore memory_;
    std::unique_ptr<AppState> app_;
    std::unique_ptr<CMainFrame> frame_;
    testing::ScriptedBoxes boxes_;
    ui::ScopedMessageBoxes scoped_{boxes_};
};

}  // namespace lumora::ide::testing_support
