// The rules of practice games: the A-B loop's range (swapped, widened to
// 2 s, clamped to the song), the practice speed in 5 % steps from 50 % to
// 100 %, the passes of a loop with their Good and Bad, and the progress
// strip's mapping between pixels and song time with its note density.
// Plain values; any thread, one object per thread.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Song positions in milliseconds.
struct TPracticeRange {
  int32_t FromMs = 0;
  int32_t ToMs = 0;
  bool operator==(const TPracticeRange&) const = default;
};

class TPracticeLoop {
 public:
  static constexpr int32_t kShortestLoopMs = 2000;

  void SetA(int32_t Ms) { m_a = Ms; }
  void SetB(int32_t Ms) { m_b = Ms; }
  void Clear();
  std::optional<int32_t> A() const { return m_a; }
  std::optional<int32_t> B() const { return m_b; }
  // The loop when both marks are set, in a song of EndMs: A after B is
  // swapped, both are clamped into 0 .. EndMs, and a loop shorter than
  // kShortestLoopMs is widened to it, at its end first, then at its start
  // (a song shorter than that loops whole).
  std::optional<TPracticeRange> Range(int32_t EndMs) const;

 private:
  std::optional<int32_t> m_a;
  std::optional<int32_t> m_b;
};

class TPracticeSpeed {
 public:
  static constexpr int kSlowestPercent = 50;
  static constexpr int kFullPercent = 100;
  static constexpr int kStepPercent = 5;

  // A percent from the settings: into the range and onto the 5 % grid.
  explicit TPracticeSpeed(int Percent = kFullPercent);
  int Percent() const { return m_percent; }
  double Factor() const { return m_percent / static_cast<double>(kFullPercent); }
  // One step slower or faster; false at the end of the range.
  bool Slower();
  bool Faster();

 private:
  int m_percent = kFullPercent;
};

// The passes of a loop: each pass counts the Good and Bad it added to the
// game's counters.
class TPracticePasses {
 public:
  struct TPass {
    int Number = 0;  // from 1
    int32_t Good = 0;
    int32_t Bad = 0;
  };
  // A pass begins with the game's counters as they stand.
  void Begin(int32_t Good, int32_t Bad);
  // The pass that began last ends with the counters now; it is kept as Last.
  TPass End(int32_t Good, int32_t Bad);
  // The pass now running, counted so far.
  TPass Current(int32_t Good, int32_t Bad) const;
  std::optional<TPass> Last() const { return m_last; }
  int Completed() const { return m_completed; }
  void Clear();

 private:
  int32_t m_goodAtBegin = 0;
  int32_t m_badAtBegin = 0;
  int m_completed = 0;
  std::optional<TPass> m_last;
};

// The progress strip: the song across Width pixels.
namespace PracticeStrip {
// The song time under pixel X (clamped into the strip); 0 for an empty song or strip.
int32_t TimeAt(int X, int Width, int32_t EndMs);
// The pixel column of song time Ms.
int ColumnOf(int32_t Ms, int Width, int32_t EndMs);
// Notes per column, for each of the Width columns.
std::vector<int> Density(const std::vector<int32_t>& NoteTimesMs, int Width, int32_t EndMs);
}  // namespace PracticeStrip
