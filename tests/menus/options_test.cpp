#include "game/menus/options.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>

#include <memory>

#include "tests/support/qt_test_app.h"

namespace {

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    bar = std::make_unique<QMenuBar>();
    menu = std::make_unique<TMainMenu>(bar.get());
  }
  std::unique_ptr<QMenuBar> bar;
  std::unique_ptr<TMainMenu> menu;
};

TEST_F(OptionsTest, NoCheckedItemKeepsTheFallbacks) {
  menu->SetChecked("playspeed10", false);
  menu->SetChecked("rainspeed10", false);
  menu->SetChecked("barlength10", false);
  menu->SetChecked("NORMAL", false);
  EXPECT_FALSE(MusicSpeedOption(*menu).has_value());
  EXPECT_EQ(RainSpeedOption(*menu), 100);
  EXPECT_EQ(BarHalfWidthOption(*menu), 15);
  EXPECT_EQ(LaneModeOption(*menu), TLaneMode::Normal);
}

TEST_F(OptionsTest, MusicSpeedOfEachItem) {
  const std::pair<const char*, double> cases[] = {
      {"playspeed05", 0.5}, {"playspeed10", 1.0}, {"playspeed15", 1.5}, {"playspeed20", 2.0}};
  for (const auto& [name, factor] : cases) {
    menu->SetChecked(name, true);
    ASSERT_TRUE(MusicSpeedOption(*menu).has_value()) << name;
    EXPECT_EQ(*MusicSpeedOption(*menu), factor) << name;
  }
}

TEST_F(OptionsTest, RainSpeedOfEachItem) {
  const std::pair<const char*, int> cases[] = {{"rainspeed025", 25}, {"rainspeed05", 50},  {"rainspeed10", 100},
                                               {"rainspeed20", 200}, {"rainspeed30", 300}, {"rainspeed40", 400},
                                               {"rainspeed50", 500}, {"rainspeed60", 600}};
  for (const auto& [name, speed] : cases) {
    menu->SetChecked(name, true);
    EXPECT_EQ(RainSpeedOption(*menu), speed) << name;
  }
}

TEST_F(OptionsTest, BarHalfWidthOfEachItem) {
  const std::pair<const char*, int> cases[] = {{"barlength05", 7},  {"barlength10", 15}, {"barlength20", 30},
                                               {"barlength30", 45}, {"barlength40", 60}, {"barlengthinfinity", 2147483646}};
  for (const auto& [name, halfWidth] : cases) {
    menu->SetChecked(name, true);
    EXPECT_EQ(BarHalfWidthOption(*menu), halfWidth) << name;
  }
}

TEST_F(OptionsTest, RainChannelsFollowTheChannelItemsAndAllOnAllOff) {
  menu->SetChecked("playch10", false);
  TChannelFlags channels = RainChannelsOption(*menu);
  for (int c = 0; c < 16; ++c) EXPECT_EQ(channels[c], c != 9) << c;
  SetAllChannels(*menu, false);
  channels = RainChannelsOption(*menu);
  for (bool on : channels) EXPECT_FALSE(on);
  menu->SetChecked("playch16", true);
  EXPECT_TRUE(RainChannelsOption(*menu)[15]);
  SetAllChannels(*menu, true);
  for (bool on : RainChannelsOption(*menu)) EXPECT_TRUE(on);
}

TEST_F(OptionsTest, LaneModeOfTheCheckedPositionItem) {
  EXPECT_EQ(LaneModeOption(*menu), TLaneMode::Normal);
  menu->SetChecked("MIRROR", true);
  EXPECT_EQ(LaneModeOption(*menu), TLaneMode::Mirror);
  menu->SetChecked("NRANDOM", true);
  EXPECT_EQ(LaneModeOption(*menu), TLaneMode::NRandom);
  menu->SetChecked("SRANDOM", true);
  EXPECT_EQ(LaneModeOption(*menu), TLaneMode::SRandom);
}

}  // namespace
