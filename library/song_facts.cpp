#include "library/song_facts.h"

#include <algorithm>
#include <limits>

#include "midi/event_item.h"
#include "midi/event_item_long.h"
#include "midi/event_lists.h"
#include "midi/midi_song.h"
#include "platform/kernel/cp932.h"

namespace {

constexpr int32_t kPeakWindowMs = 1000;      // "notes per second"
constexpr double kMicrosecondsPerMinute = 60e6;
constexpr double kDefaultBpm = kMicrosecondsPerMinute / TMidiSong::kDefaultTempo;  // 120

// UTF-8 of U+3000, the ideographic space that Japanese titles pad with.
constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

bool IsAsciiBlank(unsigned char byte) { return byte <= 0x20 || byte == 0x7F; }

// Trims ASCII blanks and control characters and U+3000 at both ends.
std::string TrimTitle(std::string_view text) {
  for (;;) {
    if (!text.empty() && IsAsciiBlank(static_cast<unsigned char>(text.front()))) {
      text.remove_prefix(1);
    } else if (text.starts_with(kIdeographicSpace)) {
      text.remove_prefix(kIdeographicSpace.size());
    } else {
      break;
    }
  }
  for (;;) {
    if (!text.empty() && IsAsciiBlank(static_cast<unsigned char>(text.back()))) {
      text.remove_suffix(1);
    } else if (text.ends_with(kIdeographicSpace)) {
      text.remove_suffix(kIdeographicSpace.size());
    } else {
      break;
    }
  }
  return std::string(text);
}

std::string TitleOf(const TMidiSong& song) {
  if (song.Tracks.Count() == 0) return {};
  const TMidiEventItemTrackName* name = song.Tracks.Track(0)->NameItem;
  if (name == nullptr) return {};
  return TrimTitle(Cp932ToUtf8(name->Text));
}

// The densest window of windowMs over drops sorted by time: [TimeMs of its
// first drop, + windowMs). Gives the count and where it starts.
std::pair<int32_t, int32_t> DensestWindow(const std::vector<TDrop>& drops, int32_t windowMs) {
  int32_t best = 0;
  int32_t bestStart = 0;
  size_t first = 0;
  for (size_t last = 0; last < drops.size(); ++last) {
    while (static_cast<int64_t>(drops[last].TimeMs) - drops[first].TimeMs >= windowMs) ++first;
    const int32_t count = static_cast<int32_t>(last - first + 1);
    if (count > best) {
      best = count;
      bestStart = drops[first].TimeMs;
    }
  }
  return {best, bestStart};
}

bool ByTime(const TDrop& a, const TDrop& b) { return a.TimeMs < b.TimeMs; }

}  // namespace

std::vector<TDrop> SongDrops(const TMidiSong& song, const std::array<bool, 16>& channels) {
  std::vector<TDrop> drops;
  for (const TMidiEventItemStanderd* item : song.Events) {
    if (item->Kind != MidiKind::NoteOn) continue;
    const auto* note = static_cast<const TMidiEventItemShort*>(item);
    if (note->Data2 == 0 || !channels[note->Status & 15]) continue;
    drops.push_back(TDrop{note->Time, note->Data1});
  }
  // The song list is in tick order, so in time order already; the sort only
  // guards against a loader that ever interleaves.
  if (!std::is_sorted(drops.begin(), drops.end(), ByTime)) std::stable_sort(drops.begin(), drops.end(), ByTime);
  return drops;
}

int32_t DensestStartMs(const std::vector<TDrop>& drops, int32_t windowMs) {
  if (std::is_sorted(drops.begin(), drops.end(), ByTime)) return DensestWindow(drops, windowMs).second;
  std::vector<TDrop> sorted = drops;
  std::stable_sort(sorted.begin(), sorted.end(), ByTime);
  return DensestWindow(sorted, windowMs).second;
}

TSongFacts FactsOfSong(const TMidiSong& song) {
  TSongFacts facts;
  facts.Title = TitleOf(song);
  facts.LengthMs = song.EndTime;

  std::array<int32_t, TMidiSong::kChannelCount> program;
  program.fill(-1);
  std::array<TChannelFacts, TMidiSong::kChannelCount> channels{};
  for (int c = 0; c < TMidiSong::kChannelCount; ++c) channels[c].Channel = c + 1;
  int32_t laneMin = std::numeric_limits<int32_t>::max();
  int32_t laneMax = std::numeric_limits<int32_t>::min();
  for (const TMidiEventItemStanderd* item : song.Events) {
    if (item->Kind == MidiKind::ProgramChange) {
      const auto* change = static_cast<const TMidiEventItemShort*>(item);
      program[change->Status & 15] = change->Data1;
    } else if (item->Kind == MidiKind::NoteOn) {
      const auto* note = static_cast<const TMidiEventItemShort*>(item);
      if (note->Data2 == 0) continue;
      TChannelFacts& channel = channels[note->Status & 15];
      if (channel.Notes == 0) channel.FirstProgram = program[note->Status & 15];
      ++channel.Notes;
      ++facts.Notes;
      laneMin = std::min<int32_t>(laneMin, note->Data1);
      laneMax = std::max<int32_t>(laneMax, note->Data1);
    }
  }
  for (const TChannelFacts& channel : channels) {
    if (channel.Notes > 0) facts.Channels.push_back(channel);
  }
  if (facts.Notes > 0) {
    facts.LaneMin = laneMin;
    facts.LaneMax = laneMax;
  }

  if (song.Tempos.Count() == 0) {
    facts.BpmMin = facts.BpmMax = kDefaultBpm;
  } else {
    int32_t slowest = 0;  // µs per quarter: the largest is the slowest
    int32_t fastest = std::numeric_limits<int32_t>::max();
    for (const TMidiEventItemStanderd* item : song.Tempos) {
      const int32_t tempo = static_cast<const TMidiEventItemTempo*>(item)->Tempo;
      slowest = std::max(slowest, tempo);
      fastest = std::min(fastest, tempo);
    }
    facts.BpmMin = kMicrosecondsPerMinute / slowest;
    facts.BpmMax = kMicrosecondsPerMinute / fastest;
  }

  std::array<bool, TMidiSong::kChannelCount> every;
  every.fill(true);
  const std::vector<TDrop> drops = SongDrops(song, every);
  facts.PeakNps = DensestWindow(drops, kPeakWindowMs).first;
  facts.Difficulty = SongDifficulty(drops);
  return facts;
}

TSongFacts ReadSongFacts(const uint8_t* data, size_t size, const std::string& sourceName) {
  TMidiSong song;
  song.LoadFromMemory(data, size, sourceName);
  return FactsOfSong(song);
}
