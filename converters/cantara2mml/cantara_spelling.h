#pragma once
// How a natural (white-key) note value is written in MML, plain or with an
// accidental, and the tables a score is spelled from.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace lumora::cantara {

constexpr int kLowestValue = 36;
constexpr int kHighestValue = 105;

struct Spelling {
    int octave = 0;    // note number ÷ 12 of the written white key (MML octave + 1)
    std::string text;  // letter, with "+" or "-" for a black key
};

bool is_white_key(int value);

// The white key `value` moved by `shift` semitones (+1 sharp, -1 flat, ±2
// double, 0 natural). Nothing for values outside 36-105 or black keys.
std::optional<Spelling> spell(int value, int shift);

// Spelling per note value 36-105; only the white keys have an entry.
class SpellingTable {
public:
    // The natural table.
    SpellingTable();
    const Spelling* find(int value) const;
    void set(int value, const Spelling& spelling);
    // Spells every value of the letter's white keys with `shift`.
    void apply_to_letter(char letter, int shift);

private:
    std::array<std::optional<Spelling>, kHighestValue - kLowestValue + 1> entries_;
};

// Applies the key signature of a key code to a natural table; codes without
// changes leave it alone.
void apply_key(SpellingTable& table, uint16_t key_code);

// Semitone shift of accidental kinds 1-5 (sharp, flat, natural, double sharp,
// double flat); nothing for other kinds.
std::optional<int> accidental_shift(uint16_t kind);

}  // namespace lumora::cantara
