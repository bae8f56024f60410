#include "converters/cantara2mml/cantara_spelling.h"

namespace lumora::cantara {

namespace {

constexpr char kLetters[12] = {'c', 0, 'd', 0, 'e', 'f', 0, 'g', 0, 'a', 0, 'b'};

char letter_of(int note) { return kLetters[note % 12]; }

}  // namespace

bool is_white_key(int value) { return value >= 0 && letter_of(value) != 0; }

std::optional<Spelling> spell(int value, int shift) {
    if (value < kLowestValue || value > kHighestValue || !is_white_key(value)) return std::nullopt;
    const int target = value + shift;
    if (is_white_key(target)) return Spelling{target / 12, std::string(1, letter_of(target))};
    // A black key is named from its white neighbour on the side it was
    // reached from: sharps from below, flats from above.
    const int white = shift > 0 ? target - 1 : target + 1;
    return Spelling{white / 12, std::string(1, letter_of(white)) + (shift > 0 ? "+" : "-")};
}

SpellingTable::SpellingTable() {
    for (int v = kLowestValue; v <= kHighestValue; ++v) entries_[static_cast<size_t>(v - kLowestValue)] = spell(v, 0);
}

const Spelling* SpellingTable::find(int value) const {
    if (value < kLowestValue || value > kHighestValue) return nullptr;
    const auto& e = entries_[static_cast<size_t>(value - kLowestValue)];
    return e ? &*e : nullptr;
}

void SpellingTable::set(int value, const Spelling& spelling) {
    if (value < kLowestValue || value > kHighestValue || !is_white_key(value)) return;
    entries_[static_cast<size_t>(value - kLowestValue)] = spelling;
}

void SpellingTable::apply_to_letter(char letter, int shift) {
    for (int v = kLowestValue; v <= kHighestValue; ++v)
        if (letter_of(v) == letter) set(v, *spell(v, shift));
}

void apply_key(SpellingTable& table, uint16_t key_code) {
    const char* sharps = "";
    const char* flats = "";
    switch (key_code) {
        case 5: case 12: sharps = "f"; break;
        case 2: case 9: sharps = "cf"; break;
        case 6: sharps = "gcf"; break;
        case 3: sharps = "dgcf"; break;
        case 4: case 11: flats = "b"; break;
        case 14: case 16: flats = "eb"; break;
        case 19: flats = "aeb"; break;
        case 15: flats = "daeb"; break;
        case 18: case 20: flats = "gdaeb"; break;
        default: break;
    }
    for (const char* p = sharps; *p; ++p) table.apply_to_letter(*p, +1);
    for (const char* p = flats; *p; ++p) table.apply_to_letter(*p, -1);
}

std::optional<int> accidental_shift(uint16_t kind) {
    switch (kind) {
        case 1: return +1;
        case 2: return -1;
        case 3: return 0;
        case 4: return +2;
        case 5: return -2;
        default: return std::nullopt;
    }
}

}  // namespace lumora::cantara
