// Reading settings files: name matching, trimming, quotes, line ends,
// buffer limits and the name lists.
#include <cstring>

#include "platform/kernel/cp932.h"
#include "platform/kernel/profile.h"
#include "profile_test_support.h"

using ProfileRead = ProfileTest;

TEST_F(ProfileRead, MissingFileSectionOrKeyGivesTheDefaultWithoutTrailingBlanks) {
  EXPECT_EQ(Get("S", "k", "fallback  \t"), "fallback");
  EXPECT_EQ(Get("S", "k", "  lead"), "  lead");
  char buffer[8] = "xxxxxxx";
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", nullptr, buffer, sizeof buffer, Ini().c_str()), 0u);
  EXPECT_STREQ(buffer, "");

  WriteFileBytes(Ini(), "[Other]\r\nk=1\r\n[S]\r\nj=2\r\n");
  EXPECT_EQ(Get("Missing", "k", "d"), "d");
  EXPECT_EQ(Get("S", "k", "d"), "d");
  EXPECT_EQ(Get("S", "j", "d"), "2");
}

TEST_F(ProfileRead, AFolderOrAnEmptyFileReadsAsMissing) {
  EXPECT_EQ(Get("S", "k", "d", Dir()), "d");
  WriteFileBytes(Ini(), "");
  EXPECT_EQ(Get("S", "k", "d"), "d");
}

TEST_F(ProfileRead, SectionAndKeyNamesIgnoreAsciiCase) {
  WriteFileBytes(Ini(), "[Options]\r\nRainSpeed=2.0\r\n");
  EXPECT_EQ(Get("OPTIONS", "rainspeed"), "2.0");
  EXPECT_EQ(Get("options", "RAINSPEED"), "2.0");
  EXPECT_EQ(Get("Option", "RainSpeed", "d"), "d");
  EXPECT_EQ(Get("Options", "RainSpeed2", "d"), "d");
}

TEST_F(ProfileRead, TrailBytesOfDoubleByteNamesAreComparedExactly) {
  // "ア" is 83 41 and "ヂ" is 83 61: the trail bytes are 'A' and 'a'.
  const std::string a = Utf8ToCp932("ア");
  const std::string di = Utf8ToCp932("ヂ");
  ASSERT_EQ(a, "\x83\x41");
  ASSERT_EQ(di, "\x83\x61");
  WriteFileBytes(Ini(), "[" + a + "]\r\n" + a + "=first\r\n[" + di + "]\r\n" + di + "=second\r\n");
  EXPECT_EQ(Get(a, a), "first");
  EXPECT_EQ(Get(di, di), "second");
  EXPECT_EQ(Get(a, di, "none"), "none");
  // A mixed name still folds its single-byte letters.
  WriteFileBytes(Ini(), "[x" + a + "y]\r\nk=v\r\n");
  EXPECT_EQ(Get("X" + a + "Y", "K"), "v");
}

TEST_F(ProfileRead, JapaneseSectionAndKeyInCp932) {
  const std::string section = Utf8ToCp932("システムデータ");
  const std::string key = Utf8ToCp932("プレイ回数");
  WriteFileBytes(Ini(), "[" + section + "]\r\n" + key + "=12\r\n" + Utf8ToCp932("雨の落下スピード") + "=0.5\r\n");
  EXPECT_EQ(Get(section, key), "12");
  EXPECT_EQ(Get(section, Utf8ToCp932("雨の落下スピード")), "0.5");
}

TEST_F(ProfileRead, BlanksAroundNamesAndValuesAreTrimmed) {
  WriteFileBytes(Ini(), "  [ Sec ]  \r\n\t key one \t=  some value \t \r\nempty=\r\nblank=   \r\n");
  EXPECT_EQ(Get("Sec", "key one"), "some value");
  EXPECT_EQ(Get(" Sec ", " key one "), "some value");
  EXPECT_EQ(Get("Sec", "empty", "d"), "");
  EXPECT_EQ(Get("Sec", "blank", "d"), "");
}

