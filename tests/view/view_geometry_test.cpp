// The arithmetic of the window sizes: letterboxing, the way back from the
// scaled picture to play-field pixels, the sizes that fit a screen.
#include "game/view/view_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ViewGeometry, TheLetterboxIsTheLargestCentredFourToThreeRectangleInside) {
  for (int w = 1; w <= 4000; w += 37) {
    for (int h = 1; h <= 2400; h += 29) {
      const QRect r = LetterboxRect(QSize(w, h));
      ASSERT_TRUE(QRect(0, 0, w, h).contains(r)) << w << "x" << h;
      // One side fills the area; the other keeps 4:3 to within a pixel.
      EXPECT_TRUE(r.width() == w || r.height() == h) << w << "x" << h;
      EXPECT_LE(std::abs(r.width() * 3 - r.height() * 4), 4) << w << "x" << h;
      // Centred: the bars on both sides differ by at most a pixel.
      EXPECT_LE(std::abs(r.left() - (w - r.right() - 1)), 1);
      EXPECT_LE(std::abs(r.top() - (h - r.bottom() - 1)), 1);
    }
  }
  EXPECT_EQ(LetterboxRect(QSize(640, 480)), QRect(0, 0, 640, 480));
  EXPECT_EQ(LetterboxRect(QSize(1920, 1080 - 40)), QRect(267, 0, 1386, 1040));
  EXPECT_TRUE(LetterboxRect(QSize(0, 480)).isNull());
}

TEST(ViewGeometry, EveryScaledPixelMapsBackToItsPlayFieldColumn) {
  const QRect pictures[] = {QRect(0, 0, 640, 480), QRect(0, 0, 1280, 960), QRect(0, 0, 1920, 1440),
                            QRect(0, 0, 1396, 1047), QRect(267, 0, 1386, 1040)};
  for (const QRect& picture : pictures) {
    for (int x = picture.left(); x <= picture.right(); ++x) {
      // Any point inside a screen pixel, its edges included, lies in the
      // play-field column that the pixel shows.
      const int column = PlayFieldX(x + 0.5, picture);
      ASSERT_GE(column, 0);
      ASSERT_LT(column, kPictureWidth);
      const double left = picture.left() + static_cast<double>(column) * picture.width() / kPictureWidth;
      const double right = picture.left() + static_cast<double>(column + 1) * picture.width() / kPictureWidth;
      ASSERT_LE(left, x + 0.5);
      ASSERT_GT(right, x + 0.5);
    }
    // Beside the picture the x lies outside 0..639, as beside the x1 window.
    EXPECT_LT(PlayFieldX(picture.left() - 0.25, picture), 0);
    EXPECT_GE(PlayFieldX(picture.right() + 1.0, picture), kPictureWidth);
  }
  EXPECT_EQ(PlayFieldX(301.0, QRect(0, 0, 640, 480)), 301);
  EXPECT_EQ(PlayFieldX(601.0, QRect(0, 0, 1280, 960)), 300);
  EXPECT_EQ(PlayFieldX(-1.0, QRect(0, 0, 1280, 960)), -1);
  EXPECT_EQ(PlayFieldX(1e12, QRect(0, 0, 1280, 960)), 1000000000);
}

TEST(ViewGeometry, SizesThatDoNotFitFallBackToTheLargestThatDoes) {
  const TWindowRoom fullHd{QSize(1920, 1080), QSize(0, 0), 18};
  EXPECT_EQ(EffectiveScale(TWindowScale::X3, fullHd), TWindowScale::X2);
  EXPECT_EQ(PictureSizeFor(TWindowScale::X3, fullHd), QSize(1280, 960));
  EXPECT_EQ(PictureSizeFor(TWindowScale::X2, fullHd), QSize(1280, 960));
  const TWindowRoom small{QSize(1280, 800), QSize(8, 30), 18};
  EXPECT_EQ(EffectiveScale(TWindowScale::X2, small), TWindowScale::X1);
  EXPECT_EQ(PictureSizeFor(TWindowScale::X1, TWindowRoom{QSize(320, 200), QSize(), 18}), QSize(640, 480));
  const TWindowRoom uhd{QSize(3840, 2160), QSize(8, 30), 18};
  EXPECT_EQ(PictureSizeFor(TWindowScale::X3, uhd), QSize(1920, 1440));
  // Fitted: the largest 4:3 size with the menu bar grown alike.
  for (const TWindowRoom& room : {fullHd, small, uhd, TWindowRoom{QSize(1024, 2000), QSize(4, 24), 20}}) {
    const QSize fitted = FittedPictureSize(room);
    EXPECT_EQ(fitted.width() * 3, fitted.height() * 4);
    EXPECT_TRUE(PictureFits(room, fitted)) << fitted.width();
    EXPECT_FALSE(PictureFits(room, fitted + QSize(4, 3))) << fitted.width();
    EXPECT_EQ(PictureSizeFor(TWindowScale::Fit, room), fitted);
  }
}

TEST(ViewGeometry, ScaleValuesReadBackAndUnknownOnesAreRefused) {
  for (TWindowScale s : {TWindowScale::X1, TWindowScale::X2, TWindowScale::X3, TWindowScale::Fit}) {
    EXPECT_EQ(ParseWindowScale(WindowScaleValue(s)), s);
  }
  EXPECT_EQ(WindowScaleValue(TWindowScale::Fit), "fit");
  for (const char* bad : {"", "4", "x2", "FIT", "2.0", " 1"}) EXPECT_FALSE(ParseWindowScale(bad).has_value()) << bad;
}

}  // namespace
