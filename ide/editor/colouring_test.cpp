#include <gtest/gtest.h>

#include <random>

#include "ide/editor/draw_state.h"
#include "ide/editor/keyword_db.h"
#include "ide/editor/search.h"
#include "ide/editor/text_doc.h"
#include "ide/editor/tokenizer.h"

namespace lumora::editor {
namespace {

using Tokens = std::vector<TokenSpan>;
}  // namespace

void PrintTo(const ColourRun& r, std::ostream* os) {
    *os << "{" << r.start << "," << r.length << "," << r.colour << "}";
}
void PrintTo(const TokenSpan& t, std::ostream* os) {
    *os << "{" << t.start << "," << t.length << "," << t.colour << "}";
}

namespace {
using Runs = std::vector<ColourRun>;

const std::string kFixture = LUMORA_SOURCE_DIR "/ide/editor/testdata/Lumo.kdb";

KeywordDatabase fixture_db() {
    auto db = KeywordDatabase::load(kFixture, nullptr);
    EXPECT_TRUE(db.has_value());
    return db.value_or(KeywordDatabase{});
}

Tokens tokens(std::string_view s, const KeywordDatabase* db = nullptr) {
    Tokens t;
    tokenize(s, db, t);
    return t;
}

TEST(Tokenizer, ClassesAndContinuation) {
    EXPECT_EQ(tokens("x2"), (Tokens{{0, 2, kColourAlphabet}}));
    EXPECT_EQ(tokens("2x"), (Tokens{{0, 2, kColourNumber}}));
    EXPECT_EQ(tokens("3.14"), (Tokens{{0, 4, kColourNumber}}));
    EXPECT_EQ(tokens("a.b"), (Tokens{{0, 1, kColourAlphabet}, {1, 1, kColourMark}, {2, 1, kColourAlphabet}}));
    EXPECT_EQ(tokens("p->q /*"), (Tokens{{0, 1, 5}, {1, 2, 7}, {3, 1, 5}, {4, 1, 8}, {5, 2, 7}}));
    EXPECT_EQ(tokens("\t  #x_1"), (Tokens{{0, 3, kColourSpace}, {3, 4, kColourMark}}));
    // Hiragana absorbs the prolonged sound mark; full-width letters and digits join.
    EXPECT_EQ(tokens("\x82\xA0\x81\x5B\x82\xA2"), (Tokens{{0, 6, kColourKanji}}));
    EXPECT_EQ(tokens("\x81\x5B\x83\x41"), (Tokens{{0, 4, kColourKanji}}));  // mark then katakana: one token
    EXPECT_EQ(tokens("\x82\x60\x82\x4F\x88\x9F"), (Tokens{{0, 4, kColourKanji}, {4, 2, kColourKanji}}));
    // Half-width katakana, control and stray high bytes.
    EXPECT_EQ(tokens("\xB1\xB2"), (Tokens{{0, 2, kColourKatakana}}));
    EXPECT_EQ(tokens("\x01\x01"), (Tokens{{0, 1, kColourDefault}, {1, 1, kColourDefault}}));
    EXPECT_EQ(tokens("a\x82"),
              (Tokens{{0, 1, kColourAlphabet}, {1, 1, kColourDefault}}));  // lone lead at the end
    EXPECT_TRUE(tokens("").empty());
    EXPECT_EQ(classify_char("\x81\x40", 0).cls, 13);
    EXPECT_EQ(classify_char("\x81\x41", 0).cls, 14);
    EXPECT_EQ(classify_char("\x81\x43", 0).cls, 8);
    EXPECT_EQ(classify_char("\x83\x96", 0).cls, 10);
    EXPECT_EQ(classify_char("\x84\x40", 0).cls, 12);
}

TEST(KeywordDb, ParsesSetsEntriesAndDuplicates) {
    KeywordDatabase db = fixture_db();
    ASSERT_EQ(db.sets().size(), 3u);
    const KeywordSet& c = db.sets()[0];
    EXPECT_EQ(c.name, "C/C++");
    EXPECT_EQ(c.words, (std::vector<std::string>{"if", "else", "while"}));
    EXPECT_EQ(c.number, 0);
    ASSERT_EQ(c.entries.size(), 4u);  // comment, empty line and second "int" dropped
    EXPECT_EQ(c.entries[2].keyword, "while");
    EXPECT_EQ(c.entries[2].header, "stdio.h");
    EXPECT_EQ(c.entries[2].line, 12);
    EXPECT_EQ(c.entries[2].field4, "a");
    EXPECT_EQ(c.entries[2].field5, "b");
    EXPECT_EQ(c.entries[3].keyword, "int");
    EXPECT_EQ(c.entries[3].header, "");
    EXPECT_EQ(c.entries[3].line, -1);
    EXPECT_EQ(c.entries[3].hash, keyword_hash("int"));
    EXPECT_EQ(db.sets()[1].number, 1);
    EXPECT_EQ(db.sets()[1].entries[5].line, 0);  // "x3" converts to 0
    EXPECT_EQ(db.sets()[2].name, "Notes");
    EXPECT_EQ(db.sets()[2].number, 0);  // no number given

    EXPECT_EQ(token_colour("if", &db), kColourCpp);
    EXPECT_EQ(token_colour("lm_print", &db), kColourLumora);
    EXPECT_EQ(token_colour("note", &db), kColourCpp);  // a second set numbered 0
    EXPECT_EQ(token_colour("#include", &db), kColourCpp);
    EXPECT_EQ(token_colour("#define", &db), kColourMark);
    EXPECT_EQ(token_colour("If", &db), kColourAlphabet);
    db.set_enabled(0, false);
    EXPECT_EQ(token_colour("if", &db), kColourAlphabet);
    EXPECT_EQ(token_colour("note", &db), kColourAlphabet);
    EXPECT_EQ(token_colour("lm_print", &db), kColourLumora);
}

TEST(KeywordDb, HashIsSignedByteArithmetic) {
    EXPECT_EQ(keyword_hash(""), 0);
    EXPECT_EQ(keyword_hash("a"), 97);
    EXPECT_EQ(keyword_hash("ab"), 97 * 33 + 98);
    EXPECT_EQ(keyword_hash("\xFF"), -1);  // the byte counts as -1
}

TEST(KeywordDb, MissingFileAsksAndCancelEnds) {
    std::vector<std::string> asked;
    auto ok = KeywordDatabase::load("/nonexistent/Lumo.kdb", [&](const std::string& m) {
        asked.push_back(m);
        return true;
    });
    ASSERT_TRUE(ok.has_value());
    EXPECT_TRUE(ok->sets().empty());
    EXPECT_EQ(asked,
              std::vector<std::string>{"キーワードデータベース(Lumo.kdb)が開けませんでした。\n続けますか？"});
    EXPECT_FALSE(KeywordDatabase::load("/nonexistent/Lumo.kdb", [](const std::string&) { return false; }));
}

TEST(KeywordJump, HeaderPathResolution) {
    KeywordDatabase db = fixture_db();
    const auto kWin = platform::PathStyle::Windows;
    EXPECT_EQ(resolve_keyword_header("C:\\lumo", "stdio.h", kWin), "C:\\lumo\\include\\sys\\stdio.h");
    EXPECT_EQ(resolve_keyword_header("C:\\lumo\\", "sub\\x.h", kWin), "C:\\lumo\\include\\sys\\sub\\x.h");
    EXPECT_EQ(resolve_keyword_header("C:\\lumo", ".\\here.h", kWin), "C:\\lumo\\include\\sys\\here.h");
    EXPECT_EQ(resolve_keyword_header("C:\\lumo", "..\\up.h", kWin), "C:\\lumo\\include\\up.h");
    EXPECT_EQ(resolve_keyword_header("C:\\lumo", "...\\up2.h", kWin), "C:\\lumo\\up2.h");
    EXPECT_EQ(resolve_keyword_header("C:\\lumo", "D:\\abs.h", kWin), "D:\\abs.h");
    EXPECT_EQ(resolve_keyword_header("C:\\lumo", "\\\\srv\\x.h", kWin), "\\\\srv\\x.h");
    EXPECT_EQ(resolve_keyword_header("C:\\lumo", "...", kWin), "");
    EXPECT_EQ(resolve_keyword_header("", "x.h", kWin), "");

    auto j = keyword_jump(db, "while", "C:\\lumo", kWin);
    ASSERT_TRUE(j.has_value());
    EXPECT_EQ(j->path, "C:\\lumo\\include\\sys\\stdio.h");
    EXPECT_EQ(j->line, 12);
    EXPECT_EQ(j->keyword, "while");
    EXPECT_FALSE(keyword_jump(db, "int", "C:\\lumo", kWin));      // no header
    EXPECT_FALSE(keyword_jump(db, "while", "", kWin));            // no platform folder
    EXPECT_FALSE(keyword_jump(db, "nothing", "C:\\lumo", kWin));  // no entry
    EXPECT_FALSE(keyword_jump(db, "lm_dots", "C:\\lumo", kWin));  // dots only
    db.set_enabled(1, false);
    EXPECT_FALSE(keyword_jump(db, "lm_print", "C:\\lumo", kWin));  // set switched off
}

TEST(KeywordJump, HeaderPathOnThisHost) {
    // The database keeps Windows separators; the platform folder is a host path.
    EXPECT_EQ(resolve_keyword_header("/home/u/lumo", "stdio.h"), "/home/u/lumo/include/sys/stdio.h");
    EXPECT_EQ(resolve_keyword_header("/home/u/lumo/", "sub\\x.h"), "/home/u/lumo/include/sys/sub/x.h");
    EXPECT_EQ(resolve_keyword_header("/home/u/lumo", ".\\here.h"), "/home/u/lumo/include/sys/here.h");
    EXPECT_EQ(resolve_keyword_header("/home/u/lumo", "..\\up.h"), "/home/u/lumo/include/up.h");
    EXPECT_EQ(resolve_keyword_header("/home/u/lumo", "...\\up2.h"), "/home/u/lumo/up2.h");
    EXPECT_EQ(resolve_keyword_header("/l", ".....\\top.h"), "/top.h") << "never above the root";
    EXPECT_EQ(resolve_keyword_header("/home/u/lumo", "\\opt\\x.h"), "/opt/x.h");
    EXPECT_EQ(resolve_keyword_header("/home/u/lumo", ".."), "");
    // A Shift-JIS header name becomes the host's UTF-8 ("表" is 95 5C: its trail byte is no separator).
    EXPECT_EQ(resolve_keyword_header("/l", "\x95\x5C.h"), "/l/include/sys/表.h");

    auto j = keyword_jump(fixture_db(), "while", "/home/u/lumo");
    ASSERT_TRUE(j.has_value());
    EXPECT_EQ(j->path, "/home/u/lumo/include/sys/stdio.h");
}

TEST(KeywordDb, RandomTextNeverBreaksTheParser) {
    std::mt19937 rng(99);
    const std::string alphabet = "{};:,\n\r \tab1-x.\\";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        size_t len = rng() % 120;
        for (size_t i = 0; i < len; ++i)
            text.push_back(rng() % 5 == 0 ? static_cast<char>(rng() & 0xFF)
                                          : alphabet[rng() % alphabet.size()]);
        KeywordDatabase db = KeywordDatabase::parse(text);
        for (const KeywordSet& s : db.sets())
            for (size_t i = 0; i < s.entries.size(); ++i) {
                ASSERT_EQ(s.entries[i].hash, keyword_hash(s.entries[i].keyword));
                for (size_t k = 0; k < i; ++k) ASSERT_NE(s.entries[k].keyword, s.entries[i].keyword);
            }
        for (const KeywordSet& s : db.sets())
            for (const KeywordEntry& e : s.entries) {
                (void)token_colour(e.keyword, &db);
                (void)keyword_jump(db, e.keyword, "C:\\lumo");
            }
    }
}

// Colours of a document's lines drawn from line 0 in a view of `type`.
std::vector<Runs> draw(const std::vector<std::string>& lines, int type, const KeywordDatabase* db) {
    CTextDoc doc(db);
    doc.set_lines(lines);
    std::vector<Runs> out;
    for (int i = 0; i < doc.line_count(); ++i) {
        int state = drawing_entry_state(doc, type, i, 0);
        Runs r;
        colour_line(*doc.line(i), type, state, r);
        out.push_back(r);
    }
    return out;
}

TEST(DrawState, IncludeStringsAndComments) {
    KeywordDatabase db = fixture_db();
    auto with = draw({"#include <stdio.h> x"}, kTypeC, &db);
    EXPECT_EQ(with[0], (Runs{{0, 8, kColourCpp},
                             {8, 1, kColourSpace},
                             {9, 1, kColourString},
                             {10, 5, kColourString},
                             {15, 1, kColourString},
                             {16, 1, kColourString},
                             {17, 1, kColourString},
                             {18, 1, kColourSpace},
                             {19, 1, kColourAlphabet}}));
    auto without = draw({"#include <stdio.h>"}, kTypeC, nullptr);
    EXPECT_EQ(without[0][2], (ColourRun{9, 1, kColourMark}));
    EXPECT_EQ(without[0].back(), (ColourRun{17, 1, kColourMark}));

    auto block = draw({"a /* b", "if", "c */ d"}, kTypeC, &db);
    EXPECT_EQ(block[0],
              (Runs{{0, 1, 5}, {1, 1, 8}, {2, 2, kColourRem}, {4, 1, kColourRem}, {5, 1, kColourRem}}));
    EXPECT_EQ(block[1], (Runs{{0, 2, kColourRem}}));  // a keyword inside a comment
    EXPECT_EQ(block[2],
              (Runs{{0, 1, kColourRem}, {1, 1, kColourRem}, {2, 2, kColourRem}, {4, 1, 8}, {5, 1, 5}}));

    // "//" inside a string is no comment; a backslash does not escape a quote.
    auto str = draw({"s = \"//\"; t", "\"\\\"x"}, kTypeC, nullptr);
    EXPECT_EQ(str[0], (Runs{{0, 1, 5},
                            {1, 1, 8},
                            {2, 1, 7},
                            {3, 1, 8},
                            {4, 4, kColourString},
                            {8, 1, 7},
                            {9, 1, 8},
                            {10, 1, 5}}));
    EXPECT_EQ(str[1], (Runs{{0, 3, kColourString}, {3, 1, 5}}));

    // A punctuation token changes colour at the exact characters.
    auto mixed = draw({"x=a;//c"}, kTypeC, nullptr);
    EXPECT_EQ(mixed[0],
              (Runs{{0, 1, 5}, {1, 1, 7}, {2, 1, 5}, {3, 1, 7}, {4, 2, kColourRem}, {6, 1, kColourRem}}));
    // Line comments and strings end with the line.
    auto ends = draw({"// x", "'a", "y"}, kTypeC, nullptr);
    EXPECT_EQ(ends[2], (Runs{{0, 1, 5}}));
}

TEST(DrawState, SelectionInsideACommentSplitsRuns) {
    auto runs = draw({"x /* note */"}, kTypeC, nullptr);
    // Selection from inside the comment's opening token to the middle of "note".
    overlay_selection(runs[0], 3, 6);
    EXPECT_EQ(runs[0], (Runs{{0, 1, 5},
                             {1, 1, 8},
                             {2, 1, kColourRem},
                             {3, 1, kColourSelect},
                             {4, 1, kColourSelect},
                             {5, 1, kColourSelect},
                             {6, 3, kColourRem},
                             {9, 1, kColourRem},
                             {10, 2, kColourRem}}));
    std::vector<ColourRun> empty;
    overlay_selection(empty, 0, 5);
    EXPECT_TRUE(empty.empty());
}

TEST(DrawState, TextTypes) {
    KeywordDatabase db = fixture_db();
    auto plain = draw({"if (1) /* x */ \"s\""}, kTypeText, &db);
    for (const ColourRun& r : plain[0]) EXPECT_EQ(r.colour, kColourDefault);
    auto mml = draw({"t120 cde ;note", "/* o4 \"x"}, kTypeMml, &db);
    EXPECT_EQ(mml[0],
              (Runs{{0, 4, 0}, {4, 1, 0}, {5, 3, 0}, {8, 1, 0}, {9, 1, kColourRem}, {10, 4, kColourRem}}));
    for (const ColourRun& r : mml[1]) EXPECT_EQ(r.colour, kColourDefault);
    // Other types start fresh on the first visible line.
    CTextDoc doc(&db);
    doc.set_lines({";", "a"});
    EXPECT_EQ(drawing_entry_state(doc, kTypeMml, 1, 1), kStateNormal);
}

TEST(DrawState, KeywordSwitchRecoloursTokens) {
    KeywordDatabase db = fixture_db();
    CTextDoc doc(&db);
    doc.set_lines({"if (x) while"});
    EXPECT_EQ(doc.line(0)->tokens()[0].colour, kColourCpp);
    db.set_enabled(0, false);
    doc.retokenize_all();
    EXPECT_EQ(doc.line(0)->tokens()[0].colour, kColourAlphabet);
    EXPECT_EQ(doc.line(0)->tokens().back().colour, kColourAlphabet);
}

// Tokens are cut when a line is first drawn and kept until its text changes;
// passes over many lines (comment states, searching) read them but keep none.
TEST(LineTokens, CutOnFirstUseKeptUntilEdited) {
    KeywordDatabase db = fixture_db();
    CTextDoc doc(&db);
    doc.set_lines({"/* a", "if x */ while", "int while_1 = 2;", "while"});
    auto kept = [&] {
        std::string k;
        for (int i = 0; i < doc.line_count(); ++i) k += doc.line(i)->tokens_kept() ? '1' : '0';
        return k;
    };
    EXPECT_EQ(kept(), "0000");
    EXPECT_EQ(doc.c_entry_state(1), kStateBlockComment);
    EXPECT_EQ(doc.c_entry_state(4), kStateNormal);
    SearchSettings s;
    s.find_text = "while";
    s.whole_word = true;
    EXPECT_EQ(mark_all(doc, s), 2);  // "while_1" is another word
    auto found = search_document(doc, s, {0, 2}, true);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->start, (TextPos{0, 3}));
    EXPECT_EQ(kept(), "0000");

