// The one QApplication of a game test executable (offscreen platform), made
// on first use and kept for the whole run.
#pragma once

#include <QApplication>

inline QApplication& TestApp() {
  static int argc = 1;
  static char arg0[] = "game_test";
  static char* argv[] = {arg0, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}
