#include <gtest/gtest.h>

#include <random>

#include "ide/editor/test_util.h"
#include "ide/editor/text_doc.h"
#include "ide/editor/text_file_reader.h"
#include "ide/editor/tokenizer.h"

namespace lumora::editor {
namespace {

using Lines = std::vector<std::string>;
}  // namespace

void PrintTo(const UndoRecord& r, std::ostream* os) {
    *os << "{kind " << r.kind << ", offset " << r.offset << ", line " << r.line << ", \"" << r.text
        << "\", \"" << r.new_text << "\"}";
}

namespace {

Lines lines_of(const CTextDoc& doc) {
    Lines out;
    for (int i = 0; i < doc.line_count(); ++i) out.emplace_back(doc.line_text(i));
    return out;
}

struct Recorder : TextDocObserver {
    struct Call {
        const void* sender;
        int hint;
        bool has_range;
        CTextInvalidateRange range;
    };
    std::vector<Call> calls;
    void on_document_update(const void* sender, int hint, const CTextInvalidateRange* r) override {
        calls.push_back({sender, hint, r != nullptr, r ? *r : CTextInvalidateRange{}});
    }
};

// An opened file's lines are made together; edits that remove, split and
// join them, undo, and opening again must give the same texts as ever (the
// sanitizers see any line destroyed twice or never).
TEST(Load, OpenedLinesThroughEditsUndoAndReopening) {
    testing::ScratchDir dir;
    CTextDoc doc;
    auto open = [&](const std::string& bytes) {
        testing::write_file(dir.file("a.txt"), bytes);
        TextFileReader r;
        ASSERT_TRUE(r.read(dir.file("a.txt")));
        doc.load(r);
    };
    // Lone CRs among LFs: more lines than LFs, the last ones made on their own.
    const std::string three = "three, long enough to keep its bytes on the heap";
    ASSERT_NO_FATAL_FAILURE(open("one\ntwo\r" + three + "\rfour\nfive"));
    EXPECT_EQ(lines_of(doc), (Lines{"one", "two", three, "four", "five"}));
    doc.line(1)->tokens();
    EXPECT_TRUE(doc.delete_range(nullptr, {0, 1}, {3, 2}));  // joins, erases opened lines
    EXPECT_EQ(lines_of(doc), (Lines{"one", three.substr(3), "four", "five"}));
    TextPos p{2, 0};
    doc.insert(nullptr, "\r\nx\r\n", p);
    EXPECT_EQ(lines_of(doc), (Lines{"on", "x", "e", three.substr(3), "four", "five"}));
    while (doc.can_undo()) doc.undo(nullptr);
    EXPECT_EQ(lines_of(doc), (Lines{"one", "two", three, "four", "five"}));
    EXPECT_EQ(doc.line(1)->tokens().size(), 1u);
    EXPECT_EQ(doc.line(2)->tokens()[0].length, 5);
    // Opening again (and replacing the lines) lets the earlier ones go.
    ASSERT_NO_FATAL_FAILURE(open("a\rb\rc"));
    EXPECT_EQ(lines_of(doc), (Lines{"a", "b", "c"}));
    EXPECT_EQ(doc.line_ending_mode(), kEndingCr);
    ASSERT_NO_FATAL_FAILURE(open("only"));
    EXPECT_EQ(lines_of(doc), Lines{"only"});
    ASSERT_NO_FATAL_FAILURE(open("x\r\n"));
    EXPECT_EQ(lines_of(doc), (Lines{"x", ""}));
    ASSERT_NO_FATAL_FAILURE(open(""));
    EXPECT_EQ(doc.line_count(), 0);
    ASSERT_NO_FATAL_FAILURE(open("p\nq\n"));
    doc.set_lines({"r", "s"});
    EXPECT_EQ(lines_of(doc), (Lines{"r", "s"}));
}

TEST(Insert, PaddingInVirtualSpaceAndOneUndo) {
    CTextDoc doc(nullptr, 4);
    doc.set_lines({""});
    TextPos p{10, 0};
    doc.insert(nullptr, "x", p);
    EXPECT_EQ(lines_of(doc), Lines{"\t\t  x"});
    EXPECT_EQ(p, (TextPos{5, 0}));
    ASSERT_EQ(doc.undo_records().size(), 1u);
    EXPECT_EQ(doc.undo_records()[0], (UndoRecord{kUndoInsert, 0, 0, "\t\t  x", ""}));
    EXPECT_TRUE(doc.modified());
    doc.undo(nullptr);
    EXPECT_EQ(lines_of(doc), Lines{""});
    EXPECT_FALSE(doc.modified());
}

TEST(Insert, LineBreaksSplitLinesAndEnterInVirtualSpaceMakesNoBlanks) {
    CTextDoc doc;
    doc.set_lines({"abcdef", "z"});
    TextPos p{3, 0};
    doc.insert(nullptr, "1\r\n2\n3\r4", p);
    EXPECT_EQ(lines_of(doc), (Lines{"abc1", "2", "3", "4def", "z"}));
    EXPECT_EQ(p, (TextPos{1, 3}));
    p = {9, 4};
    doc.insert(nullptr, "\r\n", p);
    EXPECT_EQ(lines_of(doc), (Lines{"abc1", "2", "3", "4def", "z", ""}));
    EXPECT_EQ(doc.undo_records().back(), (UndoRecord{kUndoInsert, 1, 4, "\r\n", ""}));
    // Double-byte characters whose trail byte is 0x0D-like never split: 0x83 0x0D is no pair.
    p = {0, 5};
    doc.insert(nullptr, "\x82\xA0", p);
    EXPECT_EQ(doc.line_text(5), "\x82\xA0");
    // Undo everything restores the original lines.
    while (doc.can_undo()) doc.undo(nullptr);
    EXPECT_EQ(lines_of(doc), (Lines{"abcdef", "z"}));
    while (doc.can_redo()) doc.redo(nullptr);
    EXPECT_EQ(lines_of(doc), (Lines{"abc1", "2", "3", "4def", "z", "\x82\xA0"}));
}

TEST(Insert, EmptyDocumentGetsItsFirstLine) {
    CTextDoc doc;
    TextPos p{0, 0};
    doc.insert(nullptr, "hi", p);
    EXPECT_EQ(lines_of(doc), Lines{"hi"});
    EXPECT_EQ(doc.line(0)->tokens().size(), 1u);
}

TEST(DeleteRange, SameLineMultiLineAndVirtualStart) {
    CTextDoc doc(nullptr, 4);
    doc.set_lines({"hello", "big", "world"});
    EXPECT_FALSE(doc.delete_range(nullptr, {0, 5}, {0, 6}));
    // At or past the end of a line: nothing, not even a record.
    EXPECT_TRUE(doc.delete_range(nullptr, {5, 0}, {9, 0}));
    EXPECT_TRUE(doc.undo_records().empty());
    EXPECT_FALSE(doc.modified());

    doc.delete_range(nullptr, {1, 0}, {3, 0});
    EXPECT_EQ(lines_of(doc), (Lines{"hlo", "big", "world"}));
    doc.delete_range(nullptr, {2, 0}, {2, 2});
    EXPECT_EQ(lines_of(doc), (Lines{"hlrld"}));
    EXPECT_EQ(doc.undo_records().back(), (UndoRecord{kUndoDelete, 2, 0, "o\r\nbig\r\nwo", ""}));

    // Start in virtual space: the gap is padded and recorded first.
    doc.set_lines({"ab", "cd"});
    doc.delete_range(nullptr, {6, 0}, {0, 1});
    EXPECT_EQ(lines_of(doc), (Lines{"ab\t  cd"}));
    ASSERT_EQ(doc.undo_records().size(), 2u);
    EXPECT_EQ(doc.undo_records()[0], (UndoRecord{kUndoInsert, 2, 0, "\t  ", ""}));
    EXPECT_EQ(doc.undo_records()[1], (UndoRecord{kUndoDelete, 5, 0, "\r\n", ""}));
    doc.undo(nullptr);
    doc.undo(nullptr);
    EXPECT_EQ(lines_of(doc), (Lines{"ab", "cd"}));

    // An end past the last line means the end of the last line.
    doc.delete_range(nullptr, {1, 0}, {0, 99});
    EXPECT_EQ(lines_of(doc), Lines{"a"});
}

TEST(DeleteToWordEnd, RemovesRestOfToken) {
    CTextDoc doc;
    doc.set_lines({"foo_bar(x)"});
    doc.delete_to_word_end(nullptr, {2, 0});
    EXPECT_EQ(lines_of(doc), Lines{"fo(x)"});
    doc.delete_to_word_end(nullptr, {5, 0});
    EXPECT_EQ(lines_of(doc), Lines{"fo(x)"});
    EXPECT_EQ(doc.undo_records().size(), 1u);
}

TEST(Indent, BlockAndOneUndo) {
    CTextDoc doc;
    doc.set_lines({"a", "", " b", "c", "end"});
    doc.indent_lines(nullptr, 0, 4, false);
    EXPECT_EQ(lines_of(doc), (Lines{"\ta", "", "\t b", "\tc", "end"}));
    EXPECT_EQ(doc.undo_records().back(),
              (UndoRecord{kUndoReplace, 0, 0, "a\r\n\r\n b\r\nc\r\n", "\ta\r\n\r\n\t b\r\n\tc\r\n"}));
    doc.undo(nullptr);
    EXPECT_EQ(lines_of(doc), (Lines{"a", "", " b", "c", "end"}));
    doc.redo(nullptr);
    EXPECT_EQ(lines_of(doc), (Lines{"\ta", "", "\t b", "\tc", "end"}));
}

TEST(Indent, UnindentRulesAndRefusal) {
    CTextDoc doc;
    doc.set_lines({"\t\ta", "      b", "  c", ""});
    doc.indent_lines(nullptr, 0, 4, true);
    EXPECT_EQ(lines_of(doc), (Lines{"\ta", "  b", "c", ""}));
    const size_t records = doc.undo_records().size();
    // One line starting with a letter: nothing happens, nothing recorded.
    doc.indent_lines(nullptr, 0, 4, true);
    EXPECT_EQ(lines_of(doc), (Lines{"\ta", "  b", "c", ""}));
    EXPECT_EQ(doc.undo_records().size(), records);
}

TEST(Indent, BlockEndingAtLastLineUndoesWithoutExtraLine) {
    CTextDoc doc;
    doc.set_lines({"x", "y"});
    doc.indent_lines(nullptr, 0, 2, false);
    EXPECT_EQ(lines_of(doc), (Lines{"\tx", "\ty"}));
    doc.undo(nullptr);
    EXPECT_EQ(lines_of(doc), (Lines{"x", "y"}));
    doc.redo(nullptr);
    EXPECT_EQ(lines_of(doc), (Lines{"\tx", "\ty"}));
}

TEST(ConvertCase, AsciiFullWidthAndDigits) {
    CTextDoc doc;
    // "ａb" in full width a (82 81) and ASCII b, then a second line.
    doc.set_lines(
        {"x\x82\x81"
         "b1",
         "cD"});
    doc.convert_case(nullptr, {1, 0}, {1, 1}, true);
    EXPECT_EQ(lines_of(doc), (Lines{"x\x82\x60"
                                    "B1",
                                    "CD"}));
    EXPECT_EQ(doc.undo_records().back(), (UndoRecord{kUndoReplace, 1, 0,
                                                     "\x82\x81"
                                                     "b1\r\nc",
                                                     "\x82\x60"
                                                     "B1\r\nC"}));
    doc.undo(nullptr);
    EXPECT_EQ(lines_of(doc), (Lines{"x\x82\x81"
                                    "b1",
                                    "cD"}));
    doc.convert_case(nullptr, {4, 0}, {5, 0}, false);  // only a digit
    EXPECT_EQ(doc.undo_records().size(), 1u);
    EXPECT_TRUE(doc.can_undo());
}

TEST(UndoHistory, SavedPositionAndModifiedFlag) {
    testing::ScratchDir dir, tmp;
    CTextDoc doc;
    doc.set_lines({"abc"});
    doc.set_path(dir.file("a.txt"));
    TextPos p{3, 0};
    doc.insert(nullptr, "d", p);
    doc.insert(nullptr, "e", p);
    SaveOptions o;
    o.temp_folder = tmp.path();
    ASSERT_EQ(doc.save({}, o), SaveResult::kSaved);
    EXPECT_EQ(doc.saved_position(), 2);
    // Undo after save, then redo, clears the flag again.
    doc.undo(nullptr);
    EXPECT_TRUE(doc.modified());
    doc.redo(nullptr);
    EXPECT_FALSE(doc.modified());
    // A new edit after undoing drops the saved state with the redo tail: the
    // same position number no longer means the saved text.
    doc.undo(nullptr);
    p = {0, 0};
    doc.insert(nullptr, "x", p);
    EXPECT_EQ(doc.undo_position(), 2);
    EXPECT_EQ(doc.undo_records().size(), 2u);
    EXPECT_EQ(doc.undo_records()[1].text, "x");
    EXPECT_TRUE(doc.modified());
    doc.undo(nullptr);
    EXPECT_TRUE(doc.modified());
    doc.redo(nullptr);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(doc.joined_text(), "xabcd");
}

TEST(Notifications, HintsAndInvalidateRanges) {
    CTextDoc doc;
    Recorder rec;
    doc.add_observer(&rec);
    doc.set_lines({"one", "two", "three"});
    int sender = 0;
    TextPos p{1, 1};
    doc.insert(&sender, "X\r\nY", p);
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].hint, kHintEdit);
    EXPECT_EQ(rec.calls[0].sender, &sender);
    EXPECT_FALSE(rec.calls[0].has_range);

