// Where a presented frame differs from the one before it. A game's picture
// changes where the drops fall and the bar moves; at x3 or in full screen most
// of a frame's cost is the magnification and the hand-over of its pixels, so
// only the parts that changed are drawn again. Rows are taken in bands: each
// band that changed gives one rectangle, from its first to its last changed
// row and column. Plain arithmetic; any thread.
#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

#include <cstdint>

// Copies a frame of frame's size (32-bit pixels, rows pitchBytes apart) into
// frame and returns where it differs from what frame held, in frame pixels.
QRegion CopyFrameChanges(QImage& frame, const std::uint32_t* pixels, int pitchBytes);

// The part of a picture of sourceSize, shown in pictureRect, that a change of
// the source rectangle touches: one source pixel more on every side, for the
// rounding of whole pixels and for smooth filtering, which blends neighbours.
QRect ShownChange(const QRect& source, QSize sourceSize, const QRect& pictureRect);
