#include "game/menus/main_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/qt_test_app.h"

namespace {

class MainMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    bar = std::make_unique<QMenuBar>();
    menu = std::make_unique<TMainMenu>(bar.get());
  }
  QString Caption(const char* name) const { return menu->Item(name)->text(); }
  QString Hint(const char* name) const { return menu->Item(name)->statusTip(); }

  std::unique_ptr<QMenuBar> bar;
  std::unique_ptr<TMainMenu> menu;
};

TEST_F(MainMenuTest, UnknownNamesAreRefused) {
  EXPECT_THROW(menu->Item("open"), std::out_of_range);
  EXPECT_THROW(menu->Item("playch17"), std::out_of_range);
  EXPECT_THROW(menu->Item(""), std::out_of_range);
}

TEST_F(MainMenuTest, EveryItemInMenuOrderUnderItsDesignName) {
  std::vector<std::string> expected = {"File1", "Open", "Exit1", "P1", "Play", "Stop", "Option", "N1", "VoiceON",
                                       "VoiceOFF", "rainspeedOption", "rainspeed025", "rainspeed05", "rainspeed10",
                                       "rainspeed20", "rainspeed30", "rainspeed40", "rainspeed50", "rainspeed60",
                                       "raineffectOption", "Hidden", "Sudden", "rainpositionOption", "NORMAL", "MIRROR",
                                       "NRANDOM", "SRANDOM", "playchOption", "ALLON", "ALLOFF", "N2"};
  for (int ch = 1; ch <= 16; ++ch) expected.push_back((ch < 10 ? "playch0" : "playch") + std::to_string(ch));
  for (const char* n : {"playspeedOption", "playspeed05", "playspeed10", "playspeed15", "playspeed20",
                        "barlengthOption", "barlength05", "barlength10", "barlength20", "barlength30", "barlength40",
                        "barlengthinfinity"}) {
    expected.push_back(n);
  }
  std::vector<std::string> actual;
  for (const QAction* item : menu->AllItems()) actual.push_back(item->objectName().toStdString());
  EXPECT_EQ(actual, expected);
  // Found by name through Qt as well.
  for (const std::string& name : expected) {
    EXPECT_EQ(bar->findChild<QAction*>(QString::fromStdString(name)), menu->Item(name)) << name;
  }
}

TEST_F(MainMenuTest, FixedCaptionsAndHints) {
  struct Row {
    const char* name;
    const char* caption;
    const char* hint;
  };
  const Row rows[] = {
      {"File1", "ファイル(&F)", ""},
      {"Open", "MIDIファイルを開く(&O)...", "雨として降ってくる曲を選択できるよ。"},
      {"Exit1", "終了(&X)", "えっ、帰るの？"},
      {"P1", "再生(&P)", ""},
      {"Play", "再生(&P)", "ゲームを始めるよ。"},
      {"Stop", "停止(&S)", "ゲームを中断するよ。"},
      {"Option", "オプション(&O)", ""},
      {"N1", "ルフナボイス", "私の声のON/OFFを変更できるよ。できればOFFにしてほしくないけど。"},
      {"VoiceON", "ON", "私の声の再生をONにするよ。"},
      {"VoiceOFF", "OFF", "私の声の再生をOFFにするよ。"},
      {"rainspeedOption", "雨の落下スピード", "HI-SPEEDオプションだよ。"},
      {"raineffectOption", "雨の表示方法", "HIDDEN/SUDDENオプションだよ。"},
      {"Hidden", "HIDDEN", "雨が途中から消えるよ。"},
      {"Sudden", "SUDDEN", "雨が途中まで現れないよ。"},
      {"rainpositionOption", "雨の落下位置", "MIRROR/RANDOMオプションだよ。"},
      {"NORMAL", "NORMAL", "雨が通常の位置に降ってくるよ。"},
      {"MIRROR", "MIRROR", "雨が降ってくる位置が左右逆になるよ。"},
      {"NRANDOM", "RANDOM", "雨が降ってくる位置がランダムになるよ。"},
      {"SRANDOM", "S-RANDOM", "雨が降ってくる位置が各水滴ごとにランダムになるよ。"},
      {"playchOption", "プレイするチャンネル", "雨として降ってくるかどうかをチャンネルごとに決められるよ。"},
      {"ALLON", "ALL ON", "全てのチャンネルの音が雨として降ってくるようになるよ。"},
      {"ALLOFF", "ALL OFF", "全てのチャンネルの音が雨として降ってこないようになるよ。"},
      {"playspeedOption", "音楽の再生スピード", "曲の速さを変更できるよ。"},
      {"barlengthOption", "バーの長さ", "バーの長さを変更できるよ。ゲームバランスが壊れてしまうよ。"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Caption(r.name), QString::fromUtf8(r.caption)) << r.name;
    EXPECT_EQ(Hint(r.name), QString::fromUtf8(r.hint)) << r.name;
  }
  EXPECT_TRUE(menu->Item("N2")->isSeparator());
}