    CTextInvalidateRange r;
    ASSERT_TRUE(doc.undo(&sender, &r));
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_TRUE(rec.calls[1].has_range);
    EXPECT_EQ(r.start_line, 1);
    EXPECT_EQ(r.end_line, 3);  // a line went away: redraw to the line count
    EXPECT_EQ(r.caret_offset, 1);
    EXPECT_EQ(r.caret_line, 1);
    ASSERT_TRUE(doc.redo(&sender, &r));
    EXPECT_EQ(r.end_line, 4);
    EXPECT_EQ(r.caret_offset, 1);
    EXPECT_EQ(r.caret_line, 2);

    p = {0, 0};
    doc.insert(&sender, "q", p);
    doc.undo(&sender, &r);
    EXPECT_EQ(r.start_line, 0);
    EXPECT_EQ(r.end_line, 1);  // same line count: just the touched line

    doc.set_line_ending_mode(kHintFullRedraw);  // already CR+LF: nothing
    const size_t n = rec.calls.size();
    doc.set_line_ending_mode(2);
    EXPECT_EQ(rec.calls.size(), n + 1);
    EXPECT_EQ(rec.calls.back().hint, kHintFullRedraw);
    doc.retokenize_all();
    EXPECT_EQ(rec.calls.back().hint, kHintRetokenized);
    doc.remove_observer(&rec);
}

