// The window a graphics device belongs to, as the device wrapper sees it:
// a handle, client and outer sizes, a position and SetWindowPos. The game's
// Qt window implements it; tests use THeadlessWindow. Main thread only.
#pragma once

#include "platform/wintypes/wintypes.h"

class TOwnerWindow {
 public:
  virtual ~TOwnerWindow() = default;

  // The window's handle; also what a presentation target is registered under.
  virtual HWND Handle() = 0;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  // Outer size, frame and menu included.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  // Moves and sizes the outer window (Windows SetWindowPos with
  // HWND_NOTOPMOST; show = SWP_SHOWWINDOW).
  virtual void SetWindowPos(int left, int top, int width, int height, bool show) = 0;
};

// A window without a window system: a fixed frame around the client area.
class THeadlessWindow : public TOwnerWindow {
 public:
  THeadlessWindow(int clientWidth, int clientHeight, int frameWidth = 8, int frameHeight = 50)
      : m_clientWidth(clientWidth), m_clientHeight(clientHeight), m_frameWidth(frameWidth),
        m_frameHeight(frameHeight) {}

  HWND Handle() override { return reinterpret_cast<HWND>(this); }
  int ClientWidth() const override { return m_clientWidth; }
  int ClientHeight() const override { return m_clientHeight; }
  int Width() const override { return m_clientWidth + m_frameWidth; }
  int Height() const override { return m_clientHeight + m_frameHeight; }
  int Left() const override { return m_left; }
  int Top() const override { return m_top; }
  void SetWindowPos(int left, int top, int width, int height, bool show) override {
    m_left = left;
    m_top = top;
    m_clientWidth = width - m_frameWidth;
    m_clientHeight = height - m_frameHeight;
    m_shown = m_shown || show;
  }
  bool Shown() const { return m_shown; }

 private:
  int m_clientWidth;
  int m_clientHeight;
  int m_frameWidth;
  int m_frameHeight;
  int m_left = 0;
  int m_top = 0;
  bool m_shown = false;
};
