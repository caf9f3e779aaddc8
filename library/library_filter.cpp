#include "library/library_filter.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
constexpr double kEqualTolerance = 1e-6;
// The ideographic space U+3000 (what a Japanese input method types as a blank).
constexpr char kIdeographicSpace[] = "\xE3\x80\x80";

// The code point at text[i] (UTF-8; a broken byte as itself), and its length.
char32_t DecodeAt(std::string_view text, size_t i, size_t& length) {
  const auto lead = static_cast<unsigned char>(text[i]);
  size_t count = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (count == 0 || i + count > text.size()) {
    length = 1;
    return lead;
  }
  char32_t c = count == 1 ? lead : lead & (0x7F >> count);
  for (size_t k = 1; k < count; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      length = 1;
      return lead;
    }
    c = (c << 6) | (next & 0x3F);
  }
  length = count;
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

char32_t LowerCodePoint(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= U'Ａ' && c <= U'Ｚ') return c + 0x20;              // full-width Latin
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;  // Latin-1, × aside
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;             // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

bool ParseNumber(std::string_view text, double& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto [next, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && next == end && std::isfinite(value) && value >= 0.0;
}

bool ParseCount(std::string_view text, double& value) {
  int64_t count = 0;
  const char* end = text.data() + text.size();
  const auto [next, error] = std::from_chars(text.data(), end, count);
  if (text.empty() || error != std::errc() || next != end || count < 0) return false;
  value = static_cast<double>(count);
  return true;
}

bool Holds(double figure, TLibraryFilter::TOperator op, double value) {
  using TOperator = TLibraryFilter::TOperator;
  switch (op) {
    case TOperator::Less: return figure < value - kEqualTolerance;
    case TOperator::LessOrEqual: return figure <= value + kEqualTolerance;
    case TOperator::Greater: return figure > value + kEqualTolerance;
    case TOperator::GreaterOrEqual: return figure >= value - kEqualTolerance;
    case TOperator::Equal: return std::abs(figure - value) <= kEqualTolerance;
  }
  return false;
}

struct TFieldName {
  const char* Name;
  TLibraryFilter::TField Field;
};
constexpr TFieldName kFieldNames[] = {
    {"star", TLibraryFilter::TField::Difficulty}, {"length", TLibraryFilter::TField::Length},
    {"bpm", TLibraryFilter::TField::Bpm},         {"played", TLibraryFilter::TField::Played},
    {"notes", TLibraryFilter::TField::Notes},
};

}  // namespace

std::string LowerUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      out.push_back(byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 0x20) : static_cast<char>(byte));
      ++i;
      continue;
    }
    size_t length = 1;
    const char32_t c = DecodeAt(utf8, i, length);
    if (length == 1) {
      out.push_back(utf8[i]);  // a broken byte stays as it is
    } else {
      AppendUtf8(out, LowerCodePoint(c));
    }
    i += length;
  }
  return out;
}

TFilterSubject FilterSubjectOf(const TLibraryRow& row, const std::vector<std::string>& paths) {
  TFilterSubject subject;
  std::string text = row.Facts.Title;
  for (const std::string& path : paths) {
    text.push_back('\n');
    text += path;
  }
  subject.Haystack = LowerUtf8(text);
  subject.Playable = !row.Error.has_value();
  // The figure exactly as the window shows it, so that "star=3.4" finds what reads 3.4.
  subject.Difficulty = std::strtod(DifficultyText(row.Facts.Difficulty).c_str(), nullptr);
  subject.LengthSeconds = row.Facts.LengthMs / kMsPerSecond;
  subject.BpmMin = std::llround(row.Facts.BpmMin);
  subject.BpmMax = std::llround(row.Facts.BpmMax);
  subject.Games = row.Games;
  subject.Notes = row.Facts.Notes;
  return subject;
}

bool TLibraryFilter::ParseLength(std::string_view text, double& seconds) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return ParseNumber(text, seconds);
  double minutes = 0.0;
  double rest = 0.0;
  const std::string_view restText = text.substr(colon + 1);
  if (!ParseCount(text.substr(0, colon), minutes) || restText.size() > 2 || !ParseCount(restText, rest) ||
      rest >= kSecondsPerMinute) {
    return false;
  }
  seconds = minutes * kSecondsPerMinute + rest;
  return true;
}