// Every line's tokens are those of its present text: kept tokens never
// outlive an edit.
void expect_tokens_current(const CTextDoc& doc) {
    std::vector<TokenSpan> fresh;
    for (int i = 0; i < doc.line_count(); ++i) {
        tokenize(doc.line_text(i), doc.keywords(), fresh);
        ASSERT_EQ(doc.line(i)->tokens(), fresh) << "line " << i << " \"" << doc.line_text(i) << "\"";
    }
}

// Random edits against a simple model: after every undo the text equals what
// it was before that edit, and redo replays to the same texts; tokens follow.
TEST(Robustness, RandomEditsUndoRedoMatchModel) {
    std::mt19937 rng(4242);
    const std::vector<std::string> pieces = {"a",        "Zz",     "\t",       "  ", "\r\n", "\n",       "\r",
                                             "\x82\xA0", "x\r\ny", "\x82\x81", "(",  "//",   "q\r\n\r\n"};
    for (int round = 0; round < 60; ++round) {
        CTextDoc doc(nullptr, 1 + static_cast<int>(rng() % 8));
        doc.set_lines({"int main()", "{", "\treturn 0;", "}"});
        std::vector<std::string> history{doc.joined_text()};
        for (int step = 0; step < 40; ++step) {
            const int lines = std::max(doc.line_count(), 1);
            const int l = static_cast<int>(rng() % lines);
            const int o = static_cast<int>(rng() % 14);
            const size_t before = doc.undo_records().size();
            // Lines drawn between edits keep their tokens; some of them change next.
            for (int k = 0; k < 3; ++k) doc.line(static_cast<int>(rng() % lines))->tokens();
            switch (rng() % 6) {
                case 0:
                case 1: {
                    TextPos p{o, l};
                    doc.insert(nullptr, pieces[rng() % pieces.size()], p);
                    break;
                }
                case 2: {
                    const int l2 = l + static_cast<int>(rng() % 3);
                    doc.delete_range(nullptr, {o, l}, {static_cast<int>(rng() % 14), l2});
                    break;
                }
                case 3:
                    doc.indent_lines(nullptr, l, l + 1 + static_cast<int>(rng() % 3), rng() % 2);
                    break;
                case 4:
                    doc.convert_case(nullptr, {o, l},
                                     {static_cast<int>(rng() % 14), l + static_cast<int>(rng() % 2)},
                                     rng() % 2);
                    break;
                case 5:
                    doc.delete_to_word_end(nullptr, {o, l});
                    break;
            }
            // An operation may push two records (padding, then deletion).
            const size_t pushed = doc.undo_records().size() - before;
            const std::string now = doc.joined_text();
            for (size_t k = 1; k < pushed; ++k) history.push_back("?");
            if (pushed > 0) history.push_back(now);
            ASSERT_EQ(static_cast<size_t>(doc.undo_position()) + 1, history.size());
        }
        // Walk all the way back, checking every state that has a known text.
        std::vector<std::string> seen_back;
        for (int pos = doc.undo_position(); pos > 0; --pos) {
            ASSERT_TRUE(doc.undo(nullptr));
            const std::string& expect = history[static_cast<size_t>(pos - 1)];
            if (expect != "?") {
                ASSERT_EQ(doc.joined_text(), expect) << "round " << round << " pos " << pos;
            }
            if (pos % 3 == 0) {
                ASSERT_NO_FATAL_FAILURE(expect_tokens_current(doc));
            }
        }
        for (size_t pos = 1; pos < history.size(); ++pos) {
            ASSERT_TRUE(doc.redo(nullptr));
            if (history[pos] != "?") {
                ASSERT_EQ(doc.joined_text(), history[pos]);
            }
        }
        EXPECT_FALSE(doc.can_redo());
        ASSERT_NO_FATAL_FAILURE(expect_tokens_current(doc));
    }
}

}  // namespace
}  // namespace lumora::editor
