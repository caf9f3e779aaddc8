// TLibraryFilter: the song-select window's filter text, parsed once per
// keystroke and matched against every song. Words (matched in any case
// against the title and the paths) and terms ("star>3", "length<2:30",
// "bpm>=140", "played=0", "notes>500"), separated by blanks; a song is shown
// when every word and every term holds. A word with an operator whose name
// or value the filter does not know is kept as an unknown term for the
// window to report, and does not narrow. Plain values; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/library_row.h"

// One song as the filter sees it, made once when the rows are read: the
// lower-case text its words are looked for in and its figures as shown.
struct TFilterSubject {
  std::string Haystack;      // title and every path, lower case, one per line
  bool Playable = true;      // false: a file that failed to load (no figures)
  double Difficulty = 0.0;   // rounded to the shown decimal
  int64_t LengthSeconds = 0; // as the m:ss column shows it
  int64_t BpmMin = 0;        // rounded as shown
  int64_t BpmMax = 0;
  int64_t Games = 0;
  int64_t Notes = 0;
};

// The subject of a song from one of its rows and all of its paths.
TFilterSubject FilterSubjectOf(const TLibraryRow& row, const std::vector<std::string>& paths);
// UTF-8 in lower case: ASCII, full-width Latin letters, Latin-1, Greek and
// Cyrillic; everything else as it is.
std::string LowerUtf8(std::string_view utf8);

class TLibraryFilter {
 public:
  enum class TField { Difficulty, Length, Bpm, Played, Notes };
  enum class TOperator { Less, LessOrEqual, Greater, GreaterOrEqual, Equal };
  struct TTerm {
    TField Field = TField::Difficulty;
    TOperator Operator = TOperator::Equal;
    double Value = 0.0;  // seconds for Length
  };

  TLibraryFilter() = default;
  // Parses text (UTF-8). Blanks are ASCII spaces, tabs and the ideographic
  // space; "..." keeps a phrase with blanks as one word.
  explicit TLibraryFilter(std::string_view text);

  bool Matches(const TFilterSubject& subject) const;
  // Nothing narrows (no words, no known terms).
  bool Empty() const { return m_words.empty() && m_terms.empty(); }
  // The terms not understood, as typed, in order.
  const std::vector<std::string>& UnknownTerms() const { return m_unknown; }
  const std::vector<std::string>& Words() const { return m_words; }
  const std::vector<TTerm>& Terms() const { return m_terms; }

  // "m:ss" or plain seconds ("150", "2:30", "0:05"); false for anything else.
  static bool ParseLength(std::string_view text, double& seconds);

 private:
  void AddToken(const std::string& token);

  std::vector<std::string> m_words;  // lower case
  std::vector<TTerm> m_terms;
  std::vector<std::string> m_unknown;
};
