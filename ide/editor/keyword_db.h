#pragma once
// The keyword database (Lumo.kdb): named keyword sets whose keywords colour
// tokens and point at lines of the platform's header files.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_style.h"

namespace lumora::editor {

struct KeywordEntry {
    std::string keyword;
    int32_t hash = 0;
    std::string header;  // header file, may be empty
    int line = -1;       // -1 when the field is empty
    std::string field4;
    std::string field5;
};

struct KeywordSet {
    std::string name;
    std::vector<std::string> words;  // kept as read; nothing uses them
    int number = 0;
    std::vector<KeywordEntry> entries;
};

// h = 33*h + b over the bytes taken as signed, in 32-bit arithmetic.
int32_t keyword_hash(std::string_view text);

class KeywordDatabase {
  public:
    KeywordDatabase() = default;
    // The lookup index points into the sets, so copies build their own.
    KeywordDatabase(const KeywordDatabase& other);
    KeywordDatabase(KeywordDatabase&& other) noexcept;
    KeywordDatabase& operator=(const KeywordDatabase& other);
    KeywordDatabase& operator=(KeywordDatabase&& other) noexcept;

    // Parses the text of a database file. Never fails: malformed lines give
    // empty fields.
    static KeywordDatabase parse(std::string_view text);

    // Reads `path`. When it cannot be opened, `ask_continue` is asked with the
    // message below (OK = true); the result is empty when the user cancels
    // (the program is to end) and a database without sets otherwise.
    static std::optional<KeywordDatabase> load(const std::string& path,
                                               const std::function<bool(const std::string&)>& ask_continue);
    // UTF-8 text of the question shown when the file is missing.
    static const char* const kOpenFailedMessage;

    const std::vector<KeywordSet>& sets() const { return sets_; }

    // On/off flags of the sets numbered 0 ("C/C++") and 1 ("Lumora").
    bool enabled(int number) const { return (number == 0 || number == 1) && enabled_[number]; }
    void set_enabled(int number, bool on);

    // Colour class 1 or 2 when `token` is a keyword of an enabled set, else -1.
    int colour_of(std::string_view token) const;

    // First entry for `keyword` in the enabled sets 0 and 1, in file order.
    const KeywordEntry* find(std::string_view keyword) const;

  private:
    void rebuild_index();

    std::vector<KeywordSet> sets_;
    bool enabled_[2] = {true, true};
    // Lookup index over the enabled sets: an open-addressing table keyed by the
    // keyword hash (text compared only on equal hashes), and a filter of the
    // (first byte, length) pairs that occur, which turns away most identifiers
    // without hashing them.
    struct Slot {
        int32_t hash = 0;
        int colour = -1;  // -1: empty slot
        const KeywordEntry* entry = nullptr;
    };
    const Slot* lookup(std::string_view token) const;
    std::vector<Slot> table_;
    uint64_t length_filter_[256] = {};
    bool long_keywords_ = false;  // some keyword is 64 bytes or longer
};

// Resolves a keyword's header field (Windows form, as stored in the database)
// against the platform folder, a path of `style`; the result is a path of
// that style. Empty when the jump is to stop.
std::string resolve_keyword_header(const std::string& platform_folder, const std::string& header,
                                   platform::PathStyle style = platform::host_path_style());

// The keyword jump: the entry for `text`, and the path of its header file.
struct KeywordJump {
    std::string path;
    int line = -1;
    std::string keyword;
};
std::optional<KeywordJump> keyword_jump(const KeywordDatabase& db, std::string_view text,
                                        const std::string& platform_folder,
                                        platform::PathStyle style = platform::host_path_style());

}  // namespace lumora::editor