    int state = kStateNormal;
    Runs runs;
    colour_line(*doc.line(2), kTypeC, state, runs);
    EXPECT_EQ(kept(), "0010");
    EXPECT_EQ(doc.line(2)->tokens(), tokens("int while_1 = 2;", &db));
    // The same searches through kept tokens give the same answers.
    for (int i = 0; i < doc.line_count(); ++i) doc.line(i)->tokens();
    EXPECT_EQ(mark_all(doc, s), 2);
    found = search_document(doc, s, {0, 2}, true);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->start, (TextPos{0, 3}));

    // An edit forgets the line's tokens, undo and redo as well.
    TextPos p{4, 2};
    doc.insert(nullptr, "x", p);
    EXPECT_EQ(kept(), "1101");
    EXPECT_EQ(doc.line(2)->tokens(), tokens("int xwhile_1 = 2;", &db));
    doc.undo(nullptr);
    EXPECT_EQ(doc.line(2)->tokens(), tokens("int while_1 = 2;", &db));
    doc.redo(nullptr);
    EXPECT_EQ(doc.line(2)->tokens(), tokens("int xwhile_1 = 2;", &db));
}

// Switching keyword sets recolours kept tokens and those cut later alike.
TEST(LineTokens, KeywordSwitchBeforeFirstUse) {
    KeywordDatabase db = fixture_db();
    CTextDoc doc(&db);
    doc.set_lines({"if (x) while", "if"});
    EXPECT_EQ(doc.line(0)->tokens()[0].colour, kColourCpp);
    db.set_enabled(0, false);
    doc.retokenize_all();
    EXPECT_EQ(doc.line(0)->tokens()[0].colour, kColourAlphabet);
    EXPECT_EQ(doc.line(1)->tokens()[0].colour, kColourAlphabet);
    db.set_enabled(0, true);
    doc.set_keywords(&db);
    EXPECT_EQ(doc.line(0)->tokens(), tokens("if (x) while", &db));
    EXPECT_EQ(doc.line(1)->tokens()[0].colour, kColourCpp);
}

