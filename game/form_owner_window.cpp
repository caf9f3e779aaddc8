#include "game/form_owner_window.h"

#include <QWidget>

#include "game/draw_area.h"

HWND TFormOwnerWindow::Handle() { return reinterpret_cast<HWND>(m_client); }

int TFormOwnerWindow::ClientWidth() const { return m_client->width(); }

int TFormOwnerWindow::ClientHeight() const { return m_client->height(); }

int TFormOwnerWindow::Width() const { return m_window->frameGeometry().width(); }

int TFormOwnerWindow::Height() const { return m_window->frameGeometry().height(); }

int TFormOwnerWindow::Left() const { return m_window->frameGeometry().x(); }

int TFormOwnerWindow::Top() const { return m_window->frameGeometry().y(); }

void TFormOwnerWindow::SetWindowPos(int left, int top, int width, int height, bool show) {
  const int frameWidth = Width() - ClientWidth();
  const int frameHeight = Height() - ClientHeight();
  const int clientWidth = width - frameWidth;
  const int clientHeight = height - frameHeight;
  // The window's size follows its drawing (it is fixed to its layout).
  if (clientWidth > 0 && clientHeight > 0 && (clientWidth != ClientWidth() || clientHeight != ClientHeight())) {
    m_client->setFixedSize(clientWidth, clientHeight);
  }
  m_window->move(left, top);
  if (show) m_window->show();
}
