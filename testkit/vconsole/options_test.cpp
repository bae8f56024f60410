#include "testkit/vconsole/options.h"

#include <gtest/gtest.h>

namespace lumora::vconsole {
namespace {

ParsedOptions parse(std::vector<std::string> args) {
    return parse_options(args);
}

TEST(VconsoleOptions, ALineIsRequiredUnlessHelpIsAsked) {
    EXPECT_FALSE(parse({}).ok);
    EXPECT_FALSE(parse({"--pty"}).ok);
    EXPECT_FALSE(parse({"--pty", "a", "--port", "b"}).ok);
    auto h = parse({"--help"});
    EXPECT_TRUE(h.ok && h.help);
    EXPECT_TRUE(parse({"-h", "--bogus"}).help);
}

TEST(VconsoleOptions, EveryOptionReachesItsSetting) {
    auto r = parse({"--pty",
                    "/tmp/l",
                    "--blocks",
                    "40",
                    "--exists-code",
                    "550",
                    "--lf",
                    "--exec-time",
                    "5",
                    "--nak-interval",
                    "250",
                    "--store",
                    "out",
                    "--corrupt-block",
                    "3",
                    "--cancel-after",
                    "2",
                    "--silent",
                    "--slow",
                    "70",
                    "-v",
                    "--baud",
                    "9600",
                    "--line-rate",
                    "38400"});
    ASSERT_TRUE(r.ok) << r.error;
    const Options& o = r.options;
    EXPECT_EQ(o.line, Options::Line::Pty);
    EXPECT_EQ(o.path, "/tmp/l");
    EXPECT_EQ(o.shell.capacity_blocks, 40u);
    EXPECT_EQ(o.shell.exists_code, 550);
    EXPECT_FALSE(o.shell.crlf);
    EXPECT_EQ(o.shell.exec_run_ms, 5);
    EXPECT_EQ(o.shell.nak_interval_ms, 250);
    EXPECT_EQ(o.store_dir, "out");
    EXPECT_EQ(o.shell.corrupt_block, 3);
    EXPECT_EQ(o.shell.cancel_after, 2);
    EXPECT_TRUE(o.shell.silent);
    EXPECT_EQ(o.shell.answer_delay_ms, 70);
    EXPECT_TRUE(o.verbose);
    EXPECT_EQ(o.baud, 9600);
    EXPECT_EQ(o.line_rate, 38400);

    auto c = parse({"--port", "/dev/ttyS0", "--send-capture", "shot.bmp", "--name", "shot"});
    ASSERT_TRUE(c.ok) << c.error;
    EXPECT_EQ(c.options.line, Options::Line::Port);
    EXPECT_EQ(c.options.capture_file, "shot.bmp");
    EXPECT_EQ(c.options.capture_name, "shot");
}

TEST(VconsoleOptions, BadValuesAreRefusedWithAReason) {
    for (auto args : std::vector<std::vector<std::string>>{
             {"--pty", "l", "--blocks", "0"},
             {"--pty", "l", "--blocks", "12x"},
             {"--pty", "l", "--blocks"},
             {"--pty", "l", "--exists-code", "451"},
             {"--pty", "l", "--slow", "-1"},
             {"--pty", "l", "--name", "x"},
             {"--pty", "l", "--frobnicate"},
             {"--pty", ""},
         }) {
        auto r = parse(args);
        EXPECT_FALSE(r.ok) << args.back();
        EXPECT_FALSE(r.error.empty()) << args.back();
    }
}

}  // namespace
}  // namespace lumora::vconsole
