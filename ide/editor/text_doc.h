#pragma once
// The text document: lines of Shift-JIS text with their tokens, the edit
// operations with their undo history, loading and saving. Views watch it
// through TextDocObserver.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ide/editor/line_block.h"
#include "ide/editor/text_line.h"
#include "ide/editor/undo_record.h"

namespace lumora::editor {

class KeywordDatabase;
struct TextFileReader;

// Update hints sent to views.
enum UpdateHint : int { kHintFullRedraw = 0, kHintRetokenized = 1, kHintEdit = 100 };

class TextDocObserver {
  public:
    virtual ~TextDocObserver() = default;
    // `range` is given after undo and redo only; without it, redraw everything.
    virtual void on_document_update(const void* sender, int hint, const CTextInvalidateRange* range) = 0;
};

enum TextType : int { kTypeC = 0, kTypeText = 1, kTypeMml = 2 };

// Questions and messages of Save; the window shows them as message boxes.
struct SaveCallbacks {
    std::function<bool(const std::string& question)> ask_yes_no;  // true = Yes
    std::function<void(const std::string& message)> show_error;
};

// Lets tests make writes fail part-way (a full disk); defaults to ::write.
using WriteFunction = std::function<long(int fd, const char* data, size_t size)>;

struct SaveOptions {
    std::string temp_folder;  // empty: $TMPDIR, else /tmp
    WriteFunction write;
};

enum class SaveResult { kSaved, kCancelled, kFailed };

class CTextDoc {
  public:
    explicit CTextDoc(const KeywordDatabase* keywords = nullptr, int tab_length = 4);
    ~CTextDoc();
    CTextDoc(const CTextDoc&) = delete;
    CTextDoc& operator=(const CTextDoc&) = delete;

    // --- data ---
    const std::string& path() const { return path_; }
    void set_path(std::string path) { path_ = std::move(path); }
    int line_count() const { return static_cast<int>(lines_.size()); }
    // Null for a line that does not exist; missing lines read as empty.
    const TextLine* line(int index) const;
    std::string_view line_text(int index) const;
    // All lines joined by "\n" (for tests and diagnostics).
    std::string joined_text(std::string_view separator = "\n") const;

    int line_ending_mode() const { return line_ending_mode_; }
    // Choosing another mode marks the document modified and redraws the views.
    void set_line_ending_mode(int mode, const void* sender = nullptr);
    int text_type() const { return text_type_; }
    void set_text_type(int type) { text_type_ = type; }
    bool modified() const { return modified_; }
    void set_modified(bool m) { modified_ = m; }

    int tab_length() const { return tab_length_; }
    void set_tab_length(int tab_length);
    const KeywordDatabase* keywords() const { return keywords_; }
    void set_keywords(const KeywordDatabase* keywords);
    // Recomputes the colour class of every token (keyword sets switched) and
    // notifies the views with hint 1.
    void retokenize_all();

    void add_observer(TextDocObserver* observer);
    void remove_observer(TextDocObserver* observer);
    // Sends a hint to every view (the framework's update-all-views).
    void notify(const void* sender, int hint, const CTextInvalidateRange* range = nullptr);

    // --- loading ---
    // Loads a recognised file: text type from its kind, lines, ending mode;
    // history cleared. The path is set too.
    void load(const TextFileReader& reader);
    // Replaces the text with these lines (history cleared, not modified).
    void set_lines(const std::vector<std::string>& lines);

    // --- edit operations (each records its undo step and notifies hint 100) ---
    // Inserts `text` at `pos`; `pos` moves to the end of the inserted text.
    void insert(const void* sender, std::string_view text, TextPos& pos, bool record = true);
    // False when the start line does not exist.
    bool delete_range(const void* sender, TextPos start, TextPos end);
    void delete_to_word_end(const void* sender, TextPos pos);
    void indent_lines(const void* sender, int first, int end, bool unindent);
    void convert_case(const void* sender, TextPos start, TextPos end, bool upper);

    bool can_undo() const { return undo_position_ > 0; }
    bool can_redo() const { return undo_position_ < static_cast<int>(undo_.size()); }
    // Returns the redraw band and new caret (also sent to the views).
    bool undo(const void* sender, CTextInvalidateRange* out = nullptr);
    bool redo(const void* sender, CTextInvalidateRange* out = nullptr);

    const std::vector<UndoRecord>& undo_records() const { return undo_; }
    int undo_position() const { return undo_position_; }
    int saved_position() const { return saved_position_; }

    // --- bookmarks ---
    bool toggle_bookmark(int line);  // returns the new state (false for a missing line)
    void set_bookmark(int line, bool on);

    // --- saving ---
    // The lines with the mode's separator between them (no conversion).
    std::string serialized() const;
    SaveResult save(const SaveCallbacks& ui, const SaveOptions& options = {}, const void* sender = nullptr);
    // Window title: the path, shortened when the folder is long, " *" when modified.
    std::string title() const;

    // --- drawing support ---
    // Comment state (0 or 2) at the start of `line` for the C/C++ text type,
    // as a scan from line 0 gives it. Entry states are cached per line; after
    // an edit they are recomputed from the edited lines on only until they
    // agree with the cached states again.
    int c_entry_state(int line);

  private:
    using LinePtr = std::unique_ptr<TextLine, TextLineDeleter>;
    LinePtr new_line(std::string text) const { return LinePtr(new TextLine(*this, std::move(text))); }
    void clear_lines();
    void set_text(int index, std::string text);
    void insert_line(int index, std::string text);
    void erase_lines(int first, int count);
    // Keeping the entry-state cache right through edits.
    void cache_mark(int lo, int hi);
    void cache_lines_inserted(int index, int count);
    void cache_lines_erased(int first, int count);
    void push(UndoRecord record);
    // Insert without recording; returns the padding it made.
    std::string raw_insert(std::string_view text, TextPos& pos);
    // Removes `count` bytes, each line break counting two.
    void raw_remove(TextPos pos, size_t count);
    bool apply(const UndoRecord& r, bool forward, CTextInvalidateRange& range);
    void after_edit(const void* sender);

    std::string path_;
    // Room of the lines made when the file was opened; declared before
    // `lines_` so that the lines are destroyed first.
    std::unique_ptr<LineBlock> block_;
    std::vector<LinePtr> lines_;
    std::vector<UndoRecord> undo_;
    int undo_position_ = 0;
    int saved_position_ = 0;
    int line_ending_mode_ = 0;
    int text_type_ = kTypeText;
    bool modified_ = false;
    int tab_length_ = 4;
    const KeywordDatabase* keywords_ = nullptr;
    std::vector<TextDocObserver*> observers_;
    // Entry states of lines 0..size-1. While `cache_dirty_`, the entries of
    // lines in (lo, hi] are suspect and those after hi are the old states of
    // unchanged lines, valid again once a recomputed state agrees with one.
    std::vector<uint8_t> c_entry_;
    bool cache_dirty_ = false;
    int cache_lo_ = 0;
    int cache_hi_ = 0;
};

// UTF-8 texts of Save's messages.
extern const char* const kSaveTempFailedQuestion;
extern const char* const kSaveReadOnlyQuestion;
extern const char* const kSaveFailedMessage;

}  // namespace lumora::editor
