// The fixture of the end-to-end tests: a private X display, a folder the
// built game starts from (see game_folder.h), the game's process, and where
// the screenshots go. Test main thread only.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "x_session.h"

class TGameSessionTest : public ::testing::Test {
 protected:
  static constexpr int kWindowLimitMs = 30000;

  // Xvfb with one screen of that size and the game's folder (named after
  // tag) with song as its tutorial song. Skips the test when Xvfb, xdotool
  // or ImageMagick, or the built game, is missing (see IsSkipped()).
  void StartSession(const std::string& tag, const std::vector<uint8_t>& song,
                    const std::string& screen = "1024x768x24");
  void TearDown() override;
  // The settings file of the folder's game, from UTF-8 (CP932 on disk).
  void WriteSettings(const std::string& utf8) const;
  // Starts exe (empty: the folder's copy) in folder (empty: the game's
  // folder) and waits for its main window, which gets the keyboard; the
  // window's id, or empty when none came.
  std::string StartGame(const std::string& exe = {}, const std::string& folder = {},
                        const TEnvironment& more = {});
  std::string Shot(const std::string& name) const { return (m_shots / name).string(); }

  TXSession m_x;
  TChildProcess m_game;
  std::filesystem::path m_folder;
  std::filesystem::path m_shots;
};
