#include "game/pluvionaut1/status_bar.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPalette>

#include <cmath>
#include <cstdio>

#include "game/core/play_field_size.h"

namespace {

constexpr std::array<int, kStatusPanelCount> kPanelWidths = {330, 40, 70, 70, 60, 60};
constexpr int kPanelGap = 2;        // pixels between two panels' bevels
constexpr int kTextMargin = 2;      // pixels between a bevel and its text
// The IPA face that stands in for the designed one runs wider than it; a
// narrower set keeps "Good 00123" inside its 70 pixels and "0:00 / 2:03"
// inside its 60, as on the system the widths were chosen for.
constexpr int kReadoutStretch = 80;
constexpr int kMsPerMinute = 60000;
constexpr int kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;

QString Formatted(const char* format, long long value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, value);
  return QString::fromLatin1(buf);
}

QString MinutesAndSeconds(int ms) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d:%2.2d", ms / kMsPerMinute, (ms / kMsPerSecond) % kSecondsPerMinute);
  return QString::fromLatin1(buf);
}

}  // namespace

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("StatusBar1"));
  // A control's face colour, not the white of the drawing it lies on.
  setPalette(QApplication::palette(this));
  setAutoFillBackground(true);
  // The drawing underneath has a cross-hair; the bar is an ordinary control.
  setCursor(Qt::ArrowCursor);
  setGeometry(0, parent->height() - kStatusBarHeight, parent->width(), kStatusBarHeight);
  NarrowFont();
}

void TStatusBar::NarrowFont() {
  if (font().stretch() == kReadoutStretch) return;
  QFont narrow = font();
  narrow.setStretch(kReadoutStretch);
  setFont(narrow);
}

void TStatusBar::changeEvent(QEvent* event) {
  // The font comes from the window; keep its face and size, narrowed.
  if (event->type() == QEvent::FontChange) NarrowFont();
  QWidget::changeEvent(event);
}

void TStatusBar::SetPanelText(int index, const QString& text) {
  QString& current = m_texts.at(static_cast<std::size_t>(index));
  if (current == text) return;
  current = text;
  update();
}

int TStatusBar::PanelWidth(int index) { return kPanelWidths.at(static_cast<std::size_t>(index)); }

int TStatusBar::TextRoom(int index) { return PanelWidth(index) - kPanelGap - 1 - 2 * kTextMargin; }

Qt::Alignment TStatusBar::PanelAlignment(int index) {
  if (index == kFrameRatePanel) return Qt::AlignRight | Qt::AlignVCenter;
  if (index >= kGoodPanel) return Qt::AlignHCenter | Qt::AlignVCenter;
  return Qt::AlignLeft | Qt::AlignVCenter;
}

void TStatusBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // The panels are laid out on the designed 640 x 19 bar; a larger window
  // shows the same bar magnified, bevels and texts alike.
  painter.fillRect(rect(), palette().color(QPalette::Window));
  painter.scale(static_cast<double>(width()) / kPlayFieldWidth, static_cast<double>(height()) / kStatusBarHeight);
  const QPalette& pal = palette();
  const int designHeight = kStatusBarHeight;
  int left = 0;
  for (int i = 0; i < kStatusPanelCount; ++i) {
    const int width = PanelWidth(i);
    // A lowered bevel: dark top and left edges, light bottom and right ones.
    const QRect bevel(left, kPanelGap, width - kPanelGap - 1, designHeight - kPanelGap - 1);
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(bevel.topLeft(), bevel.topRight());
    painter.drawLine(bevel.topLeft(), bevel.bottomLeft());
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(bevel.bottomLeft(), bevel.bottomRight());
    painter.drawLine(bevel.topRight(), bevel.bottomRight());
    const QRect textRect = bevel.adjusted(kTextMargin, 0, -kTextMargin, 0);
    painter.setPen(pal.color(QPalette::WindowText));
    // A text too long for its panel is cut at the panel's edge.
    painter.drawText(textRect, static_cast<int>(PanelAlignment(i)), m_texts[static_cast<std::size_t>(i)]);
    left += width;
  }
}

QString GoodPanelText(int goodCount) { return QStringLiteral("Good ") + Formatted("%5.5lld", goodCount); }

QString BadPanelText(int badCount) { return QStringLiteral("Bad ") + Formatted("%5.5lld", badCount); }

QString BpmPanelText(double bpm) {
  // Integer part, toward zero; a value no integer can hold shows as 0.
  const double whole = std::trunc(bpm);
  const long long value = std::isfinite(whole) && std::fabs(whole) < 1e15 ? static_cast<long long>(whole) : 0;
  return QStringLiteral("BPM ") + Formatted("%3.3lld", value);
}

QString TimePanelText(int positionMs, int endTimeMs) {
  return MinutesAndSeconds(positionMs) + QStringLiteral(" / ") + MinutesAndSeconds(endTimeMs);
}

QString FrameRatePanelText(int frameCount) { return QString::number(frameCount) + QStringLiteral("fps"); }
