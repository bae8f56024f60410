#include "ide/editor/keyword_db.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unordered_map>

namespace lumora::editor {

const char* const KeywordDatabase::kOpenFailedMessage =
    "キーワードデータベース(Lumo.kdb)が開けませんでした。\n続けますか？";

int32_t keyword_hash(std::string_view text) {
    uint32_t h = 0;
    for (char c : text)
        h = 33u * h + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
    return static_cast<int32_t>(h);
}

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// The usual leading-digits conversion: optional blanks and sign, then digits.
int leading_int(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (is_blank(s[i]) || s[i] == '\n' || s[i] == '\r')) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 2147483647LL) v = 2147483647LL;  // saturate rather than overflow
    }
    return static_cast<int>(neg ? -v : v);
}

KeywordSet parse_header(std::string_view line) {
    KeywordSet set;
    std::string_view s = trim(line);
    size_t name_end = 0;
    while (name_end < s.size() && !is_blank(s[name_end]) && s[name_end] != ';') ++name_end;
    set.name = std::string(s.substr(0, name_end));
    std::string_view rest = s.substr(name_end);
    while (!rest.empty() && is_blank(rest.front())) rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == ':') {
        rest.remove_prefix(1);
        size_t semi = rest.find(';');
        std::string_view words = rest.substr(0, semi);
        size_t i = 0;
        while (i < words.size()) {
            while (i < words.size() && is_blank(words[i])) ++i;
            size_t j = i;
            while (j < words.size() && !is_blank(words[j])) ++j;
            if (j > i) set.words.emplace_back(words.substr(i, j - i));
            i = j;
        }
        rest = semi == std::string_view::npos ? std::string_view{} : rest.substr(semi);
    }
    if (!rest.empty() && rest.front() == ';') set.number = leading_int(rest.substr(1));
    return set;
}

void add_entry(KeywordSet& set, std::string_view line) {
    std::string_view fields[5];
    size_t count = 0;
    size_t start = 0;
    while (count < 5) {
        size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            fields[count++] = line.substr(start);
            break;
        }
        fields[count++] = line.substr(start, comma - start);
        start = comma + 1;
    }
    KeywordEntry e;
    e.keyword = std::string(fields[0]);
    e.hash = keyword_hash(e.keyword);
    e.header = std::string(fields[1]);
    e.line = fields[2].empty() ? -1 : leading_int(fields[2]);
    e.field4 = std::string(fields[3]);
    e.field5 = std::string(fields[4]);
    set.entries.push_back(std::move(e));
}

}  // namespace

KeywordDatabase::KeywordDatabase(const KeywordDatabase& other)
    : sets_(other.sets_), enabled_{other.enabled_[0], other.enabled_[1]} {
    rebuild_index();
}

KeywordDatabase::KeywordDatabase(KeywordDatabase&& other) noexcept
    : sets_(std::move(other.sets_)), enabled_{other.enabled_[0], other.enabled_[1]} {
    rebuild_index();
    other.table_.clear();
}

KeywordDatabase& KeywordDatabase::operator=(const KeywordDatabase& other) {
    if (this != &other) {
        sets_ = other.sets_;
        enabled_[0] = other.enabled_[0];
        enabled_[1] = other.enabled_[1];
        rebuild_index();
    }
    return *this;
}

KeywordDatabase& KeywordDatabase::operator=(KeywordDatabase&& other) noexcept {
    if (this != &other) {
        sets_ = std::move(other.sets_);
        enabled_[0] = other.enabled_[0];
        enabled_[1] = other.enabled_[1];
        rebuild_index();
        other.table_.clear();
    }
    return *this;
}

KeywordDatabase KeywordDatabase::parse(std::string_view text) {
    KeywordDatabase db;
    bool in_set = false;
    // Duplicate checks per set go through a map so big sets stay linear.
    std::unordered_map<std::string, int> seen;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
        pos = eol == std::string_view::npos ? text.size() : eol + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!in_set) {
            db.sets_.push_back(parse_header(line));
            in_set = true;
            seen.clear();
            continue;
        }
        if (line == "{") continue;
        if (line == "}") {
            in_set = false;
            continue;
        }
        if (line.empty() || line.front() == ';') continue;
        KeywordSet& set = db.sets_.back();
        size_t comma = line.find(',');
        std::string key(line.substr(0, comma));
        if (!seen.emplace(key, 1).second) continue;
        add_entry(set, line);
    }
    db.rebuild_index();
    return db;
}

