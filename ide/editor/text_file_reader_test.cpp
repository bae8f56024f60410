#include "ide/editor/text_file_reader.h"

#include <gtest/gtest.h>

#include <random>

#include "common/sjis.h"
#include "ide/editor/test_util.h"
#include "ide/editor/text_doc.h"

namespace lumora::editor {
namespace {

using testing::ScratchDir;

TextFileReader recognised(const std::string& bytes, const std::string& path = "x.txt") {
    TextFileReader r;
    r.path = path;
    r.contents = bytes;
    r.recognise();
    return r;
}

TEST(Recognition, EncodingsAndVerdicts) {
    // ASCII alone passes the EUC-JP test, which converts nothing.
    EXPECT_EQ(recognised("int a;\r\n").encoding, kEncodingEucJp);
    EXPECT_EQ(recognised("int a;\r\n").kind, kKindText);
    // Shift-JIS "あ" (82 A0): 0x82 is no EUC byte.
    TextFileReader sj = recognised("a\x82\xA0z\n");
    EXPECT_EQ(sj.encoding, kEncodingShiftJis);
    EXPECT_EQ(sj.kind, kKindText);
    // ISO-2022-JP with ESC $ B ... ESC ( B.
    TextFileReader jis = recognised("x\x1B$B$\"\x1B(By");
    EXPECT_EQ(jis.encoding, kEncodingIso2022Jp);
    EXPECT_EQ(jis.kind, kKindText);
    // The old designation ESC $ @ is not accepted.
    EXPECT_EQ(recognised("x\x1B$@$\"\x1B(B").kind, kKindNotText);
    // An ESC without two bytes after it.
    EXPECT_EQ(recognised("abc\x1B(").kind, kKindNotText);
    // ESC after Shift-JIS has been seen is not text.
    EXPECT_EQ(recognised("\x82\xA0\x1B$B").kind, kKindNotText);
    // EUC-JP "あ" (A4 A2).
    EXPECT_EQ(recognised("\xA4\xA2\n").encoding, kEncodingEucJp);
    // Control bytes make binary files.
    EXPECT_EQ(recognised(std::string("ab\0cd", 5)).kind, kKindNotText);
    EXPECT_EQ(recognised("\x7F").kind, kKindNotText);
    // Tabs, CR, LF, 0x1A and form feeds are text.
    EXPECT_EQ(recognised("\ta\r\n\x0C\x1A").kind, kKindText);
}

TEST(Recognition, ControlBytesAnywhereInLongPlainRuns) {
    for (size_t at = 0; at < 48; ++at) {
        for (char bad : {'\x00', '\x7F', '\x08', '\x1F', '\x80', '\xFF'}) {
            std::string s(48, 'a');
            s[at] = bad;
            EXPECT_EQ(recognised(s).kind, kKindNotText) << at << " " << int(uint8_t(bad));
        }
        for (char ok : {'\t', '\n', '\r', '\x0C', '\x1A', ' ', '~'}) {
            std::string s(48, 'a');
            s[at] = ok;
            EXPECT_EQ(recognised(s).kind, kKindText) << at << " " << int(ok);
        }
    }
}

TEST(Recognition, HalfWidthKatakanaOnlyReadsAsEuc) {
    TextFileReader r = recognised("\xB1\xB2\n");
    EXPECT_EQ(r.encoding, kEncodingEucJp);
    LineCounts c;
    auto lines = cut_lines(r.contents, r.encoding, &c);
    ASSERT_EQ(lines.size(), 2u);
    // Two katakana bytes became one double-byte character (EUC B1 B2 = JIS 31 32).
    EXPECT_EQ(lines[0], "\x89\x51");
}

TEST(Recognition, ExtensionDecidesKind) {
    EXPECT_EQ(recognised("x", "/p/prog.cpp").kind, kKindC);
    EXPECT_EQ(recognised("x", "/p/prog.C").kind, kKindC);
    EXPECT_EQ(recognised("x", "/p/a.h").kind, kKindC);
    EXPECT_EQ(recognised("x", "/p/song.mml").kind, kKindMml);
    EXPECT_EQ(recognised("x", "/p/fx.se").kind, kKindMml);
    EXPECT_EQ(recognised("x", "/p/readme.txt").kind, kKindText);
    EXPECT_EQ(recognised("x", "/p/Makefile").kind, kKindText);
    EXPECT_EQ(recognised("x", "/p/.c").kind, kKindText);
    EXPECT_EQ(recognised("x", "/p.c/readme").kind, kKindText);
    EXPECT_EQ(text_type_for_kind(kKindC), 0);
    EXPECT_EQ(text_type_for_kind(kKindText), 1);
    EXPECT_EQ(text_type_for_kind(kKindMml), 2);
}

TEST(Cutting, LinesAndCounts) {
    LineCounts c;
    EXPECT_EQ(cut_lines("a\r\nb\r\n", kEncodingShiftJis, &c), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(c.crlf, 2);
    EXPECT_EQ(c.ending_mode(), kEndingCrLf);

    EXPECT_EQ(cut_lines("a\nb\r\nc\n", kEncodingNone, &c), (std::vector<std::string>{"a", "b", "c", ""}));
    EXPECT_EQ(c.lf, 2);
    EXPECT_EQ(c.crlf, 1);
    EXPECT_EQ(c.ending_mode(), kEndingLf);

    EXPECT_EQ(cut_lines("a\nb\r\nc\r", kEncodingNone, &c), (std::vector<std::string>{"a", "b", "c", ""}));
    EXPECT_EQ(c.ending_mode(), kEndingCrLf);

    EXPECT_EQ(cut_lines("a\rb\rc", kEncodingNone, &c), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(c.ending_mode(), kEndingCr);

    EXPECT_TRUE(cut_lines("", kEncodingNone, &c).empty());
    EXPECT_EQ(c.ending_mode(), kEndingCrLf);
    EXPECT_EQ(cut_lines("\r\r\n\n", kEncodingNone), (std::vector<std::string>{"", "", "", ""}));
}

TEST(Cutting, DropsFormFeedAndEofMarkAndConverts) {
    EXPECT_EQ(cut_lines("a\x0C"
                        "b\r\n\x1A",
                        kEncodingShiftJis),
              (std::vector<std::string>{"ab", ""}));
    // Shift-JIS pairs whose trail looks like ASCII stay whole.
    EXPECT_EQ(cut_lines("\x83\x5C\n", kEncodingShiftJis)[0], "\x83\x5C");
    // ISO-2022-JP: two-byte mode lasts across the line end.
    EXPECT_EQ(cut_lines("\x1B$B$\"\n$$\x1B(Bx", kEncodingIso2022Jp),
              (std::vector<std::string>{"\x82\xA0", "\x82\xA2x"}));
    // EUC-JP: kanji pair and 8E-announced half-width katakana.
    EXPECT_EQ(cut_lines("\xA4\xA2\x8E\xB1z", kEncodingEucJp)[0], "\x82\xA0\xB1z");
}

TEST(Loading, DocumentFromFileRoundTripsEachEnding) {
    ScratchDir dir;
    const std::vector<std::pair<std::string, int>> files = {
        {"a\r\nb\r\n", kEndingCrLf}, {"a\nb\n\tc", kEndingLf},
        {"a\rb\r", kEndingCr},       {"\x82\xA0\x82\xA2\r\nx", kEndingCrLf},
        {"", kEndingCrLf},           {"one line", kEndingCrLf}};
    for (const auto& [bytes, mode] : files) {
        std::string path = dir.file("f.c");
        testing::write_file(path, bytes);
        TextFileReader r;
        ASSERT_TRUE(r.read(path));
        CTextDoc doc;
        doc.load(r);
        EXPECT_EQ(doc.line_ending_mode(), mode) << bytes;
        EXPECT_EQ(doc.text_type(), kTypeC);
        EXPECT_EQ(doc.serialized(), bytes);
        EXPECT_FALSE(doc.modified());
        EXPECT_EQ(doc.undo_position(), 0);
    }
    testing::write_file(dir.file("e.txt"), "");
    TextFileReader r;
    ASSERT_TRUE(r.read(dir.file("e.txt")));
    CTextDoc doc;
    doc.load(r);
    EXPECT_EQ(doc.line_count(), 0);

    testing::write_file(dir.file("abc.txt"), "a\r\nb\r\n");
    ASSERT_TRUE(r.read(dir.file("abc.txt")));
    doc.load(r);
    EXPECT_EQ(doc.line_count(), 3);
    EXPECT_EQ(doc.joined_text("|"), "a|b|");
    EXPECT_EQ(doc.text_type(), kTypeText);
}

TEST(Loading, ReadFailuresReportTheSystemText) {
    TextFileReader r;
    std::string err;
    EXPECT_FALSE(r.read("/nonexistent/dir/file.c", &err));
    EXPECT_FALSE(err.empty());
    ScratchDir dir;
    EXPECT_FALSE(r.read(dir.path(), &err));
}

// The recognition rules written out plainly, one byte at a time, to check the
// quick passes against.
int reference_encoding(const std::string& s, bool* text) {
    auto single_ok = [](uint8_t b) {
        return (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF) || b == 9 || b == 10 || b == 13 ||
               b == 0x1A || b == 0x0C;
    };
    auto sjis_pair = [&](size_t i) {
        return i + 1 < s.size() && sjis::is_lead(uint8_t(s[i])) && sjis::is_trail(uint8_t(s[i + 1]));
    };
    auto jis_ok = [&](uint8_t a, uint8_t b) {
        if (a < 0x21 || a > 0x7E || b < 0x21 || b > 0x7E) return false;
        auto d = sjis::jis_to_sjis(a, b);
        return sjis::is_lead(d.first) && sjis::is_trail(d.second);
    };
    int enc = 0, state = 0;
    bool two = false, ok = true;
    for (size_t i = 0; i < s.size() && ok;) {
        uint8_t b = uint8_t(s[i]);
        if (state == 0 && b == 0x1B) {
            state = 2;
            enc = 2;
            continue;
        }
        if (state == 2 && b == 0x1B) {
            if (i + 2 >= s.size()) {
                ok = false;
                break;
            }
            uint8_t c = uint8_t(s[i + 1]), d = uint8_t(s[i + 2]);
            if (c == 0x24 && d == 0x42)
                two = true;
            else if (c == 0x28 && (d == 0x42 || d == 0x4A))
                two = false;
            else {
                ok = false;
                break;
            }
            i += 3;
            continue;
        }
        if (state == 2 && two && i + 1 < s.size() && jis_ok(b, uint8_t(s[i + 1]))) {
            i += 2;
            continue;
        }
        if (state != 2 && sjis_pair(i)) {
            state = 1;
            enc = 1;
            i += 2;
            continue;
        }
        if (!single_ok(b)) {
            ok = false;
            break;
        }
        ++i;
    }
    bool euc = true;
    for (size_t i = 0; i < s.size();) {
        uint8_t b = uint8_t(s[i]);
        if (i + 1 < s.size()) {
            uint8_t c = uint8_t(s[i + 1]);
            if ((b == 0x8E && sjis::is_half_kana(c)) ||
                (b >= 0xA1 && b <= 0xFE && c >= 0xA1 && c <= 0xFE && jis_ok(b & 0x7F, c & 0x7F))) {
                i += 2;
                continue;
            }
        }
        if (!single_ok(b)) {
            euc = false;
            break;
        }
        ++i;
    }
    if (euc) {
        enc = 3;
        ok = true;
    }
    *text = ok;
    return enc;
}

// Random bytes never crash recognition or cutting, cutting never emits a
// line break, and every kept byte of a plain file comes back in its lines.
TEST(Robustness, RandomBytesThroughRecognitionAndCutting) {
    std::mt19937 rng(12345);
    const std::string alphabet = "ab\r\n\x1B$B(J@\x0C\x1A\x82\xA0\x8E\xB1\xA4\xFC\xFF\x00\t";
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        size_t len = rng() % 64;
        if (round % 2) bytes = "#include <stdio.h> int main(void)";  // long plain runs first
        for (size_t i = 0; i < len; ++i)
            bytes.push_back(rng() % 3 == 0 ? static_cast<char>(rng() & 0xFF)
                                           : alphabet[rng() % alphabet.size()]);
        TextFileReader r = recognised(bytes, "r.c");
        ASSERT_TRUE(r.kind == kKindNotText || r.kind == kKindC);
        bool text = false;
        ASSERT_EQ(r.encoding, reference_encoding(bytes, &text)) << round;
        ASSERT_EQ(r.kind == kKindC, text) << round;
        for (int enc = 0; enc < 4; ++enc) {
            auto lines = cut_lines(bytes, enc);
            for (const std::string& l : lines) ASSERT_EQ(l.find_first_of("\r\n"), std::string::npos);
            if (enc == kEncodingShiftJis) {
                std::string kept;
                for (char c : bytes)
                    if (c != '\x0C' && c != '\x1A' && c != '\r' && c != '\n') kept.push_back(c);
                std::string joined;
                for (const std::string& l : lines) joined += l;
                ASSERT_EQ(joined, kept);
            }
        }
    }
}

}  // namespace
}  // namespace lumora::editor
