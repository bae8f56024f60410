#include "ide/editor/search.h"

#include <gtest/gtest.h>

#include <random>

#include "common/cp932.h"
#include "ide/editor/output_sink.h"
#include "ide/editor/project_search.h"
#include "ide/editor/test_util.h"

namespace lumora::editor {
namespace {

using Lines = std::vector<std::string>;

Lines lines_of(const CTextDoc& doc) {
    Lines out;
    for (int i = 0; i < doc.line_count(); ++i) out.emplace_back(doc.line_text(i));
    return out;
}

struct View {
    CTextDoc doc;
    EditController ed;
    SearchSettings settings;
    explicit View(const Lines& lines) : ed(doc) { doc.set_lines(lines); }
    void find(const std::string& text, bool whole = false, bool match_case = false) {
        settings.find_text = text;
        settings.whole_word = whole;
        settings.match_case = match_case;
    }
};

TEST(Search, BackwardThenForwardOnOneLine) {
    View v({"foo x foo"});
    v.find("foo");
    v.ed.set_caret({5, 0});
    ASSERT_TRUE(find_and_show(v.ed, v.settings, false));
    EXPECT_EQ(v.ed.caret(), (CaretPos{0, 0}));
    EXPECT_EQ(v.ed.anchor(), (CaretPos{3, 0}));
    ASSERT_TRUE(find_and_show(v.ed, v.settings, true));  // the same one again
    EXPECT_EQ(v.ed.anchor(), (CaretPos{0, 0}));
    EXPECT_EQ(v.ed.caret(), (CaretPos{3, 0}));
    ASSERT_TRUE(find_and_show(v.ed, v.settings, true));
    EXPECT_EQ(v.ed.anchor(), (CaretPos{6, 0}));
    EXPECT_EQ(v.ed.caret(), (CaretPos{9, 0}));
    // The first Shift+F3 after F3 selects the same match, caret at its start.
    ASSERT_TRUE(find_and_show(v.ed, v.settings, false));
    EXPECT_EQ(v.ed.caret(), (CaretPos{6, 0}));
    EXPECT_EQ(v.ed.anchor(), (CaretPos{9, 0}));
}

TEST(Search, WrapsAroundToTheOnlyMatch) {
    View v({"one", "two needle x", "three"});
    v.find("needle");
    for (CaretPos from : {CaretPos{0, 0}, CaretPos{9, 1}, CaretPos{2, 2}, CaretPos{6, 1}}) {
        v.ed.set_caret(from);
        ASSERT_TRUE(find_and_show(v.ed, v.settings, true));
        EXPECT_EQ(v.ed.anchor(), (CaretPos{4, 1}));
        EXPECT_EQ(v.ed.caret(), (CaretPos{10, 1}));
        v.ed.set_caret(from);
        ASSERT_TRUE(find_and_show(v.ed, v.settings, false));
        EXPECT_EQ(v.ed.caret(), (CaretPos{4, 1}));
    }
    v.find("absent");
    v.ed.set_caret({1, 1});
    EXPECT_FALSE(find_and_show(v.ed, v.settings, true));
    EXPECT_EQ(v.ed.caret(), (CaretPos{1, 1}));  // nothing changes
    v.find("");
    EXPECT_FALSE(search_document(v.doc, v.settings, {0, 0}, true));
}

TEST(Search, WholeWordCaseAndTrailBytes) {
    View v({"x = a+b; count2 = count;", "\t\x82\x81\x82\x82 end", "\x83\x5C\\"});
    v.find("a+b", true);
    EXPECT_FALSE(search_document(v.doc, v.settings, {0, 0}, true));
    v.find("count", true);
    auto m = search_document(v.doc, v.settings, {0, 0}, true);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->start, (TextPos{18, 0}));
    // Whole word, first visit: backward takes only tokens ending at or before the start.
    m = search_document(v.doc, v.settings, {22, 0}, false);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->start, (TextPos{18, 0}));  // wrapped round to the same token
    v.find("COUNT2", false, true);
    EXPECT_FALSE(search_document(v.doc, v.settings, {0, 0}, true));
    v.find("COUNT2", false, false);
    EXPECT_TRUE(search_document(v.doc, v.settings, {0, 0}, true));
    // Full-width lower case finds full-width capitals when match case is off.
    View w({"zz\x82\x60\x82\x61"});
    w.find("\x82\x81\x82\x82");
    m = search_document(w.doc, w.settings, {0, 0}, true);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->start, (TextPos{2, 0}));
    // A match never starts on the second byte of a character (0x5C here).
    v.find("\\");
    m = search_document(v.doc, v.settings, {0, 2}, true);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->start, (TextPos{2, 2}));
    // The match columns are display columns (the tab is 4 wide).
    v.find("end", false, true);
    m = search_document(v.doc, v.settings, {0, 0}, true);
    ASSERT_TRUE(m);
    EXPECT_EQ(v.ed.to_caret(m->start), (CaretPos{9, 1}));
}