TEST_F(MainMenuTest, ValueItemCaptionsAndHints) {
  EXPECT_EQ(Caption("rainspeed025"), QStringLiteral("0.25"));
  EXPECT_EQ(Hint("rainspeed025"), QStringLiteral("通常の0.25倍の速さで雨が降ってくるよ。"));
  EXPECT_EQ(Hint("rainspeed10"), QStringLiteral("通常の速さで雨が降ってくるよ。"));
  EXPECT_EQ(Caption("rainspeed60"), QStringLiteral("6.0"));
  EXPECT_EQ(Hint("rainspeed60"), QStringLiteral("通常の6.0倍の速さで雨が降ってくるよ。"));
  EXPECT_EQ(Caption("playch01"), QStringLiteral("CH #01"));
  EXPECT_EQ(Caption("playch10"), QStringLiteral("CH #10 （ドラムチャンネル）"));
  EXPECT_EQ(Caption("playch16"), QStringLiteral("CH #16"));
  EXPECT_EQ(Hint("playch03"), QStringLiteral("チャンネル03の音が雨として降ってくるよ。"));
  EXPECT_EQ(Hint("playch10"), QStringLiteral("チャンネル10の音が雨として降ってくるよ。"));
  EXPECT_EQ(Caption("playspeed15"), QStringLiteral("1.5"));
  EXPECT_EQ(Hint("playspeed15"), QStringLiteral("曲を通常の1.5倍の速さで再生するよ。"));
  EXPECT_EQ(Hint("playspeed10"), QStringLiteral("曲を通常の速さで再生するよ。"));
  EXPECT_EQ(Caption("barlength05"), QStringLiteral("0.5"));
  EXPECT_EQ(Hint("barlength05"), QStringLiteral("バーの長さが通常の0.5倍になるよ。"));
  EXPECT_EQ(Hint("barlength10"), QStringLiteral("バーの長さが通常になるよ。"));
  EXPECT_EQ(Caption("barlengthinfinity"), QStringLiteral("∞"));
  EXPECT_EQ(Hint("barlengthinfinity"), QStringLiteral("バーの長さが無限大になるよ。"));
}

TEST_F(MainMenuTest, DefaultsAreCheckedBeforeAnySettings) {
  for (const char* on : {"VoiceON", "rainspeed10", "NORMAL", "playspeed10", "barlength10"}) {
    EXPECT_TRUE(menu->Checked(on)) << on;
  }
  for (const char* off : {"VoiceOFF", "rainspeed05", "Hidden", "Sudden", "MIRROR", "NRANDOM", "SRANDOM",
                          "playspeed20", "barlengthinfinity"}) {
    EXPECT_FALSE(menu->Checked(off)) << off;
  }
  for (QAction* ch : menu->ChannelItems()) EXPECT_TRUE(ch->isChecked()) << ch->objectName().toStdString();
}

TEST_F(MainMenuTest, RadioItemsFormExclusiveGroupsAndCheckItemsToggle) {
  const std::vector<std::vector<const char*>> groups = {
      {"VoiceON", "VoiceOFF"},
      {"NORMAL", "MIRROR", "NRANDOM", "SRANDOM"},
  };
  for (const auto& group : groups) {
    QActionGroup* g = menu->Item(group[0])->actionGroup();
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->isExclusive());
    for (const char* name : group) EXPECT_EQ(menu->Item(name)->actionGroup(), g) << name;
  }
  EXPECT_EQ(menu->RainSpeedItems().size(), 8u);
  EXPECT_EQ(menu->PlaySpeedItems().size(), 4u);
  EXPECT_EQ(menu->BarLengthItems().size(), 6u);
  EXPECT_EQ(menu->ChannelItems().size(), 16u);
  EXPECT_NE(menu->Item("rainspeed10")->actionGroup(), menu->Item("playspeed10")->actionGroup());
  for (const char* check : {"Hidden", "Sudden", "playch01"}) {
    EXPECT_EQ(menu->Item(check)->actionGroup(), nullptr) << check;
    const bool before = menu->Checked(check);
    menu->Item(check)->trigger();
    EXPECT_NE(menu->Checked(check), before) << check;
  }
}

