#include "game/view/view_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

// 4:3 pictures are built from blocks of this many pixels across and down.
constexpr int kAspectWidth = 4;
constexpr int kAspectHeight = 3;
constexpr int kLargestIntegerScale = 3;
// The smallest fitted picture: half the designed size.
constexpr int kSmallestFittedWidth = kPictureWidth / 2;

int ScaledMenuBarHeight(const TWindowRoom& room, QSize picture) {
  return static_cast<int>(std::lround(static_cast<double>(room.MenuBarHeight) * picture.height() / kPictureHeight));
}

}  // namespace

std::string WindowScaleValue(TWindowScale scale) {
  switch (scale) {
    case TWindowScale::X2:
      return "2";
    case TWindowScale::X3:
      return "3";
    case TWindowScale::Fit:
      return "fit";
    case TWindowScale::X1:
      break;
  }
  return "1";
}

std::optional<TWindowScale> ParseWindowScale(std::string_view value) {
  if (value == "1") return TWindowScale::X1;
  if (value == "2") return TWindowScale::X2;
  if (value == "3") return TWindowScale::X3;
  if (value == "fit") return TWindowScale::Fit;
  return std::nullopt;
}

bool PictureFits(const TWindowRoom& room, QSize picture) {
  return picture.width() + room.Frame.width() <= room.WorkArea.width() &&
         picture.height() + ScaledMenuBarHeight(room, picture) + room.Frame.height() <= room.WorkArea.height();
}

QSize FittedPictureSize(const TWindowRoom& room) {
  // Width and height the room leaves; the menu bar grows with the picture,
  // so the height available per picture row is found by scaling both.
  const double roomWidth = room.WorkArea.width() - room.Frame.width();
  const double roomHeight = room.WorkArea.height() - room.Frame.height();
  const double byHeight = roomHeight / (kPictureHeight + room.MenuBarHeight) * kPictureHeight;
  const double width = std::min(roomWidth, byHeight * kAspectWidth / kAspectHeight);
  int blocks = static_cast<int>(std::floor(width / kAspectWidth));
  blocks = std::max(blocks, kSmallestFittedWidth / kAspectWidth);
  QSize picture(blocks * kAspectWidth, blocks * kAspectHeight);
  // The menu bar's height is rounded to whole pixels, which may win or cost
  // a block: step until the picture is the largest that fits.
  const QSize block(kAspectWidth, kAspectHeight);
  while (!PictureFits(room, picture) && picture.width() > kSmallestFittedWidth) picture -= block;
  while (PictureFits(room, picture + block)) picture += block;
  return picture;
}

TWindowScale EffectiveScale(TWindowScale requested, const TWindowRoom& room) {
  if (requested == TWindowScale::Fit || requested == TWindowScale::X1) return requested;
  int factor = requested == TWindowScale::X3 ? kLargestIntegerScale : 2;
  while (factor > 1 && !PictureFits(room, QSize(kPictureWidth * factor, kPictureHeight * factor))) --factor;
  return factor == kLargestIntegerScale ? TWindowScale::X3 : factor == 2 ? TWindowScale::X2 : TWindowScale::X1;
}

QSize PictureSizeFor(TWindowScale scale, const TWindowRoom& room) {
  switch (EffectiveScale(scale, room)) {
    case TWindowScale::Fit:
      return FittedPictureSize(room);
    case TWindowScale::X3:
      return {kPictureWidth * kLargestIntegerScale, kPictureHeight * kLargestIntegerScale};
    case TWindowScale::X2:
      return {kPictureWidth * 2, kPictureHeight * 2};
    case TWindowScale::X1:
      break;
  }
  return {kPictureWidth, kPictureHeight};
}

QRect LetterboxRect(QSize area) {
  if (area.width() <= 0 || area.height() <= 0) return {};
  // Width limited by the height (bars left and right) or the other way round.
  int width = area.width();
  int height = area.height();
  if (static_cast<long long>(width) * kAspectHeight > static_cast<long long>(height) * kAspectWidth) {
    width = static_cast<int>(static_cast<long long>(height) * kAspectWidth / kAspectHeight);
  } else {
    height = static_cast<int>(static_cast<long long>(width) * kAspectHeight / kAspectWidth);
  }
  return {(area.width() - width) / 2, (area.height() - height) / 2, width, height};
}

int PlayFieldX(double widgetX, const QRect& pictureRect) {
  if (pictureRect.width() <= 0) return static_cast<int>(std::floor(widgetX));
  const double x = (widgetX - pictureRect.x()) * kPictureWidth / pictureRect.width();
  // Far outside any screen the value is still an int.
  constexpr double kLimit = 1e9;
  return static_cast<int>(std::floor(std::clamp(x, -kLimit, kLimit)));
}

double PictureScale(const QRect& pictureRect) {
  return pictureRect.height() > 0 ? static_cast<double>(pictureRect.height()) / kPictureHeight : 1.0;
}