TEST(Search, RangeLimitStopsAtItsEdges) {
    View v({"ab ab", "ab", "ab ab"});
    v.find("ab");
    std::pair<CaretPos, CaretPos> lim{{1, 0}, {4, 2}};
    auto m = search_document(v.doc, v.settings, {1, 0}, true, &lim);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->start, (TextPos{3, 0}));
    m = search_document(v.doc, v.settings, {2, 2}, true, &lim);
    EXPECT_FALSE(m);  // the next match ends after the range
    m = search_document(v.doc, v.settings, {2, 0}, false, &lim);
    EXPECT_FALSE(m);  // the match before starts before the range
}

TEST(Search, SettingsHistories) {
    SearchSettings s;
    s.take_over("Foo", "bar");
    s.take_over("x", "");
    s.take_over("FOO", "bar");
    EXPECT_EQ(s.find_history, (Lines{"FOO", "x"}));
    EXPECT_EQ(s.replace_history, (Lines{"bar"}));
    s.take_over("", "Bar");
    EXPECT_EQ(s.find_text, "FOO");  // empty field keeps the stored text
    EXPECT_EQ(s.replace_history, (Lines{"Bar", "bar"}));
    EXPECT_EQ(s.replace_text, "Bar");
}

TEST(Marks, MarkAllAndBookmarkNavigation) {
    View v({"a", "b", "c", "hit", "d", "e", "f", "a hit", "g"});
    v.doc.set_bookmark(0, true);
    v.find("hit");
    EXPECT_EQ(mark_all(v.doc, v.settings), 2);
    std::vector<int> marked;
    for (int i = 0; i < v.doc.line_count(); ++i)
        if (v.doc.line(i)->bookmark) marked.push_back(i);
    EXPECT_EQ(marked, (std::vector<int>{0, 3, 7}));  // old marks stay
    EXPECT_EQ(next_bookmark(v.doc, 3, true), 7);
    EXPECT_EQ(next_bookmark(v.doc, 7, true), std::nullopt);  // no wrap
    EXPECT_EQ(next_bookmark(v.doc, 3, false), 0);
    EXPECT_EQ(next_bookmark(v.doc, 0, false), std::nullopt);
    EXPECT_FALSE(v.doc.toggle_bookmark(3));
    EXPECT_EQ(next_bookmark(v.doc, 0, true), 7);
    EXPECT_EQ(clamp_jump_line(v.doc, 0), 1);
    EXPECT_EQ(clamp_jump_line(v.doc, 99), 9);
}

TEST(Brackets, NestedCommentsAndDoubleBytes) {
    View v({"f(a(b)) // (", "{ x", "\x83\x7B y }", "}"});
    EXPECT_EQ(match_bracket(v.doc, {1, 0}, true), (TextPos{6, 0}));
    EXPECT_EQ(match_bracket(v.doc, {6, 0}, false), (TextPos{1, 0}));
    EXPECT_EQ(match_bracket(v.doc, {5, 0}, false), (TextPos{3, 0}));
    // A "(" after "//" counts as nothing: Ctrl+] goes to the next "}",
    // skipping the 0x7B trail byte of a double-byte character.
    EXPECT_EQ(match_bracket(v.doc, {11, 0}, true), (TextPos{5, 2}));
    EXPECT_EQ(match_bracket(v.doc, {0, 1}, true), (TextPos{5, 2}));
    EXPECT_EQ(match_bracket(v.doc, {5, 2}, false), (TextPos{0, 1}));
    EXPECT_EQ(match_bracket(v.doc, {0, 3}, false), std::nullopt);     // its partner is taken
    EXPECT_EQ(match_bracket(v.doc, {2, 3}, false), (TextPos{0, 1}));  // past the end: previous "{"
    View none({"(a"});
    EXPECT_EQ(match_bracket(none.doc, {0, 0}, true), std::nullopt);
}