TEST_F(MainMenuTest, ChoosingARadioItemChecksItAndUnchecksItsGroup) {
  menu->Item("MIRROR")->trigger();
  EXPECT_TRUE(menu->Checked("MIRROR"));
  EXPECT_FALSE(menu->Checked("NORMAL"));
  // Choosing the checked item again keeps it checked.
  menu->Item("MIRROR")->trigger();
  EXPECT_TRUE(menu->Checked("MIRROR"));
  menu->Item("rainspeed60")->trigger();
  EXPECT_EQ(TMainMenu::CheckedItem(menu->RainSpeedItems()), menu->Item("rainspeed60"));
  EXPECT_TRUE(menu->Checked("playspeed10"));  // other groups untouched
}

TEST_F(MainMenuTest, AGroupCanBeLeftWithNoItemChecked) {
  menu->SetChecked("rainspeed10", false);
  EXPECT_EQ(TMainMenu::CheckedItem(menu->RainSpeedItems()), nullptr);
  // Choosing an item afterwards works as usual.
  menu->Item("rainspeed20")->trigger();
  EXPECT_EQ(TMainMenu::CheckedItem(menu->RainSpeedItems()), menu->Item("rainspeed20"));
  menu->SetChecked("NORMAL", false);
  for (const char* name : {"NORMAL", "MIRROR", "NRANDOM", "SRANDOM"}) EXPECT_FALSE(menu->Checked(name));
  // Checking one by program unchecks the others, as choosing it would.
  menu->SetChecked("SRANDOM", true);
  menu->SetChecked("MIRROR", true);
  EXPECT_FALSE(menu->Checked("SRANDOM"));
  EXPECT_TRUE(menu->Checked("MIRROR"));
}

struct VisibilityCase {
  int playCount;
  bool open, rainSpeed, rainEffect, rainPosition, playCh, playSpeed, barLength;
};

class MenuVisibilityTest : public MainMenuTest, public ::testing::WithParamInterface<VisibilityCase> {};

TEST_P(MenuVisibilityTest, OptionGroupsUnlockWithThePlayCount) {
  const VisibilityCase& c = GetParam();
  menu->ApplyVisibility(c.playCount);
  EXPECT_EQ(menu->Item("Open")->isVisible(), c.open);
  EXPECT_EQ(menu->OpenVisible(), c.open);
  EXPECT_EQ(menu->Item("rainspeedOption")->isVisible(), c.rainSpeed);
  EXPECT_EQ(menu->Item("raineffectOption")->isVisible(), c.rainEffect);
  EXPECT_EQ(menu->Item("rainpositionOption")->isVisible(), c.rainPosition);
  EXPECT_EQ(menu->Item("playchOption")->isVisible(), c.playCh);
  EXPECT_EQ(menu->Item("playspeedOption")->isVisible(), c.playSpeed);
  EXPECT_EQ(menu->Item("barlengthOption")->isVisible(), c.barLength);
  // Always there.
  for (const char* name : {"File1", "Exit1", "P1", "Play", "Stop", "Option", "N1", "VoiceON", "VoiceOFF"}) {
    EXPECT_TRUE(menu->Item(name)->isVisible()) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(PlayCounts, MenuVisibilityTest,
                         ::testing::Values(VisibilityCase{-1, false, false, false, false, false, false, false},
                                           VisibilityCase{0, false, false, false, false, false, false, false},
                                           VisibilityCase{1, true, false, false, false, false, false, false},
                                           VisibilityCase{3, true, false, false, false, false, false, false},
                                           VisibilityCase{4, true, true, false, false, false, false, false},
                                           VisibilityCase{8, true, true, false, false, false, false, false},
                                           VisibilityCase{9, true, true, true, false, false, false, false},
                                           VisibilityCase{16, true, true, true, true, false, false, false},
                                           VisibilityCase{31, true, true, true, true, false, false, false},
                                           VisibilityCase{32, true, true, true, true, true, false, false},
                                           VisibilityCase{64, true, true, true, true, true, true, false},
                                           VisibilityCase{127, true, true, true, true, true, true, false},
                                           VisibilityCase{128, true, true, true, true, true, true, true},
                                           VisibilityCase{2147483647, true, true, true, true, true, true, true}));

TEST_F(MainMenuTest, OptionAndStopFollowThePlayingState) {
  EXPECT_TRUE(menu->Item("Option")->isEnabled());
  EXPECT_FALSE(menu->Item("Stop")->isEnabled());
  menu->ApplyPlayingState(true);
  EXPECT_FALSE(menu->Item("Option")->isEnabled());
  EXPECT_TRUE(menu->Item("Stop")->isEnabled());
  EXPECT_TRUE(menu->Item("Play")->isEnabled());
  menu->ApplyPlayingState(false);
  EXPECT_TRUE(menu->Item("Option")->isEnabled());
  EXPECT_FALSE(menu->Item("Stop")->isEnabled());
}

}  // namespace
