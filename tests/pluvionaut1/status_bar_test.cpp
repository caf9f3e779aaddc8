#include "game/pluvionaut1/status_bar.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "tests/support/qt_test_app.h"

namespace {

TEST(StatusTextTest, CountsArePaddedToFiveDigitsAndNeverCut) {
  EXPECT_EQ(GoodPanelText(123), QStringLiteral("Good 00123"));
  EXPECT_EQ(BadPanelText(6), QStringLiteral("Bad 00006"));
  EXPECT_EQ(GoodPanelText(0), QStringLiteral("Good 00000"));
  EXPECT_EQ(GoodPanelText(1234567), QStringLiteral("Good 1234567"));
  EXPECT_EQ(BadPanelText(-5), QStringLiteral("Bad -00005"));
}

TEST(StatusTextTest, BpmShowsTheIntegerPartInThreeDigits) {
  EXPECT_EQ(BpmPanelText(120.0), QStringLiteral("BPM 120"));
  EXPECT_EQ(BpmPanelText(119.999), QStringLiteral("BPM 119"));
  EXPECT_EQ(BpmPanelText(7.5), QStringLiteral("BPM 007"));
  EXPECT_EQ(BpmPanelText(0.0), QStringLiteral("BPM 000"));
  EXPECT_EQ(BpmPanelText(60000000.0), QStringLiteral("BPM 60000000"));
  EXPECT_EQ(BpmPanelText(1e300), QStringLiteral("BPM 000"));
}

TEST(StatusTextTest, TimeShowsMinutesAndTwoDigitSeconds) {
  EXPECT_EQ(TimePanelText(0, 123000), QStringLiteral("0:00 / 2:03"));
  EXPECT_EQ(TimePanelText(65000, 200000), QStringLiteral("1:05 / 3:20"));
  EXPECT_EQ(TimePanelText(59999, 60000), QStringLiteral("0:59 / 1:00"));
  EXPECT_EQ(TimePanelText(3600000, 7199999), QStringLiteral("60:00 / 119:59"));
  EXPECT_EQ(TimePanelText(0, 0), QStringLiteral("0:00 / 0:00"));
}

TEST(StatusTextTest, FrameRateIsTheCountFollowedByFps) {
  EXPECT_EQ(FrameRatePanelText(60), QStringLiteral("60fps"));
  EXPECT_EQ(FrameRatePanelText(0), QStringLiteral("0fps"));
}

TEST(StatusBarWidgetTest, LiesOverTheBottomRowsWithSixPanels) {
  TestApp();
  QWidget drawing;
  drawing.setFixedSize(640, 480);
  TStatusBar bar(&drawing);
  EXPECT_EQ(bar.geometry(), QRect(0, 461, 640, 19));
  EXPECT_EQ(bar.objectName(), QStringLiteral("StatusBar1"));
  const int widths[kStatusPanelCount] = {330, 40, 70, 70, 60, 60};
  for (int i = 0; i < kStatusPanelCount; ++i) EXPECT_EQ(TStatusBar::PanelWidth(i), widths[i]) << i;
  EXPECT_TRUE(TStatusBar::PanelAlignment(0) & Qt::AlignLeft);
  EXPECT_TRUE(TStatusBar::PanelAlignment(1) & Qt::AlignRight);
  for (int i = 2; i < kStatusPanelCount; ++i) EXPECT_TRUE(TStatusBar::PanelAlignment(i) & Qt::AlignHCenter) << i;
  bar.SetPanelText(kGoodPanel, GoodPanelText(42));
  EXPECT_EQ(bar.PanelText(kGoodPanel), QStringLiteral("Good 00042"));
  EXPECT_EQ(bar.PanelText(kHintPanel), QString());
  EXPECT_THROW(bar.SetPanelText(kStatusPanelCount, QString()), std::out_of_range);
}

TEST(StatusBarWidgetTest, ReadoutsFitTheirPanelsInTheFormFont) {
  TestApp();
  QWidget drawing;
  drawing.setFixedSize(640, 480);
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPixelSize(12);
  drawing.setFont(font);
  TStatusBar bar(&drawing);
  const QFontMetrics metrics = bar.fontMetrics();
  // Bevel and margins take 6 pixels of a panel.
  EXPECT_LE(metrics.horizontalAdvance(GoodPanelText(123)), TStatusBar::PanelWidth(kGoodPanel) - 6);
  EXPECT_LE(metrics.horizontalAdvance(TimePanelText(0, 123000)), TStatusBar::PanelWidth(kTimePanel) - 6);
  EXPECT_LE(metrics.horizontalAdvance(FrameRatePanelText(60)), TStatusBar::PanelWidth(kFrameRatePanel) - 6);
}

}  // namespace
