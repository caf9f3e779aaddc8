// A test helper of the window's tests: closes every application-modal message
// box as soon as the event loop shows it, and keeps its caption and text.
// Main thread; the boxes are answered while the test runs the event loop.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Closes every application-modal message box as soon as the event loop shows
// it and keeps its caption and text.
class TMessageBoxCloser {
 public:
  TMessageBoxCloser() {
    m_timer.setInterval(0);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      m_captions << box->windowTitle();
      m_texts << box->text();
      box->accept();
    });
    m_timer.start();
  }
  const QStringList& Captions() const { return m_captions; }
  const QStringList& Texts() const { return m_texts; }

 private:
  QTimer m_timer;
  QStringList m_captions;
  QStringList m_texts;
};
