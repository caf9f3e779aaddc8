#include "game/practice/progress_strip.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "game/core/practice_rules.h"

namespace {

const QColor kBackground(16, 24, 48);
const QColor kDensity(96, 160, 232);
const QColor kLoop(48, 72, 112);
const QColor kPosition(255, 255, 255);
const QColor kMarkA(96, 232, 128);
const QColor kMarkB(255, 160, 64);

}  // namespace

TProgressStrip::TProgressStrip(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  hide();
}

void TProgressStrip::SetSong(const std::vector<int32_t>& noteTimesMs, int32_t endMs) {
  m_endMs = endMs;
  m_density = PracticeStrip::Density(noteTimesMs, kColumns, endMs);
  m_densest = m_density.empty() ? 0 : *std::max_element(m_density.begin(), m_density.end());
  m_positionColumn = m_aColumn = m_bColumn = -1;
  update();
}

int TProgressStrip::ColumnOf(std::optional<int32_t> ms) const {
  return ms ? PracticeStrip::ColumnOf(*ms, kColumns, m_endMs) : -1;
}

void TProgressStrip::SetPosition(int32_t positionMs, std::optional<int32_t> aMs, std::optional<int32_t> bMs) {
  const int position = ColumnOf(positionMs);
  const int a = ColumnOf(aMs);
  const int b = ColumnOf(bMs);
  if (position == m_positionColumn && a == m_aColumn && b == m_bColumn) return;
  m_positionColumn = position;
  m_aColumn = a;
  m_bColumn = b;
  update();
}

int32_t TProgressStrip::TimeAtPoint(int x) const {
  if (width() <= 0) return 0;
  const int column = static_cast<int>(static_cast<int64_t>(x) * kColumns / width());
  return PracticeStrip::TimeAt(column, kColumns, m_endMs);
}

void TProgressStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (OnSeek) OnSeek(TimeAtPoint(static_cast<int>(event->position().x())));
  event->accept();
}

void TProgressStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // Drawn in play-field pixels and magnified with the picture.
  painter.scale(width() / static_cast<double>(kColumns), height() / static_cast<double>(kRows));
  painter.fillRect(QRect(0, 0, kColumns, kRows), kBackground);
  if (m_aColumn >= 0 && m_bColumn >= 0) {
    const int from = std::min(m_aColumn, m_bColumn);
    painter.fillRect(QRect(from, 0, std::abs(m_bColumn - m_aColumn) + 1, kRows), kLoop);
  }
  for (int column = 0; column < static_cast<int>(m_density.size()) && m_densest > 0; ++column) {
    const int notes = m_density[static_cast<size_t>(column)];
    if (notes == 0) continue;
    // At least one row for a column with a note, all six for the densest.
    const int rows = std::max(1, (notes * kRows + m_densest - 1) / m_densest);
    painter.fillRect(QRect(column, kRows - rows, 1, rows), kDensity);
  }
  if (m_aColumn >= 0) painter.fillRect(QRect(m_aColumn, 0, 1, kRows), kMarkA);
  if (m_bColumn >= 0) painter.fillRect(QRect(m_bColumn, 0, 1, kRows), kMarkB);
  if (m_positionColumn >= 0) painter.fillRect(QRect(m_positionColumn, 0, 1, kRows), kPosition);
}
