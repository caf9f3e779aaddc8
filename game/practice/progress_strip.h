// TProgressStrip: the strip across the top of the play field in practice
// games: the song's note density in columns, the position, and the A and B
// marks; a click on it asks to seek there. It draws in play-field pixels
// (640 columns, 6 rows) scaled to its size. Main thread only; a child of the
// drawing area, which places it.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "game/core/play_field_size.h"

class TProgressStrip : public QWidget {
 public:
  static constexpr int kRows = 6;  // play-field pixels
  static constexpr int kColumns = kPlayFieldWidth;

  explicit TProgressStrip(QWidget* parent);

  // The song it shows: the times of its notes and its length (ms).
  void SetSong(const std::vector<int32_t>& noteTimesMs, int32_t endMs);
  // Where the song stands and the marks; repaints only on a change of column.
  void SetPosition(int32_t positionMs, std::optional<int32_t> aMs, std::optional<int32_t> bMs);
  // The song time under a point of the strip (widget pixels).
  int32_t TimeAtPoint(int x) const;
  // A click asks for a seek to this song time.
  std::function<void(int32_t ms)> OnSeek;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  int ColumnOf(std::optional<int32_t> ms) const;

  std::vector<int> m_density;  // notes per column
  int m_densest = 0;
  int32_t m_endMs = 0;
  int m_positionColumn = -1;
  int m_aColumn = -1;
  int m_bColumn = -1;
};
