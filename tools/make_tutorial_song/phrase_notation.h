// A small text notation for writing parts in code: "A4:1 C5:0.5 r:0.5
// F3+A3+C4:4" is a quarter A4, an eighth C5, an eighth rest and a whole-note
// F major chord. Durations are in quarter notes. Build-time tool code; any
// thread.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Text that is not a valid phrase; the message quotes the offending token.
class EPhraseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One notated step: the keys struck together (empty for a rest) and how
// long the step lasts, in quarter notes.
struct PhraseStep {
  std::vector<int> keys;
  double quarters = 0.0;
};

// MIDI note number of a pitch name: letter A-G, optional '#' or 'b', octave
// -1..9 with C4 = 60 (middle C). General MIDI drum names are accepted too:
// "kick" (36), "snare" (38), "hat" (42), "crash" (49), "ride" (51).
// Throws EPhraseError for anything else or a result outside 0..127.
int ParseKey(std::string_view name);

// Splits a phrase into steps; tokens are separated by blanks, each
// "key[+key...]:quarters" or "r:quarters". Throws EPhraseError on a token
// without a duration, with a duration that is not a positive number, or with
// a bad key.
std::vector<PhraseStep> ParsePhrase(std::string_view phrase);

// Total length of a phrase in quarter notes.
double PhraseQuarters(const std::vector<PhraseStep>& steps);
