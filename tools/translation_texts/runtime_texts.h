// The texts the game passes through Tr while it runs: a translator that
// translates nothing and records every source text of the game's context,
// and the texts of the real main window (every caption and hint, also the
// generated ones, and every Tr made while the window is built). Main thread;
// needs the QApplication.
#pragma once

#include <QTranslator>

#include <set>
#include <string>

class TRecordingTranslator : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                    int n = -1) const override;
  bool isEmpty() const override { return false; }

  // UTF-8 source texts asked for in the context "Pluvionaut".
  const std::set<std::string>& Texts() const { return m_texts; }

 private:
  mutable std::set<std::string> m_texts;
};

// Builds the main window (Japanese, a settings file of its own in a
// temporary folder, no voice) with a recorder installed, re-applies its
// menu texts, and returns what the recorder saw.
std::set<std::string> MainWindowTexts();
