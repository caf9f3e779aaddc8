#include "tools/translation_texts/source_texts.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>

namespace {

constexpr std::array<std::string_view, 3> kMarkers = {"Tr", "Translatable", "StatusText"};
constexpr std::array<std::string_view, 1> kStatusMarkers = {"StatusText"};
// Wrappers a literal may stand in inside the marker's parentheses.
constexpr std::array<std::string_view, 2> kLiteralWrappers = {"QStringLiteral", "QString::fromUtf8"};
constexpr std::array<std::string_view, 11> kSkippedFolders = {"tests", "tools",   "bench", "fuzz",   "data", "docs",
                                                              "scripts", "cmake", "translations", "packaging",
                                                              "assets"};
constexpr int kHexBase = 16;
constexpr int kOctalBase = 8;
constexpr int kMaxOctalDigits = 3;

bool IsIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':';
}

int HexDigit(char c) {
  constexpr int kTen = 10;
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + kTen;
  if (c >= 'A' && c <= 'F') return c - 'A' + kTen;
  return -1;
}

class TScanner {
 public:
  TScanner(std::string_view text, std::span<const std::string_view> markers) : m_text(text), m_markers(markers) {}

  std::vector<std::string> Run() {
    std::vector<std::string> texts;
    while (m_pos < m_text.size()) {
      if (SkipCommentOrLiteral()) continue;
      if (const std::optional<std::string> text = MarkedText()) {
        texts.push_back(*text);
        continue;
      }
      ++m_pos;
    }
    return texts;
  }

 private:
  bool At(std::string_view s) const { return m_text.substr(m_pos, s.size()) == s; }

  void SkipBlanks() {
    while (m_pos < m_text.size()) {
      const char c = m_text[m_pos];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++m_pos;
      } else if (At("//") || At("/*")) {
        SkipCommentOrLiteral();
      } else {
        break;
      }
    }
  }

  // Skips a comment, a character literal or a string literal at m_pos.
  bool SkipCommentOrLiteral() {
    if (At("//")) {
      const std::size_t end = m_text.find('\n', m_pos);
      m_pos = end == std::string_view::npos ? m_text.size() : end;
      return true;
    }
    if (At("/*")) {
      const std::size_t end = m_text.find("*/", m_pos + 2);
      m_pos = end == std::string_view::npos ? m_text.size() : end + 2;
      return true;
    }
    if (At("R\"") && (m_pos == 0 || !IsIdentifierChar(m_text[m_pos - 1]))) {
      // A raw string: R"delimiter( ... )delimiter".
      const std::size_t open = m_text.find('(', m_pos + 2);
      if (open != std::string_view::npos) {
        const std::string close = ")" + std::string(m_text.substr(m_pos + 2, open - m_pos - 2)) + "\"";
        const std::size_t end = m_text.find(close, open + 1);
        m_pos = end == std::string_view::npos ? m_text.size() : end + close.size();
        return true;
      }
    }
    if (m_pos < m_text.size() && (m_text[m_pos] == '"' || m_text[m_pos] == '\'')) {
      ReadQuoted(m_text[m_pos]);
      return true;
    }
    return false;
  }

  // Reads a quoted literal at m_pos and returns its bytes with escapes resolved.
  std::string ReadQuoted(char quote) {
    std::string out;
    ++m_pos;
    while (m_pos < m_text.size() && m_text[m_pos] != quote) {
      char c = m_text[m_pos++];
      if (c != '\\' || m_pos >= m_text.size()) {
        out += c;
        continue;
      }
      c = m_text[m_pos++];
      switch (c) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
          int value = 0;
          for (int digit; m_pos < m_text.size() && (digit = HexDigit(m_text[m_pos])) >= 0; ++m_pos) {
            value = value * kHexBase + digit;
          }
          out += static_cast<char>(value);
          break;
        }
        default:
          if (c >= '0' && c <= '7') {
            int value = c - '0';
            for (int i = 1; i < kMaxOctalDigits && m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '7';
                 ++i) {
              value = value * kOctalBase + (m_text[m_pos++] - '0');
            }
            out += static_cast<char>(value);
          } else {
            out += c;  // \" \' \\ \?
          }
      }
    }
    if (m_pos < m_text.size()) ++m_pos;
    return out;
  }

  // One or more adjacent string literals; nullopt (position unchanged) when
  // none stands at m_pos.
  std::optional<std::string> Literals() {
    const std::size_t start = m_pos;
    std::string text;
    bool any = false;
    for (;;) {
      SkipBlanks();
      if (At("u8\"")) m_pos += 2;
      if (m_pos >= m_text.size() || m_text[m_pos] != '"') break;
      text += ReadQuoted('"');
      any = true;
    }
    if (!any) {
      m_pos = start;
      return std::nullopt;
    }
    return text;
  }

  bool Expect(char c) {
    SkipBlanks();
    if (m_pos < m_text.size() && m_text[m_pos] == c) {
      ++m_pos;
      return true;
    }
    return false;
  }

  // A marker call with a literal argument at m_pos; on anything else the
  // position moves past the marker's name only.
  std::optional<std::string> MarkedText() {
    if (m_pos > 0 && (IsIdentifierChar(m_text[m_pos - 1]) || m_text[m_pos - 1] == '.' || m_text[m_pos - 1] == '>')) {
      return std::nullopt;
    }
    for (const std::string_view marker : m_markers) {
      if (!At(marker) || (m_pos + marker.size() < m_text.size() && IsIdentifierChar(m_text[m_pos + marker.size()]))) {
        continue;
      }
      m_pos += marker.size();
      const std::size_t afterName = m_pos;
      std::optional<std::string> text = Argument();
      if (!text) m_pos = afterName;
      return text;
    }
    return std::nullopt;
  }

  std::optional<std::string> Argument() {
    if (!Expect('(')) return std::nullopt;
    SkipBlanks();
    bool wrapped = false;
    for (const std::string_view wrapper : kLiteralWrappers) {
      if (At(wrapper)) {
        const std::size_t save = m_pos;
        m_pos += wrapper.size();
        if (Expect('(')) {
          wrapped = true;
          break;
        }
        m_pos = save;
      }
    }
    std::optional<std::string> text = Literals();
    if (!text) return std::nullopt;
    if (wrapped && !Expect(')')) return std::nullopt;
    if (!Expect(')')) return std::nullopt;
    return text;
  }

  std::string_view m_text;
  std::span<const std::string_view> m_markers;
  std::size_t m_pos = 0;
};

