#include "tools/make_tutorial_song/phrase_notation.h"

#include <array>
#include <charconv>
#include <utility>

namespace {

constexpr int kNotesPerOctave = 12;
constexpr int kMiddleCOctave = 4;
constexpr int kMiddleC = 60;
constexpr int kMaxKey = 127;

// Semitones above C of the natural notes A..G.
constexpr std::array<int, 7> kLetterSemitones = {9, 11, 0, 2, 4, 5, 7};

// General MIDI percussion keys (channel 10).
constexpr std::array<std::pair<std::string_view, int>, 5> kDrumKeys = {{
    {"kick", 36}, {"snare", 38}, {"hat", 42}, {"crash", 49}, {"ride", 51},
}};

[[noreturn]] void Fail(std::string_view token, const char* what) {
  throw EPhraseError("\"" + std::string(token) + "\": " + what);
}

double ParseQuarters(std::string_view token, std::string_view text) {
  // std::from_chars for double is what the standard offers without locale
  // surprises ("1.5" is never read as 1 under a comma-decimal locale).
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !(value > 0.0)) {
    Fail(token, "the duration is not a positive number of quarter notes");
  }
  return value;
}

}  // namespace

int ParseKey(std::string_view name) {
  for (const auto& [drum, key] : kDrumKeys) {
    if (name == drum) return key;
  }
  if (name.empty() || name[0] < 'A' || name[0] > 'G') Fail(name, "a pitch starts with a letter A-G");
  int semitone = kLetterSemitones[static_cast<size_t>(name[0] - 'A')];
  size_t pos = 1;
  if (pos < name.size() && (name[pos] == '#' || name[pos] == 'b')) {
    semitone += name[pos] == '#' ? 1 : -1;
    ++pos;
  }
  int octave = 0;
  const auto [end, error] = std::from_chars(name.data() + pos, name.data() + name.size(), octave);
  if (pos == name.size() || error != std::errc() || end != name.data() + name.size()) {
    Fail(name, "a pitch ends with its octave number");
  }
  const int key = kMiddleC + (octave - kMiddleCOctave) * kNotesPerOctave + semitone;
  if (key < 0 || key > kMaxKey) Fail(name, "the pitch lies outside MIDI notes 0..127");
  return key;
}

std::vector<PhraseStep> ParsePhrase(std::string_view phrase) {
  std::vector<PhraseStep> steps;
  size_t pos = 0;
  while (pos < phrase.size()) {
    if (phrase[pos] == ' ') {
      ++pos;
      continue;
    }
    size_t end = phrase.find(' ', pos);
    if (end == std::string_view::npos) end = phrase.size();
    const std::string_view token = phrase.substr(pos, end - pos);
    pos = end;

    const size_t colon = token.find(':');
    if (colon == std::string_view::npos) Fail(token, "a step needs \":duration\"");
    PhraseStep step;
    step.quarters = ParseQuarters(token, token.substr(colon + 1));
    const std::string_view keys = token.substr(0, colon);
    if (keys != "r") {
      size_t start = 0;
      while (true) {
        const size_t plus = keys.find('+', start);
        step.keys.push_back(ParseKey(keys.substr(start, plus == std::string_view::npos ? keys.npos : plus - start)));
        if (plus == std::string_view::npos) break;
        start = plus + 1;
      }
    }
    steps.push_back(std::move(step));
  }
  return steps;
}

double PhraseQuarters(const std::vector<PhraseStep>& steps) {
  double total = 0.0;
  for (const PhraseStep& s : steps) total += s.quarters;
  return total;
}
