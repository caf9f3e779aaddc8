#include "game/memo_lines.h"

#include <fstream>
#include <iterator>

#include "platform/kernel/paths.h"

std::vector<std::string> SplitMemoLines(const std::string& Text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
      if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
      continue;
    }
    line.push_back(c);
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

std::vector<std::string> LoadMemoLines(const std::string& FileName) {
  std::ifstream file(TranslatePath(FileName), std::ios::binary);
  if (!file) return {};
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return {};
  return SplitMemoLines(text);
}