TEST_F(ProfileRead, OnePairOfMatchingQuotesIsStripped) {
  WriteFileBytes(Ini(),
                 "[Q]\r\ndouble=\"a b \"\r\nsingle='x'\r\nmixed=\"x'\r\nlone=\"\r\ninner=a\"b\"\r\n"
                 "nested=\"\"x\"\"\r\nempty=\"\"\r\n");
  EXPECT_EQ(Get("Q", "double"), "a b ");
  EXPECT_EQ(Get("Q", "single"), "x");
  EXPECT_EQ(Get("Q", "mixed"), "\"x'");
  EXPECT_EQ(Get("Q", "lone"), "\"");
  EXPECT_EQ(Get("Q", "inner"), "a\"b\"");
  EXPECT_EQ(Get("Q", "nested"), "\"x\"");
  EXPECT_EQ(Get("Q", "empty", "d"), "");
}

TEST_F(ProfileRead, KeysBeforeAnySectionBelongToNone) {
  WriteFileBytes(Ini(), "orphan=1\r\n[S]\r\nk=2\r\n");
  EXPECT_EQ(Get("", "orphan", "d"), "d");
  EXPECT_EQ(Get("S", "orphan", "d"), "d");
  EXPECT_EQ(Get("S", "k"), "2");
}

TEST_F(ProfileRead, FirstSectionAndFirstKeyOfANameWin) {
  WriteFileBytes(Ini(), "[S]\r\nk=1\r\nk=2\r\n[T]\r\nk=3\r\n[s]\r\nk=4\r\nonly=5\r\n");
  EXPECT_EQ(Get("S", "k"), "1");
  EXPECT_EQ(Get("T", "k"), "3");
  // The second [s] is never consulted.
  EXPECT_EQ(Get("S", "only", "d"), "d");
}

TEST_F(ProfileRead, CommentsAndLinesWithoutEqualsGiveNoValue) {
  WriteFileBytes(Ini(), "[S]\r\n;k=commented\r\n  ; also=comment\r\nbare\r\n[broken\r\nx=1\r\n");
  EXPECT_EQ(Get("S", ";k", "d"), "d");
  EXPECT_EQ(Get("S", "k", "d"), "d");
  EXPECT_EQ(Get("S", "bare", "d"), "d");
  // "[broken" has no ']' and so is no header: x stays in S.
  EXPECT_EQ(Get("S", "x"), "1");
}

TEST_F(ProfileRead, LfAndCrlfAndAMissingLastLineEnd) {
  WriteFileBytes(Ini(), "[A]\nk=lf\n[B]\r\nk=crlf\r\n[C]\r\nk=last");
  EXPECT_EQ(Get("A", "k"), "lf");
  EXPECT_EQ(Get("B", "k"), "crlf");
  EXPECT_EQ(Get("C", "k"), "last");
}

TEST_F(ProfileRead, BufferLimitsCutTheValue) {
  WriteFileBytes(Ini(), "[S]\r\nk=abcdef\r\n");
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, 4, Ini().c_str()), 3u);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(buffer[4], 'x');
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, 1, Ini().c_str()), 0u);
  EXPECT_STREQ(buffer, "");
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, 0, Ini().c_str()), 0u);
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", nullptr, 8, Ini().c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, 7, Ini().c_str()), 6u);
  EXPECT_STREQ(buffer, "abcdef");
}

TEST_F(ProfileRead, AZeroByteInAValueEndsIt) {
  WriteFileBytes(Ini(), std::string("[S]\r\nk=ab\0cd\r\n", 14));
  EXPECT_EQ(Get("S", "k"), "ab");
}

TEST_F(ProfileRead, NullNamesListSectionsAndKeys) {
  WriteFileBytes(Ini(), "x=0\r\n[One]\r\na=1\r\n;c=2\r\nb\r\n\r\n[Two]\r\n[one]\r\nz=3\r\n");
  char buffer[64];
  DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, Ini().c_str());
  EXPECT_EQ(std::string(buffer, n + 1), std::string("One\0Two\0one\0\0", 13));
  n = GetPrivateProfileStringA("ONE", nullptr, "", buffer, sizeof buffer, Ini().c_str());
  EXPECT_EQ(std::string(buffer, n + 1), std::string("a\0b\0\0", 5));
  // Cut short: the list still ends in two zeros and the result is size - 2.
  n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 6, Ini().c_str());
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::string(buffer, 6), std::string("One\0\0\0", 6));
  n = GetPrivateProfileStringA("Missing", nullptr, "", buffer, sizeof buffer, Ini().c_str());
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(buffer[0], '\0');
}
