#include "game/frame/frame_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/kernel/paths.h"

namespace {

constexpr double kPercent = 100.0;
constexpr int32_t kSplashLifeMs = 1000;
constexpr int32_t kSplashGrowthMsPerPixel = 25;
constexpr double kSplashStartAlpha = 64.0;

}  // namespace

std::string ResultLineText(int32_t Count, int32_t Total) {
  const double percent = static_cast<double>(Count) * kPercent / static_cast<double>(Total);
  // Halves round away from zero, as the class library's float formatting
  // does (1 of 8 shows 13, where printf's even rounding would show 12).
  const long rounded = std::lround(percent);
  char text[64];
  std::snprintf(text, sizeof text, "%d :%3ld%%", static_cast<int>(Count), rounded);
  return text;
}

std::string MaxComboText(int32_t MaxCombo) { return "MAX COMBO " + std::to_string(MaxCombo); }

std::string BestText(int32_t Good, int32_t Bad) {
  const int64_t total = static_cast<int64_t>(Good) + Bad;
  const double percent = total > 0 ? static_cast<double>(Good) * kPercent / static_cast<double>(total) : 0.0;
  return "BEST " + std::to_string(std::lround(percent)) + "%";
}

const std::string& NewRecordText() {
  static const std::string kText = "NEW RECORD";
  return kText;
}

int32_t TutorialLineIndex(int32_t LineCount, int32_t PositionMs, int32_t EndTime) {
  if (LineCount <= 0) return -1;
  if (EndTime <= 0 || PositionMs <= 0) return 0;
  // 64 bits: a long script on a long song would overflow the 32-bit product.
  const int64_t line = static_cast<int64_t>(LineCount) * PositionMs / EndTime;
  return static_cast<int32_t>(std::min<int64_t>(line, LineCount - 1));
}

int32_t ScenarioLineIndex(int32_t LineCount, int32_t PlayCount) {
  if (PlayCount <= 0 || LineCount < PlayCount) return -1;
  return PlayCount - 1;
}

TSplashLook SplashLook(int32_t AgeMs) {
  // A frame may read a position a tick older than the judgement's.
  const int32_t t = std::clamp(AgeMs, 0, kSplashLifeMs);
  TSplashLook look{};
  look.HalfSize = t / kSplashGrowthMsPerPixel;
  look.Alpha = static_cast<int32_t>(std::floor((1.0 - t / static_cast<double>(kSplashLifeMs)) * kSplashStartAlpha));
  look.Color = static_cast<uint32_t>(look.Alpha) << 24 | 0x00FFFFFFu;
  return look;
}

std::vector<std::string> SplitScriptLines(const std::string& Text) {
  std::vector<std::string> lines;
  std::string line;
  bool pending = false;  // a line has started (or a break ended one)
  for (size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      pending = false;
      if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
    } else {
      line.push_back(c);
      pending = true;
    }
  }
  if (pending) lines.push_back(line);
  return lines;
}

std::vector<std::string> ReadScriptFile(const std::string& FileName) {
  std::ifstream file(TranslatePath(FileName), std::ios::binary);
  if (!file) return {};
  std::ostringstream text;
  text << file.rdbuf();
  return SplitScriptLines(text.str());
}