std::string CppLiteral(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

}  // namespace

std::vector<std::string> TranslatableLiterals(std::string_view source) { return TScanner(source, kMarkers).Run(); }

std::vector<std::string> StatusTextLiterals(std::string_view source) { return TScanner(source, kStatusMarkers).Run(); }

std::vector<std::filesystem::path> GameSourceFolders(const std::filesystem::path& sourceRoot) {
  std::vector<std::filesystem::path> folders;
  for (const auto& entry : std::filesystem::directory_iterator(sourceRoot)) {
    if (!entry.is_directory()) continue;
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.front() == '.' || name.starts_with("build")) continue;
    if (std::find(kSkippedFolders.begin(), kSkippedFolders.end(), name) != kSkippedFolders.end()) continue;
    folders.push_back(entry.path());
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

namespace {

std::set<std::string> LiteralsIn(const std::vector<std::filesystem::path>& folders,
                                 std::vector<std::string> (*literals)(std::string_view)) {
  std::set<std::string> texts;
  for (const std::filesystem::path& folder : folders) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      const std::string ext = entry.path().extension().string();
      if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      for (std::string& text : literals(source)) texts.insert(std::move(text));
    }
  }
  return texts;
}

}  // namespace

std::set<std::string> TranslatableLiteralsIn(const std::vector<std::filesystem::path>& folders) {
  return LiteralsIn(folders, TranslatableLiterals);
}

std::set<std::string> StatusTextLiteralsIn(const std::vector<std::filesystem::path>& folders) {
  return LiteralsIn(folders, StatusTextLiterals);
}

std::string LupdateSource(const std::set<std::string>& texts, std::string_view context) {
  std::string out = "// Generated by translation_texts for lupdate; not compiled.\n";
  for (const std::string& text : texts) {
    out += "QT_TRANSLATE_NOOP(" + CppLiteral(std::string(context)) + ", " + CppLiteral(text) + ");\n";
  }
  return out;
}
