// The main window as the device wrapper sees it (TOwnerWindow): its handle is
// the drawing's (the key the drawing is registered under as presentation
// target), its client size the drawing's, its outer size and position the
// Qt window's frame. Main thread only; owned by the main window.
#pragma once

#include "platform/ui/owner_window.h"

class QWidget;
class TDrawArea;

class TFormOwnerWindow : public TOwnerWindow {
 public:
  TFormOwnerWindow(QWidget* window, TDrawArea* client) : m_window(window), m_client(client) {}

  HWND Handle() override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  int Width() const override;
  int Height() const override;
  int Left() const override;
  int Top() const override;
  // Moves the frame to (left, top) and gives the drawing the client size
  // that the outer size leaves; show makes the window visible.
  void SetWindowPos(int left, int top, int width, int height, bool show) override;

 private:
  QWidget* m_window;
  TDrawArea* m_client;
};
