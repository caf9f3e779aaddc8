// StatusBar1: the six-panel status bar that lies over the bottom rows of the
// drawing (hint, frame rate, Good, Bad, BPM, time), and the texts the frame
// loop writes into it. Main thread only; the widget belongs to its parent.
#pragma once

#include <QString>
#include <QWidget>

#include <array>

inline constexpr int kStatusPanelCount = 6;
inline constexpr int kStatusBarHeight = 19;  // pixels; covers rows 461..479 of the 480-row drawing

// Panel indices.
inline constexpr int kHintPanel = 0;
inline constexpr int kFrameRatePanel = 1;
inline constexpr int kGoodPanel = 2;
inline constexpr int kBadPanel = 3;
inline constexpr int kBpmPanel = 4;
inline constexpr int kTimePanel = 5;

class TStatusBar : public QWidget {
 public:
  // Placed at the bottom of parent, over its content, full width.
  explicit TStatusBar(QWidget* parent);

  // Repaints only when the text changed (the frame loop sets the panels
  // every frame).
  void SetPanelText(int index, const QString& text);
  QString PanelText(int index) const { return m_texts.at(static_cast<std::size_t>(index)); }
  static int PanelWidth(int index);
  // The width a text has inside its panel's bevel at x1; a wider one is cut.
  static int TextRoom(int index);
  static Qt::Alignment PanelAlignment(int index);

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void NarrowFont();

  std::array<QString, kStatusPanelCount> m_texts;
};

// "Good " + count as "%5.5d": "Good 00123".
QString GoodPanelText(int goodCount);
// "Bad " + count as "%5.5d".
QString BadPanelText(int badCount);
// "BPM " + the integer part of bpm as "%3.3d": "BPM 120".
QString BpmPanelText(double bpm);
// "M:SS / M:SS" of the position and the end: "0:00 / 2:03".
QString TimePanelText(int positionMs, int endTimeMs);
// The frame count followed by "fps": "60fps".
QString FrameRatePanelText(int frameCount);
