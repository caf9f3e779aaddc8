// The main window of the window tests: its own settings file in a private
// folder, voice lines recorded instead of played (none is waited for unless
// a test says so), Qt's offscreen platform with a 1920 x 1080 screen.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "game/pluvionaut1/pluvionaut1.h"
#include "game/core/voice_cues.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/ui/application.h"
#include "tests/support/qt_test_app.h"

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir = std::filesystem::temp_directory_path() / ("pluv_window_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    iniPath = (dir / "pluvionaut.ini").string();
    std::filesystem::remove(iniPath);
    SetSettingsPathForTesting(iniPath);
    SetVoiceLineOutput([this](const std::string& name) {
      voices.push_back(name);
      return farewellPlays && name == kFarewellVoice;
    });
    HeadlessApplication().ClearMessageBoxes();
  }
  void TearDown() override {
    form.reset();
    ResetVoiceLineOutput();
    std::filesystem::remove_all(dir);
  }
  // The settings file before the window is made (UTF-8 here, CP932 on disk).
  void WriteSettings(const std::string& utf8) { std::ofstream(iniPath, std::ios::binary) << Utf8ToCp932(utf8); }
  std::string Settings() const {
    std::ifstream in(iniPath, std::ios::binary);
    return Cp932ToUtf8(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  }
  void Create() { form = std::make_unique<TForm1>(); }
  void ShowAndActivate() {
    form->show();
    form->windowHandle()->requestActivate();
    for (int i = 0; i < 20 && !form->isActiveWindow(); ++i) QCoreApplication::processEvents();
  }

  std::filesystem::path dir;
  std::string iniPath;
  std::vector<std::string> voices;
  bool farewellPlays = false;
  std::unique_ptr<TForm1> form;
};