TLibraryFilter::TLibraryFilter(std::string_view text) {
  std::string token;
  bool quoted = false;
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    const bool ideographic = text.compare(i, std::strlen(kIdeographicSpace), kIdeographicSpace) == 0;
    if (c == '"') {
      // A phrase: its blanks belong to it, and it is always a word.
      if (quoted) {
        if (!token.empty()) m_words.push_back(LowerUtf8(token));
        token.clear();
      } else if (!token.empty()) {
        AddToken(token);
        token.clear();
      }
      quoted = !quoted;
      ++i;
    } else if (!quoted && (c == ' ' || c == '\t' || ideographic)) {
      if (!token.empty()) AddToken(token);
      token.clear();
      i += ideographic ? std::strlen(kIdeographicSpace) : 1;
    } else {
      token.push_back(c);
      ++i;
    }
  }
  if (quoted) {
    if (!token.empty()) m_words.push_back(LowerUtf8(token));
  } else if (!token.empty()) {
    AddToken(token);
  }
}

void TLibraryFilter::AddToken(const std::string& token) {
  const size_t at = token.find_first_of("<>=");
  if (at == std::string::npos) {
    m_words.push_back(LowerUtf8(token));
    return;
  }
  TTerm term;
  size_t valueAt = at + 1;
  const bool orEqual = valueAt < token.size() && token[valueAt] == '=';
  switch (token[at]) {
    case '<': term.Operator = orEqual ? TOperator::LessOrEqual : TOperator::Less; break;
    case '>': term.Operator = orEqual ? TOperator::GreaterOrEqual : TOperator::Greater; break;
    default: term.Operator = TOperator::Equal; break;
  }
  if (orEqual && token[at] != '=') ++valueAt;
  const std::string name = LowerUtf8(token.substr(0, at));
  const std::string_view value = std::string_view(token).substr(valueAt);
  bool known = false;
  for (const TFieldName& field : kFieldNames) {
    if (name == field.Name) {
      term.Field = field.Field;
      known = true;
    }
  }
  bool valid = false;
  if (known) {
    switch (term.Field) {
      case TField::Length: valid = ParseLength(value, term.Value); break;
      case TField::Played:
      case TField::Notes: valid = ParseCount(value, term.Value); break;
      case TField::Difficulty:
      case TField::Bpm: valid = ParseNumber(value, term.Value); break;
    }
  }
  if (valid) {
    m_terms.push_back(term);
  } else {
    m_unknown.push_back(token);
  }
}

bool TLibraryFilter::Matches(const TFilterSubject& subject) const {
  for (const std::string& word : m_words) {
    if (subject.Haystack.find(word) == std::string::npos) return false;
  }
  for (const TTerm& term : m_terms) {
    // A file that does not load has no figures to compare; its games it has.
    if (!subject.Playable && term.Field != TField::Played) return false;
    bool holds = false;
    switch (term.Field) {
      case TField::Difficulty: holds = Holds(subject.Difficulty, term.Operator, term.Value); break;
      case TField::Length:
        holds = Holds(static_cast<double>(subject.LengthSeconds), term.Operator, term.Value);
        break;
      case TField::Played: holds = Holds(static_cast<double>(subject.Games), term.Operator, term.Value); break;
      case TField::Notes: holds = Holds(static_cast<double>(subject.Notes), term.Operator, term.Value); break;
      case TField::Bpm: {
        // The song's tempo range overlaps what is asked for.
        const auto low = static_cast<double>(subject.BpmMin);
        const auto high = static_cast<double>(subject.BpmMax);
        switch (term.Operator) {
          case TOperator::Greater:
          case TOperator::GreaterOrEqual: holds = Holds(high, term.Operator, term.Value); break;
          case TOperator::Less:
          case TOperator::LessOrEqual: holds = Holds(low, term.Operator, term.Value); break;
          case TOperator::Equal:
            holds = Holds(low, TOperator::LessOrEqual, term.Value) && Holds(high, TOperator::GreaterOrEqual, term.Value);
            break;
        }
        break;
      }
    }
    if (!holds) return false;
  }
  return true;
}
