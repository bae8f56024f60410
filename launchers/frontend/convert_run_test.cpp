#include "convert_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "fake_tool_runner.h"
#include "tests/support/scratch_folder_test.h"

namespace lumora::frontend {
namespace {

using launchers::FakeToolRunner;

TEST(ConverterCommand, ExactWordsFolderAndMessageFileOfBothFrontEnds) {
    const FrontendPaths paths{"/kit", "/kit/tools/pixtil2", "/kit/tools/pixtil2/format"};
    auto sonix = converter_request(sonix2_kind(), paths, "/data/snd", "bgm.wav");
    EXPECT_EQ(sonix.program, "/kit/bin/sonix");
    EXPECT_EQ(sonix.arguments, (std::vector<std::string>{"-w", "bgm.wav"}));
    EXPECT_EQ(sonix.working_folder, "/data/snd");
    EXPECT_EQ(sonix.output_file, "/data/snd/sonix.mes");

    auto pixtil = converter_request(pixtil2_kind(), paths, "/data/pic", "title.bmp");
    EXPECT_EQ(pixtil.program, "/kit/bin/pixtil");
    EXPECT_EQ(pixtil.arguments, (std::vector<std::string>{"-c/kit/tools/pixtil2/format", "title.bmp"}));
    EXPECT_EQ(pixtil.output_file, "/data/pic/pixtil.mes");

    // No file chosen: the converter gets no file argument and its message decides.
    EXPECT_EQ(converter_request(sonix2_kind(), paths, "/d", "").arguments, (std::vector<std::string>{"-w"}));
}

// The settings file: beside the front-end first (build tree), then the
// installed copy under share, else beside again so the message names it.
TEST(ConverterCommand, SettingsFileBesideThenInstalled) {
    std::set<std::string> present;
    auto exists = [&](const std::string& p) { return present.count(p) > 0; };
    EXPECT_EQ(settings_file_path("/usr/bin", exists), "/usr/bin/format");
    present.insert("/usr/bin/../share/lumora/pixtil2/format");
    EXPECT_EQ(settings_file_path("/usr/bin", exists), "/usr/bin/../share/lumora/pixtil2/format");
    present.insert("/usr/bin/format");
    EXPECT_EQ(settings_file_path("/usr/bin", exists), "/usr/bin/format");
}

class ConvertRunTest : public testing::ScratchFolderTest {
  protected:
    ConvertResult convert(const FrontendKind& kind, const std::string& message, bool started = true) {
        std::optional<ConvertResult> result;
        start_conversion(kind, {"/kit", "/own", "/own/format"}, dir_.string(), "in.file", runner_,
                         [&](const ConvertResult& r) { result = r; });
        EXPECT_FALSE(result) << "the verdict waits for the converter";
        EXPECT_FALSE(std::filesystem::exists(path(kind.message_file))) << "an old message file is gone";
        if (!message.empty()) write(kind.message_file, message);
        runner_.end(0, started);
        EXPECT_TRUE(result);
        return result.value_or(ConvertResult{});
    }
    FakeToolRunner runner_;
};

TEST_F(ConvertRunTest, FirstLineShownAndRedUnlessItBeginsWithTheConverterName) {
    write("sonix.mes", std::string("sonix old success\r\n"));
    auto ok = convert(sonix2_kind(), "sonix 1.0: in.file -> in.snd\r\nmore\r\n");
    EXPECT_EQ(ok.line, "sonix 1.0: in.file -> in.snd");
    EXPECT_FALSE(ok.failed);

    auto bad = convert(pixtil2_kind(), "can't open in.file\r\n");
    EXPECT_EQ(bad.line, "can't open in.file");
    EXPECT_TRUE(bad.failed);

    // A banner line counts as success even when a later line is an error.
    EXPECT_FALSE(convert(pixtil2_kind(), "pixtil banner\nerror: bad\n").failed);
}

TEST_F(ConvertRunTest, NoConverterOrNoMessagesIsAFailureThatSaysSo) {
    write("sonix.mes", std::string("sonix left from an earlier run\r\n"));
    auto missing_tool = convert(sonix2_kind(), "", /*started=*/false);
    EXPECT_TRUE(missing_tool.failed);
    EXPECT_EQ(missing_tool.line, "起動できません: /kit/bin/sonix (No such file or directory)");

    auto no_file = convert(sonix2_kind(), "");
    EXPECT_TRUE(no_file.failed);
    EXPECT_EQ(no_file.line, "メッセージファイルがありません: sonix.mes");

    write("empty", std::string());
    auto empty = judge_conversion(sonix2_kind(), {true, false, 0, ""}, path("empty"), "sonix");
    EXPECT_TRUE(empty.failed);
    EXPECT_EQ(empty.line, "メッセージファイルが空です: sonix.mes");
}

}  // namespace
}  // namespace lumora::frontend