TEST(Replace, FindNextReplaceAndReplaceAllInSelection) {
    View v({"cat cat", "cat dog", "cat"});
    v.find("cat");
    v.settings.replace_text = "cow";
    ReplaceSession r(v.ed, v.settings);
    v.ed.set_caret({1, 0});
    ASSERT_TRUE(r.find_next());
    EXPECT_EQ(v.ed.anchor(), (CaretPos{4, 0}));
    ASSERT_TRUE(r.replace());
    EXPECT_EQ(v.doc.line_text(0), "cat cow");
    EXPECT_EQ(v.ed.anchor(), (CaretPos{0, 1}));
    // Replace all inside a selection from (1,0) to (3,1).
    View w({"cat cat", "cat dog", "cat"});
    w.find("cat");
    w.settings.replace_text = "c";
    ReplaceSession rw(w.ed, w.settings);
    w.ed.set_selection({1, 0}, {3, 1});
    EXPECT_EQ(rw.replace_all(true), 2);
    EXPECT_EQ(lines_of(w.doc), (Lines{"cat c", "c dog", "cat"}));
    EXPECT_EQ(w.ed.anchor(), (CaretPos{1, 0}));  // selection restored
    EXPECT_EQ(w.ed.caret(), (CaretPos{3, 1}));
}

TEST(Replace, ShrinkingAndGrowingReplacementsStayInsideSelection) {
    View v({"aaXa"});
    v.find("a");
    v.settings.replace_text = "";
    ReplaceSession r(v.ed, v.settings);
    v.ed.set_selection({0, 0}, {2, 0});
    r.replace_all(true);
    EXPECT_EQ(v.doc.line_text(0), "Xa");
    View g({"ab|ab|ab"});
    g.find("ab");
    g.settings.replace_text = "abab\r\nab";
    ReplaceSession rg(g.ed, g.settings);
    g.ed.set_selection({0, 0}, {5, 0});
    EXPECT_EQ(rg.replace_all(true), 2);
    EXPECT_EQ(g.doc.joined_text("/"), "abab/ab|abab/ab|ab");
}

TEST(Replace, WholeFileWrapsOnceEvenWhenTheTextReappears) {
    View v({"a a", "b a"});
    v.find("a");
    v.settings.replace_text = "ab";
    ReplaceSession r(v.ed, v.settings);
    v.ed.set_caret({2, 0});
    EXPECT_EQ(r.replace_all(false), 3);
    EXPECT_EQ(lines_of(v.doc), (Lines{"ab ab", "b ab"}));
}

struct RecordingSink : ProjectSearchSink {
    std::vector<std::string> lines;
    std::vector<std::pair<std::string, int>> results;
    int clears = 0;
    void clear() override {
        ++clears;
        lines.clear();
    }
    void add_line(const std::string& t) override { lines.push_back(t); }
    void add_result(const std::string& t, const std::string& f, int l) override {
        lines.push_back(t);
        results.emplace_back(f, l);
    }
};

