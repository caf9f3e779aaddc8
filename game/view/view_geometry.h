// Where the 640 x 480 picture goes on today's screens: the window sizes of
// the View menu (x1, x2, x3, fitted to the work area), the letterboxed
// picture in an area of any size, and the way back from a point on the
// scaled picture to a play-field pixel. Plain arithmetic; any thread.
#pragma once

#include "game/core/play_field_size.h"

#include <QRect>
#include <QSize>

#include <optional>
#include <string>
#include <string_view>

// The designed picture: every coordinate of the game lies in it.
inline constexpr int kPictureWidth = kPlayFieldWidth;
inline constexpr int kPictureHeight = kPlayFieldHeight;

enum class TWindowScale { X1, X2, X3, Fit };

// The settings value of a scale ("1", "2", "3", "fit") and back; an unknown
// value gives nothing.
std::string WindowScaleValue(TWindowScale scale);
std::optional<TWindowScale> ParseWindowScale(std::string_view value);

// The room a window has on its screen: the screen's work area, the window's
// frame (decoration width and height beyond the client) and the height of the
// menu bar at x1, which grows with the picture.
struct TWindowRoom {
  QSize WorkArea;
  QSize Frame;
  int MenuBarHeight = 0;
};

// True when a picture of that size and the menu bar scaled with it fit the room.
bool PictureFits(const TWindowRoom& room, QSize picture);
// The largest 4:3 picture (a multiple of 4 x 3 pixels) that fits the room;
// never below half the designed size.
QSize FittedPictureSize(const TWindowRoom& room);
// The picture size of a scale; x2 and x3 that do not fit fall back to the
// largest integer scale that does (x1 always stays x1).
QSize PictureSizeFor(TWindowScale scale, const TWindowRoom& room);
// The scale actually used for a request in that room (the fallback above;
// Fit stays Fit).
TWindowScale EffectiveScale(TWindowScale requested, const TWindowRoom& room);

// The largest 4:3 rectangle centred in an area (black bars beside or above
// and below it).
QRect LetterboxRect(QSize area);
// A widget x on the picture shown in pictureRect as a play-field x: whole
// pixels toward minus infinity, so a point left of the picture gives a
// negative x and one right of it 640 or more, as on the unscaled window.
int PlayFieldX(double widgetX, const QRect& pictureRect);
// The magnification of a picture rectangle (its height over 480).
double PictureScale(const QRect& pictureRect);
