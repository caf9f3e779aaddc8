#include "game/menus/option_settings.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <unistd.h>

#include "game/menus/options.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/core/voice_cues.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/kernel/profile.h"
#include "tests/support/qt_test_app.h"

namespace {

// Keys as the file stores them, spelled independently of the game's tables.
std::string K(const char* utf8) { return Utf8ToCp932(utf8); }
const std::string kSection = K("システムデータ");
const char* const kMissing = "<missing>";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir = std::filesystem::temp_directory_path() / ("pluv_settings_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    path = (dir / "pluvionaut.ini").string();
    std::filesystem::remove(path);
    bar = std::make_unique<QMenuBar>();
    menu = std::make_unique<TMainMenu>(bar.get());
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  void WriteFile(const std::string& utf8Lines) {
    std::ofstream out(path, std::ios::binary);
    out << Utf8ToCp932(utf8Lines);
  }
  std::string Value(const std::string& key, const std::string& section = kSection) {
    return TIniFile(path).ReadString(section, key, kMissing);
  }
  std::string FileBytes() {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<bool> CheckStates() {
    std::vector<bool> states;
    for (QAction* item : menu->AllItems()) states.push_back(item->isChecked());
    return states;
  }

  std::filesystem::path dir;
  std::string path;
  std::unique_ptr<QMenuBar> bar;
  std::unique_ptr<TMainMenu> menu;
};

TEST_F(SettingsTest, AFirstStartWithNoFileGivesTheDefaultsAndClosingWritesEveryKey) {
  menu->SetChecked("MIRROR", true);  // not a default: the read must set it back
  menu->SetChecked("rainspeed20", true);
  ReadOptionSettings(*menu, TIniFile(path));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(menu->Checked("VoiceON"));
  EXPECT_FALSE(menu->Checked("VoiceOFF"));
  EXPECT_TRUE(menu->Checked("playspeed10"));
  EXPECT_TRUE(menu->Checked("rainspeed10"));
  EXPECT_TRUE(menu->Checked("NORMAL"));
  EXPECT_FALSE(menu->Checked("MIRROR"));
  EXPECT_FALSE(menu->Checked("Hidden"));
  EXPECT_FALSE(menu->Checked("Sudden"));
  EXPECT_TRUE(menu->Checked("barlength10"));
  for (QAction* ch : menu->ChannelItems()) EXPECT_TRUE(ch->isChecked());
  EXPECT_EQ(ReadPlayCount(TIniFile(path)), 0);

  TIniFile ini(path);
  WriteOptionSettings(*menu, ini);
  EXPECT_EQ(Value(K("ルフナボイス")), "1");
  EXPECT_EQ(Value(K("音楽の再生スピード")), "1.0");
  EXPECT_EQ(Value(K("雨の落下スピード")), "1.0");
  EXPECT_EQ(Value("HIDDEN"), "0");
  EXPECT_EQ(Value("SUDDEN"), "0");
  EXPECT_EQ(Value("NORMAL"), "1");
  EXPECT_EQ(Value("MIRROR"), "0");
  EXPECT_EQ(Value("RANDOM"), "0");
  EXPECT_EQ(Value("S-RANDOM"), "0");
  for (int c = 1; c <= 16; ++c) {
    char key[32];
    std::snprintf(key, sizeof key, "チャンネル%02d", c);
    EXPECT_EQ(Value(K(key)), "1") << c;
  }
  EXPECT_EQ(Value(K("バーの長さ")), "1.0");
  // The window never writes the play count.
  EXPECT_EQ(Value(K("プレイ回数")), kMissing);
  // Keys are CP932 on disk.
  EXPECT_NE(FileBytes().find(K("ルフナボイス")), std::string::npos);
  EXPECT_EQ(FileBytes().find("ルフナボイス"), std::string::npos);
}

TEST_F(SettingsTest, AValueMatchingNoItemLeavesTheGroupEmptyAndIsNotWrittenBack) {
  WriteFile("[システムデータ]\r\n雨の落下スピード=1\r\n音楽の再生スピード=1.00\r\nバーの長さ= 1.0\r\n");
  ReadOptionSettings(*menu, TIniFile(path));
  EXPECT_EQ(TMainMenu::CheckedItem(menu->RainSpeedItems()), nullptr);
  EXPECT_EQ(TMainMenu::CheckedItem(menu->PlaySpeedItems()), nullptr);
  // The file layer strips blanks around values, so " 1.0" reads as "1.0".
  EXPECT_TRUE(menu->Checked("barlength10"));
  EXPECT_EQ(RainSpeedOption(*menu), 100);
  EXPECT_FALSE(MusicSpeedOption(*menu).has_value());
  TIniFile ini(path);
  WriteOptionSettings(*menu, ini);
  EXPECT_EQ(Value(K("雨の落下スピード")), "1");
  EXPECT_EQ(Value(K("音楽の再生スピード")), "1.00");
  EXPECT_EQ(Value("NORMAL"), "1");
}

TEST_F(SettingsTest, StringValuesAreComparedExactly) {
  WriteFile("[システムデータ]\r\n雨の落下スピード=6.0\r\n音楽の再生スピード=0.5\r\nバーの長さ=0.0\r\n");
  ReadOptionSettings(*menu, TIniFile(path));
  EXPECT_TRUE(menu->Checked("rainspeed60"));
  EXPECT_TRUE(menu->Checked("playspeed05"));
  EXPECT_TRUE(menu->Checked("barlengthinfinity"));
  EXPECT_EQ(BarHalfWidthOption(*menu), 2147483646);
  WriteFile("[システムデータ]\r\n雨の落下スピード=0.250\r\nバーの長さ=∞\r\n");
  ReadOptionSettings(*menu, TIniFile(path));
  EXPECT_EQ(TMainMenu::CheckedItem(menu->RainSpeedItems()), nullptr);
  EXPECT_EQ(TMainMenu::CheckedItem(menu->BarLengthItems()), nullptr);
}

TEST_F(SettingsTest, AmongTheLaneKeysTheLastTrueOneReadWins) {
  WriteFile("[システムデータ]\r\nNORMAL=1\r\nRANDOM=1\r\n");
  ReadOptionSettings(*menu, TIniFile(path));
  EXPECT_TRUE(menu->Checked("NRANDOM"));
  EXPECT_FALSE(menu->Checked("NORMAL"));
  EXPECT_EQ(LaneModeOption(*menu), TLaneMode::NRandom);
  WriteFile("[システムデータ]\r\nNORMAL=1\r\nMIRROR=1\r\nRANDOM=0\r\nS-RANDOM=1\r\n");
  ReadOptionSettings(*menu, TIniFile(path));
  EXPECT_TRUE(menu->Checked("SRANDOM"));
  EXPECT_FALSE(menu->Checked("MIRROR"));
  WriteFile("[システムデータ]\r\nNORMAL=0\r\n");
  ReadOptionSettings(*menu, TIniFile(path));
  for (const char* name : {"NORMAL", "MIRROR", "NRANDOM", "SRANDOM"}) EXPECT_FALSE(menu->Checked(name)) << name;
  EXPECT_EQ(LaneModeOption(*menu), TLaneMode::Normal);
}

TEST_F(SettingsTest, UnreadableBooleansAndPlayCountGiveTheDefaults) {
  WriteFile("[システムデータ]\r\nルフナボイス=yes\r\nHIDDEN=on\r\nチャンネル03=x\r\nチャンネル04=0\r\nSUDDEN=2\r\n"
            "プレイ回数=many\r\n");
  ReadOptionSettings(*menu, TIniFile(path));
  EXPECT_TRUE(menu->Checked("VoiceON"));
  EXPECT_FALSE(menu->Checked("Hidden"));
  EXPECT_TRUE(menu->Checked("playch03"));
  EXPECT_FALSE(menu->Checked("playch04"));
  EXPECT_TRUE(menu->Checked("Sudden"));  // any number but 0 is true
  EXPECT_EQ(ReadPlayCount(TIniFile(path)), 0);
}

TEST_F(SettingsTest, VoiceOffChecksTheOffItem) {
  WriteFile("[システムデータ]\r\nルフナボイス=0\r\n");
  ReadOptionSettings(*menu, TIniFile(path));
  EXPECT_FALSE(menu->Checked("VoiceON"));
  EXPECT_TRUE(menu->Checked("VoiceOFF"));
}

TEST_F(SettingsTest, AFileWrittenByTheGameReadsBackToTheSameMenu) {
  menu->Item("VoiceOFF")->trigger();
  menu->Item("rainspeed025")->trigger();
  menu->Item("Hidden")->trigger();
  menu->Item("Sudden")->trigger();
  menu->Item("SRANDOM")->trigger();
  menu->Item("playch10")->trigger();
  menu->Item("playch01")->trigger();
  menu->Item("playspeed20")->trigger();
  menu->Item("barlength40")->trigger();
  const std::vector<bool> before = CheckStates();
  {
    TIniFile ini(path);
    WriteOptionSettings(*menu, ini);
  }
  QMenuBar otherBar;
  TMainMenu other(&otherBar);
  ReadOptionSettings(other, TIniFile(path));
  std::vector<bool> after;
  for (QAction* item : other.AllItems()) after.push_back(item->isChecked());
  EXPECT_EQ(after, before);
}

// Every value of the option tables, chosen in the menu, is stored as its
// text, reads back into a fresh menu as the same item and plays with its
// factor: a value added to a table reaches the menu, the file and the game.
TEST_F(SettingsTest, EveryOptionValueRoundTripsThroughTheFileAndPlaysWithItsFactor) {
  struct TGroup {
    const char* key;
    std::span<const TOptionValue> values;
    const char* defaultItem;  // checked again after each value, for the next group
  };
  const TGroup groups[] = {{"雨の落下スピード", kRainSpeedValues, "rainspeed10"},
                           {"音楽の再生スピード", kPlaySpeedValues, "playspeed10"},
                           {"バーの長さ", kBarLengthValues, "barlength10"}};
  for (const TGroup& group : groups) {
    for (const TOptionValue& value : group.values) {
      SCOPED_TRACE(value.Item);
      QAction* item = menu->Item(value.Item);
      EXPECT_EQ(item->text(), QString::fromUtf8(value.Caption));
      item->trigger();
      {
        TIniFile ini(path);
        WriteOptionSettings(*menu, ini);
      }
      EXPECT_EQ(Value(K(group.key)), value.Stored);
      QMenuBar otherBar;
      TMainMenu other(&otherBar);
      ReadOptionSettings(other, TIniFile(path));
      EXPECT_TRUE(other.Checked(value.Item));
      const bool rain = group.values.data() == std::data(kRainSpeedValues);
      const bool music = group.values.data() == std::data(kPlaySpeedValues);
      const bool bar = group.values.data() == std::data(kBarLengthValues);
      EXPECT_EQ(RainSpeedOption(other), rain ? RainSpeedFor(value.Factor) : kBaseRainSpeed);
      EXPECT_EQ(MusicSpeedOption(other), std::optional<double>(music ? value.Factor : 1.0));
      EXPECT_EQ(BarHalfWidthOption(other), bar ? BarHalfWidthFor(value.Factor) : kBaseBarHalfWidth);
      menu->SetChecked(group.defaultItem, true);
    }
  }
}

TEST_F(SettingsTest, KeysAndSectionsTheGameDoesNotKnowAreKept) {
  WriteFile("[よそ]\r\nkey=value\r\n[システムデータ]\r\nプレイ回数=17\r\n未来のキー=abc\r\nHIDDEN=1\r\n");
  ReadOptionSettings(*menu, TIniFile(path));
  TIniFile ini(path);
  WriteOptionSettings(*menu, ini);
  EXPECT_EQ(Value("key", K("よそ")), "value");
  EXPECT_EQ(Value(K("未来のキー")), "abc");
  EXPECT_EQ(Value(K("プレイ回数")), "17");
  EXPECT_EQ(Value("HIDDEN"), "1");
  EXPECT_EQ(ReadPlayCount(TIniFile(path)), 17);
}

class FormSettingsTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    SetSettingsPathForTesting(path);
    SetVoiceLineOutput(nullptr);
  }
  void TearDown() override {
    ResetVoiceLineOutput();
    SettingsTest::TearDown();
  }
};

