#include "platform/kernel/cp932.h"

#include <gtest/gtest.h>

TEST(Cp932, RoundTripsJapaneseText) {
  const std::string utf8 = "ファイルの読み込みに失敗しちゃった…。";
  const std::string sjis = Utf8ToCp932(utf8);
  EXPECT_NE(sjis, utf8);
  EXPECT_EQ(Cp932ToUtf8(sjis), utf8);
}

TEST(Cp932, EscapesBytesThatAreNotCp932) {
  // 0x81 followed by 0x20 is a lead byte without a valid trail byte.
  EXPECT_EQ(Cp932ToUtf8(std::string("A\x81 B", 4)), "A\\x81 B");
  // A lone lead byte at the end.
  EXPECT_EQ(Cp932ToUtf8(std::string("x\x82", 2)), "x\\x82");
}

TEST(Cp932, HalfWidthKatakanaAndHiraganaCodes) {
  EXPECT_EQ(Cp932CodeToUnicode(0x41), U'A');
  EXPECT_EQ(Cp932CodeToUnicode(0x82A0), U'あ');
  EXPECT_EQ(Cp932CodeToUnicode(0xB1), U'ｱ');
  EXPECT_EQ(Cp932CodeToUnicode(0x8140), U'　');
  EXPECT_EQ(Cp932CodeToUnicode(0x81), 0u);
}

TEST(Cp932, UnconvertibleCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80z"), "a?z");
}
