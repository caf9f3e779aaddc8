#include "game/core/extended_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "platform/kernel/cp932.h"
#include "platform/kernel/profile.h"

namespace {

class ExtendedSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("pluv_ext_settings_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    path = (dir / "pluvionaut.ini").string();
    std::filesystem::remove(path);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string FileBytes() const {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::filesystem::path dir;
  std::string path;
};

TEST_F(ExtendedSettingsTest, ValuesRoundTripThroughTheFileAndLeaveTheDesignedSectionAlone) {
  const std::string system = Utf8ToCp932("システムデータ");
  TIniFile ini(path);
  ASSERT_TRUE(ini.WriteInteger(system, Utf8ToCp932("プレイ回数"), 7));
  ASSERT_TRUE(ini.WriteString(system, Utf8ToCp932("ルフナボイス"), "1"));
  const std::string before = FileBytes();

  // A path that CP932 cannot hold (Hangul, an emoji), one it can, and a value
  // that merely looks like the escape form.
  const std::string foreign = "/home/\xED\x95\x9C/\xF0\x9F\x8E\xB5 100%.sf2";
  const std::string japanese = "/usr/share/サウンド/音色.sf2";
  const std::string lookalike = "utf-8:%41";
  {
    TExtendedSettings settings(path);
    EXPECT_TRUE(settings.SetString("サウンドフォント", foreign));
    EXPECT_TRUE(settings.SetString("MIDI出力", japanese));
    EXPECT_TRUE(settings.SetString("オーディオ出力", lookalike));
    EXPECT_TRUE(settings.SetInteger("音楽の音量", 75));
    EXPECT_TRUE(settings.SetBool("フルスクリーン", true));
  }
  const std::string after = FileBytes();
  // The designed section comes first and is byte for byte what it was.
  ASSERT_EQ(after.substr(0, before.size()), before);
  // The file stays CP932 text: every byte of the escaped value is ASCII.
  EXPECT_NE(after.find("utf-8:"), std::string::npos);
  EXPECT_NE(after.find(Utf8ToCp932("[拡張設定]") + "\r\n"), std::string::npos);
  EXPECT_EQ(after.find("\xED\x95\x9C"), std::string::npos);

  TExtendedSettings reread(path);
  EXPECT_EQ(reread.String("サウンドフォント"), foreign);
  EXPECT_EQ(reread.String("MIDI出力"), japanese);
  EXPECT_EQ(reread.String("オーディオ出力"), lookalike);
  EXPECT_EQ(reread.Integer("音楽の音量", 100, 0, 100), 75);
  EXPECT_TRUE(reread.Bool("フルスクリーン", false));
  EXPECT_EQ(ini.ReadInteger(system, Utf8ToCp932("プレイ回数"), 0), 7);
}

TEST_F(ExtendedSettingsTest, UnusableValuesGiveTheDefaults) {
  TIniFile ini(path);
  const std::string& section = TExtendedSettings::Section();
  ini.WriteString(section, Utf8ToCp932("音楽の音量"), "150");
  ini.WriteString(section, Utf8ToCp932("ボイスの音量"), "50%");
  ini.WriteString(section, Utf8ToCp932("オフセット"), "-200");
  ini.WriteString(section, Utf8ToCp932("フルスクリーン"), "yes");
  ini.WriteString(section, Utf8ToCp932("サウンドフォント"), "utf-8:%E3%8");  // cut short

  const TExtendedSettings settings(path);
  EXPECT_EQ(settings.Integer("音楽の音量", 100, 0, 100), 100);
  EXPECT_EQ(settings.Integer("ボイスの音量", 100, 0, 100), 100);
  EXPECT_EQ(settings.Integer("オフセット", 0, -200, 200), -200);
  EXPECT_FALSE(settings.Bool("フルスクリーン", false));
  EXPECT_EQ(settings.Integer("なめらかに拡大", 3, 0, 1), 3);
  EXPECT_EQ(settings.String("サウンドフォント"), "\xE3%8");
}

TEST_F(ExtendedSettingsTest, AnUnwritableFileKeepsTheValueForTheCloseWrite) {
  TExtendedSettings settings(path);
  // A folder where the file should be: no write can replace it (also as root).
  std::filesystem::create_directories(path + "/blocked");
  EXPECT_FALSE(settings.SetInteger("音楽の音量", 25));
  EXPECT_EQ(settings.Integer("音楽の音量", 100, 0, 100), 25);
  std::filesystem::remove_all(path);
  EXPECT_TRUE(settings.WriteAll());
  EXPECT_EQ(TExtendedSettings(path).Integer("音楽の音量", 100, 0, 100), 25);
}

}  // namespace
