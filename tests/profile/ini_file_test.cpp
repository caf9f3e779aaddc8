// TIniFile: the class library's conventions for integers and booleans over
// the private-profile functions.
#include "platform/kernel/cp932.h"
#include "platform/kernel/profile.h"
#include "profile_test_support.h"

using IniFile = ProfileTest;

TEST_F(IniFile, ReadIntegerTakesDecimalAndHexadecimalElseTheDefault) {
  WriteFileBytes(Ini(),
                 "[N]\r\ndec=42\r\nneg=-17\r\nplus=+5\r\nhex=0x1F\r\nupper=0XfF\r\ndollar=$10\r\nminhex=-$10\r\n"
                 "all=$FFFFFFFF\r\nmax=2147483647\r\nmin=-2147483648\r\nover=2147483648\r\n"
                 "under=-2147483649\r\nbighex=$100000000\r\ntext=abc\r\ntail=12abc\r\nspace=1 2\r\n"
                 "float=1.0\r\nbare0x=0x\r\nsign=-\r\nempty=\r\nquoted=\"8\"\r\npadded=  9  \r\n");
  TIniFile ini(Ini());
  EXPECT_EQ(ini.ReadInteger("N", "dec", -1), 42);
  EXPECT_EQ(ini.ReadInteger("N", "neg", -1), -17);
  EXPECT_EQ(ini.ReadInteger("N", "plus", -1), 5);
  EXPECT_EQ(ini.ReadInteger("N", "hex", -1), 31);
  EXPECT_EQ(ini.ReadInteger("N", "upper", -1), 255);
  EXPECT_EQ(ini.ReadInteger("N", "dollar", -1), 16);
  EXPECT_EQ(ini.ReadInteger("N", "minhex", -1), -16);
  EXPECT_EQ(ini.ReadInteger("N", "all", 0), -1);
  EXPECT_EQ(ini.ReadInteger("N", "max", -1), 2147483647);
  EXPECT_EQ(ini.ReadInteger("N", "min", -1), -2147483647 - 1);
  EXPECT_EQ(ini.ReadInteger("N", "quoted", -1), 8);
  EXPECT_EQ(ini.ReadInteger("N", "padded", -1), 9);
  for (const char* bad : {"over", "under", "bighex", "text", "tail", "space", "float", "bare0x", "sign", "empty",
                          "missing"}) {
    EXPECT_EQ(ini.ReadInteger("N", bad, -3), -3) << bad;
  }
}

TEST_F(IniFile, ReadBoolIsAnyNonZeroIntegerWithTheDefaultForTheRest) {
  WriteFileBytes(Ini(), "[B]\r\none=1\r\nzero=0\r\ntwo=2\r\nneg=-1\r\nword=true\r\n");
  TIniFile ini(Ini());
  EXPECT_TRUE(ini.ReadBool("B", "one", false));
  EXPECT_FALSE(ini.ReadBool("B", "zero", true));
  EXPECT_TRUE(ini.ReadBool("B", "two", false));
  EXPECT_TRUE(ini.ReadBool("B", "neg", false));
  EXPECT_TRUE(ini.ReadBool("B", "word", true));
  EXPECT_FALSE(ini.ReadBool("B", "word", false));
  EXPECT_TRUE(ini.ReadBool("B", "missing", true));
  EXPECT_FALSE(ini.ReadBool("B", "missing", false));
}

TEST_F(IniFile, WritesBooleansAsOneAndZeroAndIntegersInDecimal) {
  const std::string section = Utf8ToCp932("システムデータ");
  TIniFile ini(Ini());
  EXPECT_TRUE(ini.WriteBool(section, "HIDDEN", true));
  EXPECT_TRUE(ini.WriteBool(section, "SUDDEN", false));
  EXPECT_TRUE(ini.WriteInteger(section, Utf8ToCp932("プレイ回数"), -2147483647 - 1));
  EXPECT_TRUE(ini.WriteString(section, Utf8ToCp932("バーの長さ"), "0.0"));
  EXPECT_EQ(ReadFileBytes(Ini()), "[" + section + "]\r\nHIDDEN=1\r\nSUDDEN=0\r\n" + Utf8ToCp932("プレイ回数") +
                                      "=-2147483648\r\n" + Utf8ToCp932("バーの長さ") + "=0.0\r\n");
  EXPECT_EQ(ini.ReadInteger(section, Utf8ToCp932("プレイ回数"), 0), -2147483647 - 1);
  EXPECT_EQ(ini.ReadString(section, Utf8ToCp932("バーの長さ"), "1.0"), "0.0");
  EXPECT_EQ(ini.FileName(), Ini());
}

TEST_F(IniFile, ReadStringReturnsValuesLongerThanItsFirstBuffer) {
  const std::string longValue(5000, 'x');
  TIniFile ini(Ini());
  ASSERT_TRUE(ini.WriteString("S", "long", longValue));
  EXPECT_EQ(ini.ReadString("S", "long", ""), longValue);
  const std::string exact(255, 'y');
  ASSERT_TRUE(ini.WriteString("S", "exact", exact));
  EXPECT_EQ(ini.ReadString("S", "exact", ""), exact);
  EXPECT_EQ(ini.ReadString("S", "missing", "def"), "def");
}

TEST_F(IniFile, AWriteIntoAMissingFolderReportsFailure) {
  TIniFile ini(PathOf("missing/game.ini"));
  EXPECT_FALSE(ini.WriteBool("S", "k", true));
  EXPECT_FALSE(ini.WriteInteger("S", "k", 1));
  EXPECT_TRUE(ini.ReadBool("S", "k", true));
}
