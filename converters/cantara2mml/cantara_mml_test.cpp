#include "converters/cantara2mml/cantara_mml.h"

#include <gtest/gtest.h>

#include "converters/cantara2mml/cantara_test_save.h"

namespace lumora::cantara {
namespace {

using namespace test;

const std::string kHead = ";MML\nt120\n#0@3v12o4\n";
const std::string kSecond = "#1@3v12o4\n";

TEST(CantaraMml, KeySignatureExample) {
    const auto r = to_mml(score(120, {key(5), octave_mode(1), note(65), note(67), bar()}));
    EXPECT_EQ(r.text, ";MML\nt120\n#0@3v12o4\nf+4g4\n\n#1@3v12o4\n\n");
    EXPECT_TRUE(r.warnings.empty());
}

TEST(CantaraMml, EmptyScoreHasHeadersAndTwoEmptyParts) {
    EXPECT_EQ(to_mml(score(96, {}, {})).text, ";MML\nt96\n#0@3v12o4\n\n#1@3v12o4\n\n");
}

TEST(CantaraMml, TiesContinueWithCaretThenRestAndKeepTheBarOnOneLine) {
    const auto r = to_mml(score(120, {octave_mode(1), note(60, 480, true), note(60, 960, true), bar(),
                                      note(60, 240), bar(), note(62, 240), rest(240), bar()}));
    EXPECT_EQ(r.text, kHead + "c4^2r8\nd8r8\n\n" + kSecond + "\n");
}

TEST(CantaraMml, OctaveCommandsOnlyWhenTheOctaveChanges) {
    const auto r = to_mml(score(120, {octave_mode(1), note(48), note(50), note(60), bar()},
                                {octave_mode(1), note(64), note(72), bar()}));
    EXPECT_EQ(r.text, kHead + "o3c4d4o4c4\n\n" + kSecond + "e4o5c4\n\n");
}

TEST(CantaraMml, AccidentalHoldsForThatPitchUntilTheBarLine) {
    const auto r = to_mml(
        score(120, {octave_mode(1), accidental(1, 65), note(65), note(77), note(65), bar(), note(65), bar()}));
    EXPECT_EQ(r.text, kHead + "f+4o5f4o4f+4\nf4\n\n" + kSecond + "\n");

    // A natural sign inside a key restores the plain letter for the bar.
    const auto k = to_mml(score(120, {key(4), accidental(3, 71), note(71), note(59), bar(), note(71), bar()}));
    EXPECT_EQ(k.text, kHead + "b4o3b-4\no4b-4\n\n" + kSecond + "\n");
}

TEST(CantaraMml, OctaveShiftModeLowersPitchesAndCarriesIntoPartTwo) {
    const auto r = to_mml(score(120, {octave_mode(2), note(72), bar()}, {note(84), octave_mode(3), note(84), bar()}));
    EXPECT_EQ(r.text, kHead + "c4\n\n" + kSecond + "o5c4o4c4\n\n");
    // Accidentals look up the shifted value too.
    const auto a = to_mml(score(120, {octave_mode(2), accidental(2, 76), note(76), bar()}));
    EXPECT_EQ(a.text, kHead + "e-4\n\n" + kSecond + "\n");
}

TEST(CantaraMml, TimeCodeChangesTheWholeBarLengthForGood) {
    const auto r = to_mml(score(120, {time(3), rest(1920), bar(), time(9), octave_mode(1), note(60, 1920), bar()},
                                {rest(1920), bar()}));
    EXPECT_EQ(r.text, kHead + "r2.\nc2r16\n\n" + kSecond + "r2r16\n\n");
    const auto plain = to_mml(score(120, {rest(1920), rest(2880), rest(320), rest(160), rest(180), bar()}));
    EXPECT_EQ(plain.text, kHead + "r1r1.r6r12r16.\n\n" + kSecond + "\n");
}

TEST(CantaraMml, KeySignatureResetsTheBarAndTheScore) {
    const auto r = to_mml(score(120, {octave_mode(1), key(2), accidental(5, 62), note(60), note(62), note(65),
                                      key(0), note(60), note(65), bar()}));
    EXPECT_EQ(r.text, kHead + "c+4c4f+4c4f4\n\n" + kSecond + "\n");
}

TEST(CantaraMml, UnwritableEventsAreSkippedSafelyAndReported) {
    const auto r = to_mml(score(120, {note(60), note(61), note(200), note(60, 100), rest(7), time(5),
                                      accidental(9, 60), accidental(1, 61), octave_mode(7), {99, 1, 2, 3}, bar()}));
    // A note before any shift mode is taken as unshifted; pitches the tables
    // do not hold keep their time as rests; unknown lengths write no length.
    EXPECT_EQ(r.text, kHead + "c4r4r4cr\n\n" + kSecond + "\n");
    ASSERT_EQ(r.warnings.size(), 8u);
    EXPECT_EQ(r.warnings[0], "part 1 event 2: pitch 61 is not a note the tables hold; written as a rest");
    EXPECT_EQ(r.warnings[2], "part 1 event 4: length 100 is not in the length table; written without a length");
    EXPECT_EQ(r.warnings[4], "part 1 event 6: time code 5 is unknown; ignored");
    EXPECT_EQ(r.warnings[6], "part 1 event 8: accidental on pitch 61 that the tables do not hold; ignored");
    EXPECT_EQ(r.warnings[7], "part 1 event 9: octave shift mode 7 is unknown; ignored");
}

TEST(CantaraMml, MoreThanEightHundredEventsAreAllWritten) {
    std::vector<Event> many;
    for (int i = 0; i < 1000; ++i) many.push_back(note(60, 240));
    const auto r = to_mml(score(120, many));
    std::string notes;
    for (int i = 0; i < 1000; ++i) notes += "c8";
    EXPECT_EQ(r.text, kHead + notes + "\n" + kSecond + "\n");
}

}  // namespace
}  // namespace lumora::cantara