// The cached entry states always equal a scan from line 0, through edits.
TEST(DrawState, CachedEntryStatesMatchFullScan) {
    KeywordDatabase db = fixture_db();
    std::mt19937 rng(7);
    const std::vector<std::string> pieces = {"/*", "*/", "\"",   "'", "//", "#include <",
                                             ">",  "x",  "\r\n", "/", "*"};
    CTextDoc doc(&db);
    doc.set_lines({"int a;", "/* start", "x", "end */", "b"});
    for (int step = 0; step < 400; ++step) {
        // One to three edits between two paints, some adding or removing lines.
        for (int edits = 1 + static_cast<int>(rng() % 3); edits > 0; --edits) {
            int l = static_cast<int>(rng() % std::max(doc.line_count(), 1));
            if (rng() % 3) {
                TextPos p{static_cast<int>(rng() % 8), l};
                doc.insert(nullptr, pieces[rng() % pieces.size()], p);
            } else {
                doc.delete_range(nullptr, {static_cast<int>(rng() % 8), l},
                                 {static_cast<int>(rng() % 8), l + static_cast<int>(rng() % 3)});
            }
            if (rng() % 4 == 0) doc.undo(nullptr);
        }
        // Ask for a random line first, so partly filled caches are exercised.
        doc.c_entry_state(static_cast<int>(rng() % (doc.line_count() + 1)));
        int state = kStateNormal;
        for (int i = 0; i < doc.line_count(); ++i) {
            ASSERT_EQ(doc.c_entry_state(i), state) << "step " << step << " line " << i;
            state = line_exit_state(*doc.line(i), kTypeC, state);
        }
    }
}

