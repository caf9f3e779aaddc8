// The tutorial and scenario scripts as the game reads them beside the
// executable: CP932 text, CR LF breaks, enough lines, each fitting its line
// on screen.
#include "platform/kernel/cp932.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Width in pixels of one half-width column of a monospaced Gothic font: half
// the text size.
constexpr double ColumnPixels(int textSize) { return textSize / 2.0; }
constexpr int kClientWidth = 640;
constexpr int kTutorialTextSize = 12;
constexpr int kTutorialTextX = 12;
constexpr int kScenarioTextSize = 15;
constexpr int kScenarioTextX = 15;
// The last unlock comes with game 128; the scenario must still speak then.
constexpr int kLastUnlockGame = 128;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path << " is missing beside the executable";
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Splits at CR LF and fails on any lone CR or LF.
std::vector<std::string> SplitCrLf(const std::string& bytes, const std::string& name) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      lines.push_back(current);
      current.clear();
      ++i;
    } else if (bytes[i] == '\r' || bytes[i] == '\n') {
      ADD_FAILURE() << name << ": a lone " << (bytes[i] == '\r' ? "CR" : "LF") << " at byte " << i;
    } else {
      current += bytes[i];
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

// Every line decodes as CP932 and fits between its left margin and the
// window's right edge.
void ExpectLinesFit(const std::vector<std::string>& lines, int textSize, int leftX, const std::string& name) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string utf8 = Cp932ToUtf8(lines[i]);
    EXPECT_EQ(utf8.find("\\x"), std::string::npos) << name << " line " << i + 1 << " is not CP932: " << utf8;
    EXPECT_FALSE(lines[i].empty()) << name << " line " << i + 1 << " is empty";
    // In CP932 a full-width character is two bytes and two columns.
    const double pixels = static_cast<double>(lines[i].size()) * ColumnPixels(textSize);
    EXPECT_LE(leftX + pixels, kClientWidth) << name << " line " << i + 1 << " is too wide: " << utf8;
  }
}

TEST(ScriptFiles, TutorialTeachesInTenToTwentyLines) {
  const std::string bytes = ReadFile(fs::path(PLUV_BIN_DIR) / "dat" / "tutorial.dat");
  const std::vector<std::string> lines = SplitCrLf(bytes, "tutorial.dat");
  EXPECT_GE(lines.size(), 10U);
  EXPECT_LE(lines.size(), 20U);
  ExpectLinesFit(lines, kTutorialTextSize, kTutorialTextX, "tutorial.dat");
  // It is Japanese text, not ASCII that happens to be valid CP932.
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(Cp932ToUtf8(lines.front()).find("お兄ちゃん"), std::string::npos);
}

TEST(ScriptFiles, ScenarioLastsPastTheLastUnlock) {
  const std::string bytes = ReadFile(fs::path(PLUV_BIN_DIR) / "dat" / "scenario.dat");
  const std::vector<std::string> lines = SplitCrLf(bytes, "scenario.dat");
  EXPECT_GT(lines.size(), static_cast<size_t>(kLastUnlockGame));
  ExpectLinesFit(lines, kScenarioTextSize, kScenarioTextX, "scenario.dat");
}

TEST(ScriptFiles, ScenarioMentionsEachUnlockOnItsGame) {
  // After game C the result screen shows line C; each unlock's line names
  // what came free.
  const std::vector<std::string> lines =
      SplitCrLf(ReadFile(fs::path(PLUV_BIN_DIR) / "dat" / "scenario.dat"), "scenario.dat");
  ASSERT_GE(lines.size(), static_cast<size_t>(kLastUnlockGame));
  const std::vector<std::pair<int, std::string>> unlocks = {
      {1, "開ける"},       {4, "落下スピード"}, {9, "HIDDEN"},       {16, "落下位置"},
      {32, "チャンネル"}, {64, "再生スピード"}, {128, "バーの長さ"},
  };
  for (const auto& [game, word] : unlocks) {
    const std::string line = Cp932ToUtf8(lines[static_cast<size_t>(game - 1)]);
    EXPECT_NE(line.find(word), std::string::npos) << "game " << game << ": " << line;
  }
}

TEST(ScriptFiles, SourcesAndOutputsAgree) {
  // A stale copy in the runtime folder would show old text in the game.
  for (const char* script : {"tutorial", "scenario"}) {
    SCOPED_TRACE(script);
    std::string source = ReadFile(fs::path(PLUV_SOURCE_DIR) / "data" / "dat" / (std::string(script) + ".utf8.txt"));
    std::string expected;
    for (char c : source) {
      if (c == '\n') expected += '\r';
      expected += c;
    }
    while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r')) expected.pop_back();
    EXPECT_EQ(Cp932ToUtf8(ReadFile(fs::path(PLUV_BIN_DIR) / "dat" / (std::string(script) + ".dat"))), expected);
  }
}

}  // namespace
