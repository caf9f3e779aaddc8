// The script converter that turns the UTF-8 script sources into the game's
// CP932 scripts: line splitting, refusals and the exact bytes it writes.
#include "tools/make_dat/script_text.h"

#include "platform/kernel/cp932.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

TEST(ScriptText, RefusesCharactersCp932CannotHold) {
  // An emoji on the second line: the message names the source and the line.
  try {
    ConvertScript("ok\nrain \xF0\x9F\x8C\xA7 here\n", "tutorial.utf8.txt", 0);
    FAIL() << "no EScriptError";
  } catch (const EScriptError& e) {
    EXPECT_NE(std::string(e.what()).find("tutorial.utf8.txt:2"), std::string::npos) << e.what();
  }
}

TEST(ScriptText, RefusesBrokenUtf8) {
  EXPECT_THROW(ConvertScript("abc\xE3\x81", "s.txt", 0), EScriptError);
  EXPECT_THROW(ConvertScript("\xFF\xFE", "s.txt", 0), EScriptError);
}

TEST(ScriptText, KeepsRealQuestionMarks) {
  // '?' is also what the encoder writes for a lost character; a question
  // mark that was in the source must pass.
  EXPECT_EQ(ConvertScript("why?\n", "s.txt", 0), "why?");
}

TEST(ScriptText, WidthLimitCountsFullWidthAsTwoColumns) {
  const std::string fiveKana = "あいうえお";  // 10 columns
  EXPECT_EQ(ConvertScript(fiveKana, "s.txt", 10), Utf8ToCp932(fiveKana));
  EXPECT_THROW(ConvertScript(fiveKana, "s.txt", 9), EScriptError);
  EXPECT_EQ(ConvertScript("abcdefghij", "s.txt", 10), "abcdefghij");
  EXPECT_THROW(ConvertScript("abcdefghijk", "s.txt", 10), EScriptError);
  // Half-width katakana is one byte in CP932, so one column.
  EXPECT_EQ(Cp932Columns(Utf8ToCp932("ｱｲｳ")), 3);
  EXPECT_EQ(Cp932Columns(Utf8ToCp932("アイウ")), 6);
}

TEST(ScriptText, SplitsAtEveryKindOfBreak) {
  EXPECT_EQ(SplitScriptLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  // A break at the very end closes the last line; a second one is an empty line.
  EXPECT_EQ(SplitScriptLines("a\n"), (Lines{"a"}));
  EXPECT_EQ(SplitScriptLines("a\n\n"), (Lines{"a", ""}));
  EXPECT_EQ(SplitScriptLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitScriptLines("\n"), (Lines{""}));
  EXPECT_TRUE(SplitScriptLines("").empty());
  // CR then LF as two separate breaks only when they are apart.
  EXPECT_EQ(SplitScriptLines("a\n\rb"), (Lines{"a", "", "b"}));
}

TEST(ScriptText, WritesCp932LinesJoinedByCrLf) {
  const std::string out = ConvertScript("\xEF\xBB\xBFお兄ちゃん\nGood\r\n", "s.txt", 0);
  EXPECT_EQ(out, Utf8ToCp932("お兄ちゃん") + "\r\nGood");
  // Shift-JIS bytes of お (0x82A8) open the file: the byte-order mark is gone.
  ASSERT_GE(out.size(), 2U);
  EXPECT_EQ(static_cast<unsigned char>(out[0]), 0x82);
  EXPECT_EQ(static_cast<unsigned char>(out[1]), 0xA8);
  EXPECT_EQ(ConvertScript("", "s.txt", 0), "");
}

}  // namespace
