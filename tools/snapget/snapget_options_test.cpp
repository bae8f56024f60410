#include "snapget_options.h"

#include <gtest/gtest.h>

namespace lumora::snapget {
namespace {

using Action = ParseResult::Action;

TEST(SnapgetOptions, PortNumbersAreCheckedAfterEveryDigit) {
    EXPECT_EQ(parse_options({"-com10"}).options.port, 10);
    EXPECT_EQ(parse_options({"-COM256"}).options.port, 256);
    EXPECT_EQ(parse_options({"-Com7"}).options.port, 7);
    struct Bad {
        const char* arg;
        const char* text;
    };
    for (Bad b :
         {Bad{"-com01", "invalid comm port number (com01)\n"},
          Bad{"-com0", "invalid comm port number (com0)\n"},
          Bad{"-com257", "invalid comm port number (com257)\n"}, Bad{"-com3x", "invalid comm port (com3x)\n"},
          Bad{"-comx", "invalid comm port (comx)\n"}, Bad{"-COM2-", "invalid comm port (COM2-)\n"}}) {
        ParseResult r = parse_options({b.arg});
        EXPECT_EQ(r.action, Action::Fail) << b.arg;
        EXPECT_EQ(r.exit_status, 1) << b.arg;
        EXPECT_EQ(r.error, b.text) << b.arg;
    }
    // No digits at all selects port 0 (replaced later, with a warning).
    ParseResult r = parse_options({"-com"});
    EXPECT_EQ(r.action, Action::Run);
    EXPECT_EQ(r.options.port, 0);
}

TEST(SnapgetOptions, SwitchesAreExactAndTheFirstNameEndsTheOptions) {
    ParseResult r = parse_options({"-9600", "-f", "-v", "out.png", "-h", "other"});
    EXPECT_EQ(r.action, Action::Run);
    EXPECT_EQ(r.options.baud, 9600);
    EXPECT_TRUE(r.options.force);
    EXPECT_TRUE(r.options.verbose);
    EXPECT_EQ(r.options.output, "out.png");
    EXPECT_FALSE(r.options.port);

    EXPECT_EQ(parse_options({"-38400"}).options.baud, 38400);
    EXPECT_FALSE(parse_options({}).options.baud);

    for (const char* wrong : {"-F", "-V", "-19200", "-x", "-", "-H"}) {
        ParseResult w = parse_options({wrong});
        EXPECT_EQ(w.action, Action::Usage) << wrong;
        EXPECT_EQ(w.exit_status, 1) << wrong;
    }
    for (const char* help : {"-h", "--help"}) {
        ParseResult h = parse_options({"-v", help, "-bogus"});
        EXPECT_EQ(h.action, Action::Usage);
        EXPECT_EQ(h.exit_status, 0);
    }
}

TEST(SnapgetOptions, UsageTextNamesTheProgramAsInvoked) {
    EXPECT_EQ(usage_text("./snapget"),
              "BMP receiver for Lumora Version 1.00\n"
              "(Receive BMP file from \"Pictavo\" using XMODEM)\n"
              "\n"
              "usage: ./snapget [<options>] [<BMP filename>]\n"
              "\n"
              "<BMP filename>\n"
              "\tsave file name (default: use filename in received data)\n"
              "\n"
              "<options>\n"
              "\t-com1 to -com256\n"
              "\t\tserial port (default: Pelorix setting)\n"
              "\t-9600 or -38400\n"
              "\t\tbaudrate (default: Pelorix setting)\n"
              "\t-f\n"
              "\t\tforce to write (default: auto rename if already exists)\n"
              "\t-v\n"
              "\t\tverbose mode\n"
              "\t-h\n"
              "\t\tprint this message\n"
              "\n");
}

}  // namespace
}  // namespace lumora::snapget
