#include "tools/make_dat/script_text.h"

#include "platform/kernel/cp932.h"

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineBreak = "\r\n";

[[noreturn]] void Fail(std::string_view sourceName, size_t lineIndex, const std::string& what) {
  throw EScriptError(std::string(sourceName) + ":" + std::to_string(lineIndex + 1) + ": " + what);
}

}  // namespace

std::vector<std::string> SplitScriptLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string current;
  bool open = false;  // a line has begun since the last break
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' || c == '\r') {
      lines.push_back(std::move(current));
      current.clear();
      open = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    current += c;
    open = true;
  }
  if (open) lines.push_back(std::move(current));
  return lines;
}

int Cp932Columns(std::string_view cp932Line) { return static_cast<int>(cp932Line.size()); }

std::string ConvertScript(std::string_view utf8, std::string_view sourceName, int maxColumns) {
  if (utf8.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
    utf8.remove_prefix(kUtf8ByteOrderMark.size());
  }
  const std::vector<std::string> lines = SplitScriptLines(utf8);
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string cp932 = Utf8ToCp932(lines[i]);
    // Utf8ToCp932 turns what it cannot hold into '?', so only a round trip
    // tells a real question mark from a lost character (or broken UTF-8).
    if (Cp932ToUtf8(cp932) != lines[i]) {
      Fail(sourceName, i, "text that CP932 cannot hold: \"" + lines[i] + "\"");
    }
    if (maxColumns > 0 && Cp932Columns(cp932) > maxColumns) {
      Fail(sourceName, i, "line is " + std::to_string(Cp932Columns(cp932)) + " columns wide, at most " +
                              std::to_string(maxColumns) + " fit: \"" + lines[i] + "\"");
    }
    if (i > 0) out += kLineBreak;
    out += cp932;
  }
  return out;
}
