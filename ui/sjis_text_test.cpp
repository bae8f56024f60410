#include "ui/sjis_text.h"

#include <gtest/gtest.h>

namespace lumora::ui {
namespace {

TEST(SjisText, RoundTripsJapaneseHalfWidthKanaAndAscii) {
    // 漢字 ｶﾅ abc ① (an NEC special character of code page 932) ～ (its own tilde mapping)
    const std::string sjis = "\x8A\xBF\x8E\x9A \xB6\xC5 abc \x87\x40 \x81\x60";
    const QString text = from_sjis(sjis);
    EXPECT_EQ(text, QString::fromUtf8("漢字 ｶﾅ abc ① ～"));
    bool exact = false;
    EXPECT_EQ(to_sjis(text, &exact), sjis);
    EXPECT_TRUE(exact);
}

TEST(SjisText, ReplacesOnlyWhatShiftJisCannotHold) {
    bool exact = true;
    // An emoji (a surrogate pair), a Hangul syllable and a euro sign each become
    // one '?'; the characters around them are kept.
    EXPECT_EQ(to_sjis(QString::fromUtf8("a😀b한c€d漢"), &exact), "a?b?c?d\x8A\xBF");
    EXPECT_FALSE(exact);
    // A lone surrogate is one character that cannot be held.
    QString lone = QStringLiteral("x");
    lone.append(QChar(0xD800));
    lone.append(QStringLiteral("y"));
    EXPECT_EQ(to_sjis(lone, &exact), "x?y");
    EXPECT_FALSE(exact);
    EXPECT_EQ(to_sjis(QString(), &exact), "");
    EXPECT_TRUE(exact);
}

TEST(SjisText, BrokenBytesBecomeReplacementCharactersOneEach) {
    // A lone trail-range byte, and a lead byte cut off at the end.
    EXPECT_EQ(from_sjis("a\x80z\x81"), QString::fromUtf8("a\uFFFDz\uFFFD"));
    EXPECT_EQ(from_sjis(std::string_view("a\0b", 3)), QString::fromUtf8("a\0b", 3));
}

}  // namespace
}  // namespace lumora::ui
