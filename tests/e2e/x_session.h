// A private X display for the end-to-end test: Xvfb on a free display number
// (-displayfd), xdotool and ImageMagick's import run against it, the game's
// windows found by name. Test-only; the test's main thread. The session owns
// its Xvfb and stops it when destroyed.
#pragma once

#include <QImage>
#include <QRect>

#include <string>
#include <vector>

#include "child_process.h"

class TXSession {
 public:
  // Which of the needed programs are missing (empty when all are there).
  static std::vector<std::string> MissingPrograms();

  // Starts Xvfb with one screen of that size ("1024x768x24" unless told);
  // false when it gave no display within its limit.
  bool Start(const std::string& screen = "1024x768x24");
  const std::string& Display() const { return m_display; }
  // The test's environment pointed at this display.
  TEnvironment Environment(const TEnvironment& more = {}) const;

  // xdotool with the arguments; the output (window ids, one a line).
  TCommandResult XDoTool(const std::vector<std::string>& args, int limitMs = 10000) const;
  // Visible windows whose name matches the regular expression.
  std::vector<std::string> FindWindows(const std::string& nameRegex) const;
  std::vector<std::string> WindowsOfProcess(pid_t pid) const;
  // The window's frame on the screen; empty when unknown.
  QRect Geometry(const std::string& window) const;
  // Gives the window the keyboard and sends keys ("alt+p", "Return"...).
  void Focus(const std::string& window) const;
  void Keys(const std::vector<std::string>& keys) const;
  void MoveMouse(int x, int y) const;
  // The whole screen; a null image when the shot failed. Also written to
  // savePath when it is not empty.
  QImage Screenshot(const std::string& savePath) const;

 private:
  TChildProcess m_xvfb;
  std::string m_display;
};