TEST_F(FormSettingsTest, PlayCount128AtStartShowsEveryGroupAtOnce) {
  WriteFile("[システムデータ]\r\nプレイ回数=128\r\n");
  TForm1 form;
  EXPECT_EQ(form.PlayCount(), 128);
  for (const char* group : {"Open", "rainspeedOption", "raineffectOption", "rainpositionOption", "playchOption",
                            "playspeedOption", "barlengthOption"}) {
    EXPECT_TRUE(form.MainMenu1().Item(group)->isVisible()) << group;
  }
  EXPECT_TRUE(form.acceptDrops());
}

TEST_F(FormSettingsTest, TheWindowReadsAtCreationAndWritesAtClose) {
  WriteFile("[システムデータ]\r\nMIRROR=1\r\n雨の落下スピード=1\r\n");
  {
    TForm1 form;
    EXPECT_TRUE(form.MainMenu1().Checked("MIRROR"));
    EXPECT_EQ(TMainMenu::CheckedItem(form.MainMenu1().RainSpeedItems()), nullptr);
    form.MainMenu1().Item("playch16")->trigger();
    form.show();
    form.close();
  }
  EXPECT_EQ(Value("MIRROR"), "1");
  EXPECT_EQ(Value("NORMAL"), "0");
  EXPECT_EQ(Value(K("チャンネル16")), "0");
  EXPECT_EQ(Value(K("雨の落下スピード")), "1");
}

}  // namespace
