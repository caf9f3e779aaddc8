// The application object of the real program on Qt: pumps Qt events and the
// posted messages of message windows, shows message boxes (from any thread,
// on the main thread), and wakes the main loop when another thread posts a
// message. Box texts are Japanese source texts shown through Tr. Created on
// the main thread after the QApplication and before the main window;
// installs itself as Application() for its lifetime.
#pragma once

#include <QString>

#include "platform/ui/application.h"

class QWidget;

class TQtApplication : public TApplication {
 public:
  TQtApplication();
  ~TQtApplication() override;
  TQtApplication(const TQtApplication&) = delete;
  TQtApplication& operator=(const TQtApplication&) = delete;

  void ProcessMessages() override;
  // Modal to the whole application; from another thread the call waits for
  // the main thread to show the box and for the player to answer it.
  int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) override;

  // The window message boxes belong to (the main window); may be null.
  void SetMainWindow(QWidget* window) { m_mainWindow = window; }

 private:
  int ShowMessageBoxHere(const QString& text, const QString& caption, UINT flags);

  QWidget* m_mainWindow = nullptr;
};

// A CP932 message text as Qt shows it: Unicode with plain line feeds.
QString MessageTextForQt(const std::string& cp932);
