#include "game/pluvionaut1/form_owner_window.h"

#include <QWidget>

#include "game/view/draw_area.h"

HWND TFormOwnerWindow::Handle() { return reinterpret_cast<HWND>(m_client); }

// The device's client is the picture in its designed pixels, also when the
// drawing shows it magnified.
int TFormOwnerWindow::ClientWidth() const { return m_client->ClientSize().width(); }

int TFormOwnerWindow::ClientHeight() const { return m_client->ClientSize().height(); }

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
    // An unmagnified drawing takes the new size on the screen as well.
    if (m_client->size() == m_client->ClientSize()) m_client->setFixedSize(clientWidth, clientHeight);
    m_client->SetClientSize(QSize(clientWidth, clientHeight));
  }
  m_window->move(left, top);
  if (show) m_window->show();
}
