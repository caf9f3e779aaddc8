// The width check of the game's scripts: lines are measured with the game's
// font as the play field draws them, the game's own scripts fit, and the
// check refuses a line one character too long.
#include "tools/check_script_width/script_width.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/kernel/cp932.h"

namespace fs = std::filesystem;

namespace {

constexpr int kScenarioTextSize = 15;
constexpr int kScenarioMaxWidth = 625;
constexpr int kTutorialTextSize = 12;
constexpr int kTutorialMaxWidth = 533;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(ScriptWidth, TheGamesFontDrawsTenAndEightPixelsPerHalfWidthColumn) {
  TScriptWidth scenario(kScenarioTextSize);
  EXPECT_EQ(scenario.Width("abcd"), 40);
  EXPECT_EQ(scenario.Width(Utf8ToCp932("あいう")), 60);
  TScriptWidth tutorial(kTutorialTextSize);
  EXPECT_EQ(tutorial.Width("abcd"), 32);
  EXPECT_EQ(tutorial.Width(Utf8ToCp932("あいう")), 48);
  EXPECT_EQ(tutorial.Width(""), 0);
}

TEST(ScriptWidth, TheGamesScriptsFitTheirRoom) {
  TScriptWidth scenario(kScenarioTextSize);
  EXPECT_TRUE(scenario.TooWide(ReadFile(fs::path(PLUV_BIN_DIR) / "dat" / "scenario.dat"), kScenarioMaxWidth).empty());
  TScriptWidth tutorial(kTutorialTextSize);
  EXPECT_TRUE(tutorial.TooWide(ReadFile(fs::path(PLUV_BIN_DIR) / "dat" / "tutorial.dat"), kTutorialMaxWidth).empty());
}

TEST(ScriptWidth, ALineOfThirtyTwoFullWidthCharactersIsRefusedByTheTool) {
  // 31 full-width characters are 620 px at size 15; one more is 640 px.
  std::string fits;
  for (int i = 0; i < 31; ++i) fits += "雨";
  const std::string script = Utf8ToCp932(fits) + "\r\n" + Utf8ToCp932(fits + "よ") + "\r\nok";
  TScriptWidth measure(kScenarioTextSize);
  const auto tooWide = measure.TooWide(script, kScenarioMaxWidth);
  ASSERT_EQ(tooWide.size(), 1u);
  EXPECT_EQ(tooWide[0].lineNumber, 2);
  EXPECT_EQ(tooWide[0].width, 640);

  const fs::path dir = fs::temp_directory_path() / ("script_width_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "wide.dat", std::ios::binary) << script;
  const std::string tool = (fs::path(PLUV_BIN_DIR).parent_path() / "tool-bin" / "check_script_width").string();
  const std::string common = tool + " --size 15 --max-width 625 --stamp " + (dir / "stamp").string() + " ";
  const int refused = std::system((common + (dir / "wide.dat").string() + " 2>" + (dir / "err.txt").string()).c_str());
  EXPECT_EQ(WIFEXITED(refused) ? WEXITSTATUS(refused) : -1, 1);
  EXPECT_NE(ReadFile(dir / "err.txt").find("wide.dat:2: 640 px"), std::string::npos) << ReadFile(dir / "err.txt");
  EXPECT_FALSE(fs::exists(dir / "stamp"));
  // The same tool passes the game's scenario and writes its stamp.
  const int passed = std::system((common + (fs::path(PLUV_BIN_DIR) / "dat" / "scenario.dat").string()).c_str());
  EXPECT_EQ(WIFEXITED(passed) ? WEXITSTATUS(passed) : -1, 0);
  EXPECT_TRUE(fs::exists(dir / "stamp"));
  fs::remove_all(dir);
}