TEST(ProjectSearch, ListsEachLineOnceAndCounts) {
    testing::ScratchDir dir;
    const std::string a = dir.file("a.c"), b = dir.file("b.h"), missing = dir.file("gone.c");
    testing::write_file(a, "x\r\n\tfoo foo foo\r\nbar\r\n");
    testing::write_file(b, "foo\nfoobar\n");
    SearchSettings s;
    s.find_text = "foo";
    RecordingSink sink;
    auto out = find_in_project({a, missing, b}, s, 4, sink);
    EXPECT_EQ(out.count, 3);
    EXPECT_FALSE(out.cancelled);
    ASSERT_EQ(sink.lines.size(), 5u);
    EXPECT_EQ(sink.lines[0], cp932::from_utf8("'foo' を検索中..."));
    // The tab is expanded counting from the start of the output line.
    std::string head = a + "(2):";
    std::string pad((head.size() / 4 + 1) * 4 - head.size(), ' ');
    EXPECT_EQ(sink.lines[1], head + pad + "foo foo foo");
    EXPECT_EQ(sink.lines[2], b + "(1):foo");
    EXPECT_EQ(sink.lines[4], cp932::from_utf8("3 個、検索されました。"));
    EXPECT_EQ(sink.results, (std::vector<std::pair<std::string, int>>{{a, 2}, {b, 1}, {b, 2}}));

    s.whole_word = true;
    out = find_in_project({a, b}, s, 4, sink);
    EXPECT_EQ(out.count, 2);  // "foobar" is no whole word
}

TEST(ProjectSearch, CancelBetweenFilesAndIntoTheOutputList) {
    testing::ScratchDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i) {
        files.push_back(dir.file("f" + std::to_string(i) + ".c"));
        testing::write_file(files.back(), "hit\n");
    }
    SearchSettings s;
    s.find_text = "hit";
    ide::OutputList list;
    OutputListSink sink(list);
    ProjectSearchRunner runner;
    int files_seen = 0;
    auto out = runner.run(files, s, 4, sink, [&] {
        EXPECT_TRUE(runner.running());
        if (++files_seen == 3) runner.request_stop();
    });
    EXPECT_TRUE(out.cancelled);
    EXPECT_EQ(out.count, 2);
    EXPECT_FALSE(runner.running());
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list.at(1).kind, ide::kSearchResult);
    EXPECT_EQ(list.at(1).file, files[0]);
    EXPECT_EQ(list.at(1).line, 1);
    EXPECT_EQ(list.at(3).text, cp932::from_utf8("取り消されました。"));
}

}  // namespace
}  // namespace lumora::editor

namespace lumora::editor {
namespace {

TEST(Folding, QuickUpperCaseEqualsTheFullMapping) {
    std::string all;
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            all.push_back(static_cast<char>(lead));
            all.push_back(static_cast<char>(trail));
        }
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::string quick = all;
    fold_upper(quick);
    EXPECT_EQ(quick, cp932::to_upper(all));
}

// The whole-buffer search and the line-by-line search list the same lines.
TEST(ProjectSearch, BufferSearchMatchesLineSearch) {
    testing::ScratchDir dir;
    std::mt19937 rng(31);
    const std::vector<std::string> bits = {"ab",       "AB",       "\r\n", "\n", "\r",   "\x83\x5C", "\\",
                                           "\x82\x81", "\x82\x60", "\t",   " ",  "aB\\", "\x83\x61", "A"};
    for (int round = 0; round < 300; ++round) {
        std::string body;
        for (int k = 0; k < 12 + round % 40; ++k) body += bits[rng() % bits.size()];
        const std::string fast = dir.file("fast.txt"), slow = dir.file("slow.txt");
        testing::write_file(fast, body);
        testing::write_file(slow, body + "\x1A");  // a dropped byte forces cutting into lines
        for (const char* text : {"ab", "\\", "b\\", "\x82\x81", "B"}) {
            for (bool match_case : {false, true}) {
                SearchSettings s;
                s.find_text = text;
                s.match_case = match_case;
                RecordingSink a, b;
                find_in_project({fast}, s, 4, a);
                find_in_project({slow}, s, 4, b);
                ASSERT_EQ(a.results.size(), b.results.size()) << round << " " << text;
                for (size_t i = 0; i < a.results.size(); ++i) {
                    ASSERT_EQ(a.results[i].second, b.results[i].second);
                    // Same line text after the differing file name.
                    const std::string& la = a.lines[i + 1];
                    const std::string& lb = b.lines[i + 1];
                    ASSERT_EQ(la.substr(la.find("):")), lb.substr(lb.find("):")));
                }
            }
        }
    }
}

}  // namespace
}  // namespace lumora::editor
