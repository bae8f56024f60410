#include "ide/project/option_line.h"

#include <algorithm>

#include "common/sjis.h"

namespace lumora::ide {

std::vector<std::string> tokenize_options(std::string_view line) {
    std::vector<std::string> tokens;
    std::string current;
    bool quoted = false;
    size_t i = 0;
    while (i < line.size()) {
        size_t len = sjis::char_length(line, i);
        if (len == 2) {
            current.append(line.substr(i, 2));
            i += 2;
            continue;
        }
        char c = line[i];
        if (c == '\r') {
            if (i + 1 < line.size() && line[i + 1] == '\n') {
                tokens.push_back(std::move(current));
                current.clear();
                i += 2;
            } else {
                ++i;  // a lone CR is dropped
            }
            continue;
        }
        if (c == '\n' || (c == ' ' && !quoted)) {
            tokens.push_back(std::move(current));
            current.clear();
        } else {
            if (c == '"') quoted = !quoted;
            current += c;
        }
        ++i;
    }
    if (!current.empty()) tokens.push_back(std::move(current));
    return tokens;
}

std::string join_options(const std::vector<std::string>& tokens) {
    std::string line;
    for (const auto& t : tokens) {
        line += t;
        line += ' ';
    }
    return line;
}

namespace {

void append_entry(std::string& field, std::string_view entry) {
    if (!field.empty()) field += ' ';
    field.append(entry);
}

// Removes every "-D" (or "-I") token and appends one per field entry.
std::string apply_prefixed_field(std::string_view line, std::string_view prefix, std::string_view field) {
    std::vector<std::string> tokens = tokenize_options(line);
    std::erase_if(tokens, [&](const std::string& t) { return t.starts_with(prefix); });
    for (const std::string& entry : tokenize_options(field)) {
        if (entry.empty()) continue;
        std::string token = std::string(prefix) + entry;
        if (std::find(tokens.begin(), tokens.end(), token) == tokens.end())
            tokens.push_back(std::move(token));
    }
    return join_options(tokens);
}

}  // namespace

OptionFields derive_option_fields(std::string_view line) {
    OptionFields fields;
    for (const std::string& token : tokenize_options(line)) {
        if (token.size() < 2 || token[0] != '-') continue;
        std::string_view rest = std::string_view(token).substr(1);
        for (size_t b = 0; b < kOptionBoxTokens.size(); ++b)
            if (rest == kOptionBoxTokens[b] + 1) fields.boxes[b] = true;
        if (rest[0] == 'D' && rest.size() > 1) append_entry(fields.macros, rest.substr(1));
        if (rest[0] == 'I' && rest.size() > 1) append_entry(fields.includes, rest.substr(1));
    }
    return fields;
}

std::string apply_option_box(std::string_view line, OptionBox box, bool ticked) {
    const std::string token = kOptionBoxTokens[static_cast<size_t>(box)];
    std::vector<std::string> tokens = tokenize_options(line);
    if (ticked) {
        if (std::find(tokens.begin(), tokens.end(), token) == tokens.end()) tokens.push_back(token);
    } else {
        std::erase(tokens, token);
    }
    return join_options(tokens);
}

std::string apply_macro_field(std::string_view line, std::string_view macros) {
    return apply_prefixed_field(line, "-D", macros);
}

std::string apply_include_field(std::string_view line, std::string_view includes) {
    return apply_prefixed_field(line, "-I", includes);
}

}  // namespace lumora::ide
