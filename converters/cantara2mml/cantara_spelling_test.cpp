#include "converters/cantara2mml/cantara_spelling.h"

#include <gtest/gtest.h>

namespace lumora::cantara {
namespace {

std::string show(const std::optional<Spelling>& s) {
    return s ? std::to_string(s->octave) + " " + s->text : "none";
}

TEST(CantaraSpelling, SharpsFlatsAndDoublesNameTheRightKey) {
    EXPECT_EQ(show(spell(47, +1)), "4 c");
    EXPECT_EQ(show(spell(36, -1)), "2 b");
    EXPECT_EQ(show(spell(40, +2)), "3 f+");
    EXPECT_EQ(show(spell(36, -2)), "2 b-");
    EXPECT_EQ(show(spell(60, 0)), "5 c");
    EXPECT_EQ(show(spell(65, +1)), "5 f+");
    EXPECT_EQ(show(spell(71, -1)), "5 b-");
    EXPECT_EQ(show(spell(105, +2)), "8 b");
    EXPECT_EQ(show(spell(64, +1)), "5 f");
    EXPECT_EQ(show(spell(61, 0)), "none");   // a black key is not a note value
    EXPECT_EQ(show(spell(35, 0)), "none");
    EXPECT_EQ(show(spell(107, 0)), "none");
}

TEST(CantaraSpelling, NaturalTableHoldsTheFortyOneWhiteKeys) {
    SpellingTable t;
    int count = 0;
    for (int v = 0; v < 200; ++v) count += t.find(v) != nullptr;
    EXPECT_EQ(count, 41);
    ASSERT_NE(t.find(105), nullptr);
    EXPECT_EQ(t.find(105)->text, "a");
    EXPECT_EQ(t.find(-5), nullptr);
}

TEST(CantaraSpelling, KeySignaturesChangeEveryOctaveOfTheirLetters) {
    SpellingTable t;
    apply_key(t, 3);  // D, G, C and F sharp
    std::string line;
    for (int v : {36, 38, 40, 41, 43, 45, 47, 101}) line += t.find(v)->text + " ";
    EXPECT_EQ(line, "c+ d+ e f+ g+ a b f+ ");

    SpellingTable flats;
    apply_key(flats, 20);  // G, D, A, E and B flat
    line.clear();
    for (int v : {60, 62, 64, 65, 67, 69, 71}) line += flats.find(v)->text + " ";
    EXPECT_EQ(line, "c d- e- f g- a- b- ");

    for (uint16_t none : {0, 1, 7, 8, 10, 13, 17, 21, 500}) {
        SpellingTable n;
        apply_key(n, none);
        for (int v = kLowestValue; v <= kHighestValue; ++v)
            if (n.find(v)) {
                EXPECT_EQ(n.find(v)->text.size(), 1u) << none << " " << v;
            }
    }
}

}  // namespace
}  // namespace lumora::cantara