// The state a line hands on is the one drawing it ends in, for every text
// type, whether or not the line gets cut into tokens to find it.
TEST(DrawState, ExitStateEqualsTheStateAfterDrawing) {
    KeywordDatabase db = fixture_db();
    std::mt19937 rng(11);
    const std::vector<std::string> pieces = {"/*", "*/", "*", "/", "\"", "'",        "//",    "#include",
                                             "<",  ">",  ";", "x", " ",  "\x82\xA0", "\x81*", "if"};
    CTextDoc doc(&db);
    std::vector<std::string> lines;
    for (int i = 0; i < 3000; ++i) {
        std::string l;
        for (int n = static_cast<int>(rng() % 7); n > 0; --n) l += pieces[rng() % pieces.size()];
        lines.push_back(l);
    }
    doc.set_lines(lines);
    Runs runs;
    for (int i = 0; i < doc.line_count(); ++i)
        for (int type : {kTypeC, kTypeText, kTypeMml})
            for (int entry : {kStateNormal, kStateBlockComment}) {
                int drawn = entry;
                colour_line(*doc.line(i), type, drawn, runs);
                ASSERT_EQ(line_exit_state(*doc.line(i), type, entry), drawn)
                    << "\"" << lines[static_cast<size_t>(i)] << "\" type " << type << " entry " << entry;
            }
}

}  // namespace
}  // namespace lumora::editor