std::optional<KeywordDatabase> KeywordDatabase::load(
    const std::string& path, const std::function<bool(const std::string&)>& ask_continue) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (ask_continue && !ask_continue(kOpenFailedMessage)) return std::nullopt;
        return KeywordDatabase{};
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    return parse(buf.str());
}

void KeywordDatabase::set_enabled(int number, bool on) {
    if (number != 0 && number != 1) return;
    enabled_[number] = on;
    rebuild_index();
}

void KeywordDatabase::rebuild_index() {
    table_.clear();
    std::fill(std::begin(length_filter_), std::end(length_filter_), 0);
    long_keywords_ = false;
    size_t total = 0;
    for (const KeywordSet& set : sets_)
        if (enabled(set.number)) total += set.entries.size();
    if (total == 0) return;
    size_t size = 16;
    while (size < total * 2) size <<= 1;
    table_.assign(size, Slot{});
    const size_t mask = size - 1;
    for (const KeywordSet& set : sets_) {
        if (!enabled(set.number)) continue;
        for (const KeywordEntry& e : set.entries) {
            if (e.keyword.empty()) continue;
            if (lookup(e.keyword)) continue;  // an earlier set has it; the first wins
            size_t i = static_cast<uint32_t>(e.hash) & mask;
            while (table_[i].colour >= 0) i = (i + 1) & mask;
            table_[i] = Slot{e.hash, set.number == 0 ? 1 : 2, &e};
            const size_t len = e.keyword.size();
            if (len >= 64)
                long_keywords_ = true;
            else
                length_filter_[static_cast<uint8_t>(e.keyword[0])] |= uint64_t{1} << len;
        }
    }
}

const KeywordDatabase::Slot* KeywordDatabase::lookup(std::string_view token) const {
    if (table_.empty() || token.empty()) return nullptr;
    if (token.size() < 64) {
        if (!(length_filter_[static_cast<uint8_t>(token[0])] & (uint64_t{1} << token.size()))) return nullptr;
    } else if (!long_keywords_) {
        return nullptr;
    }
    const int32_t h = keyword_hash(token);
    const size_t mask = table_.size() - 1;
    for (size_t i = static_cast<uint32_t>(h) & mask; table_[i].colour >= 0; i = (i + 1) & mask)
        if (table_[i].hash == h && table_[i].entry->keyword == token) return &table_[i];
    return nullptr;
}

int KeywordDatabase::colour_of(std::string_view token) const {
    const Slot* s = lookup(token);
    return s ? s->colour : -1;
}

const KeywordEntry* KeywordDatabase::find(std::string_view keyword) const {
    const Slot* s = lookup(keyword);
    return s ? s->entry : nullptr;
}

std::string resolve_keyword_header(const std::string& platform_folder, const std::string& header,
                                   platform::PathStyle style) {
    if (platform_folder.empty() || header.empty()) return {};
    const char sep = platform::separator(style);
    // The database is written with Windows separators in Shift-JIS.
    const std::string field = platform::from_stored_form(header, style);
    if (style == platform::PathStyle::Windows) {
        if ((field.size() >= 3 && field.compare(1, 2, ":\\") == 0) || field.rfind("\\\\", 0) == 0)
            return field;
    } else if (platform::is_absolute(field, style)) {
        return field;
    }
    // The base folder, without a trailing separator.
    std::string folder = platform::with_trailing_separator(platform_folder, style) + "include" + sep + "sys";
    if (field[0] != '.') return folder + sep + field;
    size_t dots = 0;
    while (dots < field.size() && field[dots] == '.') ++dots;
    if (dots >= field.size() || field[dots] != sep) return {};
    for (size_t k = 1; k < dots; ++k) {
        size_t slash = folder.rfind(sep);
        if (slash == std::string::npos) break;  // cannot climb above the drive or root
        folder.erase(slash);
    }
    return folder + sep + field.substr(dots + 1);
}

std::optional<KeywordJump> keyword_jump(const KeywordDatabase& db, std::string_view text,
                                        const std::string& platform_folder, platform::PathStyle style) {
    const KeywordEntry* e = db.find(text);
    if (!e || e->header.empty() || platform_folder.empty()) return std::nullopt;
    std::string path = resolve_keyword_header(platform_folder, e->header, style);
    if (path.empty()) return std::nullopt;
    return KeywordJump{path, e->line, e->keyword};
}

}  // namespace lumora::editor
