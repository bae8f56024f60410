#include "converters/cantara2mml/cantara_app.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "converters/cantara2mml/cantara_mml.h"
#include "converters/cantara2mml/cantara_test_save.h"
#include "converters/testdata/full_disk.h"
#include "tests/support/scratch_folder_test.h"

namespace lumora::cantara {
namespace {

namespace fs = std::filesystem;
using namespace test;

class CantaraApp : public lumora::testing::ScratchFolderTest {
  protected:
    std::string read(const std::string& name) const { return read_text(name); }
    int run_with(const std::vector<std::string>& args) {
        std::ostringstream out;
        const int status = run(args, out);
        output_ = out.str();
        return status;
    }

    std::string output_;
};

TEST_F(CantaraApp, ConvertsASaveFile) {
    write("song.sav",
          save_file(120, {key(5), octave_mode(1), note(65), note(67), bar()}, {rest(480), bar()}));
    EXPECT_EQ(run_with({path("song.sav"), path("song.mml")}), kExitOk);
    EXPECT_EQ(output_, "reading\nwriting\n");
    EXPECT_EQ(read("song.mml"), ";MML\nt120\n#0@3v12o4\nf+4g4\n\n#1@3v12o4\nr4\n\n");
}

TEST_F(CantaraApp, FailuresWriteNothing) {
    EXPECT_EQ(run_with({path("only-one")}), kExitFailed);
    EXPECT_EQ(output_, "usage: cantara2mml infile outfile\n");

    EXPECT_EQ(run_with({path("none.sav"), path("out.mml")}), kExitFailed);
    EXPECT_EQ(output_, path("none.sav") + " file not found\n");

    auto not_save = save_file(120, {}, {});
    not_save[128] = '[';
    write("bad.sav", not_save);
    EXPECT_EQ(run_with({path("bad.sav"), path("out.mml")}), kExitFailed);
    EXPECT_EQ(output_, path("bad.sav") + " file is not a cantara saver\n");

    write("short.sav", std::vector<uint8_t>(100, '{'));
    EXPECT_EQ(run_with({path("short.sav"), path("out.mml")}), kExitFailed);
    EXPECT_EQ(output_, path("short.sav") + " file is not a cantara saver\n");

    auto cut = save_file(120, {note(60), note(62)}, {note(64)});
    cut.resize(cut.size() - 1);
    write("cut.sav", cut);
    EXPECT_EQ(run_with({path("cut.sav"), path("out.mml")}), kExitFailed);
    EXPECT_EQ(output_, "reading\n" + path("cut.sav") + " file is truncated\n");
    EXPECT_FALSE(fs::exists(path("out.mml")));

    write("ok.sav", save_file(120, {}, {}));
    EXPECT_EQ(run_with({path("ok.sav"), path("no/dir/out.mml")}), kExitFailed);
    EXPECT_EQ(output_, "reading\nwriting\n" + path("no/dir/out.mml") + " file cannot be created\n");
}

TEST_F(CantaraApp, FullDiskKeepsTheOldText) {
    write("song.sav", save_file(120, {key(5), note(65), note(67), bar()}, {rest(480), bar()}));
    write("song.mml", ";MML of an earlier run\n");
    const int status = testdata::run_with_full_disk(16, [&] {
        std::ostringstream ignored;
        return run({path("song.sav"), path("song.mml")}, ignored);
    });
    EXPECT_EQ(status, kExitFailed);
    EXPECT_EQ(read("song.mml"), ";MML of an earlier run\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2)
        << "a fragment was left";
}

TEST_F(CantaraApp, WarningsAreListedBeforeWriting) {
    write("odd.sav", save_file(90, {note(60, 100)}, {}));
    EXPECT_EQ(run_with({path("odd.sav"), path("out.mml")}), kExitOk);
    EXPECT_EQ(output_,
              "reading\nwarning: part 1 event 1: length 100 is not in the length table; written without a "
              "length\nwriting\n");
    EXPECT_EQ(read("out.mml"), ";MML\nt90\n#0@3v12o4\nc\n#1@3v12o4\n\n");
}

TEST_F(CantaraApp, ProgramRunsFromAShell) {
    write("song.sav", save_file(150, {octave_mode(1), note(48), bar()}, {}));
    const std::string cmd = "'" LUMORA_BIN_DIR "/cantara2mml' '" + path("song.sav") + "' '" + path("o.mml") +
                            "' > '" + path("log") + "'";
    const int st = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 0);
    EXPECT_EQ(read("log"), "reading\nwriting\n");
    EXPECT_EQ(read("o.mml"), ";MML\nt150\n#0@3v12o4\no3c4\n\n#1@3v12o4\n\n");
}

TEST(CantaraSave, TruncatedAndMutatedFilesAreRefusedOrConvertedSafely) {
    const auto seed = save_file(120,
                                {key(3), octave_mode(2), accidental(1, 77), note(77, 480, true), note(77),
                                 time(3), rest(1920), bar()},
                                {octave_mode(3), note(96, 240), note(98, 60), bar()});
    for (size_t n = 0; n < seed.size(); ++n) {
        std::vector<uint8_t> cut(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(n));
        SaveStatus status = SaveStatus::Ok;
        EXPECT_FALSE(parse_save(cut, &status)) << n;
        EXPECT_EQ(status, n <= 128 ? SaveStatus::NotSave : SaveStatus::Truncated) << n;
    }
    std::mt19937 rng(31);
    for (int round = 0; round < 5000; ++round) {
        auto m = seed;
        for (int i = 0; i < 4; ++i) m[128 + rng() % (m.size() - 128)] = static_cast<uint8_t>(rng());
        if (rng() % 4 == 0) m.resize(128 + rng() % (m.size() - 128));
        const auto score = parse_save(m);
        if (score) (void)to_mml(*score);
    }
}

}  // namespace
}  // namespace lumora::cantara
