#include "game_session.h"

#include <fstream>

#include "game_folder.h"
#include "platform/kernel/cp932.h"

namespace fs = std::filesystem;

void TGameSessionTest::StartSession(const std::string& tag, const std::vector<uint8_t>& song,
                                    const std::string& screen) {
  const std::vector<std::string> missing = TXSession::MissingPrograms();
  if (!missing.empty()) GTEST_SKIP() << "missing " << missing.front() << ": no end-to-end run";
  const fs::path bin = PLUV_BIN_DIR;
  if (!fs::exists(bin / "pluvionaut")) GTEST_SKIP() << "the game is not built";
  ASSERT_TRUE(m_x.Start(screen)) << "Xvfb gave no display";
  m_folder = MakeGameFolder(bin, tag, song);
  m_shots = ScreenshotFolder(bin);
}

void TGameSessionTest::TearDown() {
  m_game.Stop();
  if (!m_folder.empty()) fs::remove_all(m_folder);
}

void TGameSessionTest::WriteSettings(const std::string& utf8) const {
  std::ofstream(m_folder / "pluvionaut.ini", std::ios::binary) << Utf8ToCp932(utf8);
}

std::string TGameSessionTest::StartGame(const std::string& exe, const std::string& folder,
                                        const TEnvironment& more) {
  const std::string program = exe.empty() ? (m_folder / "pluvionaut").string() : exe;
  if (!m_game.Start({program}, m_x.Environment(more), folder.empty() ? m_folder.string() : folder)) return {};
  std::string window;
  WaitUntil(kWindowLimitMs, [&] {
    const std::vector<std::string> found = m_x.FindWindows("^Pluvionaut$");
    if (!found.empty()) window = found.front();
    return !window.empty() || !m_game.Running();
  });
  if (!window.empty()) m_x.Focus(window);
  return window;
}
