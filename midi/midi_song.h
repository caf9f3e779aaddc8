// TMidiSong: a loaded song (the song list, track records, side lists, header
// values, channel-state records) with the Standard MIDI File reader and the
// playback state that the sequencer built on it advances. Loading runs on the
// main thread while nothing plays; during play the timer thread performs the
// items and writes the atomic fields that the main thread reads. The song
// owns every item (through Events) and the track records (through Tracks).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/event_item.h"
#include "midi/event_item_long.h"
#include "midi/event_lists.h"
#include "midi/port_config.h"
#include "midi/wait_items.h"

class TMidiFileStream;

class TMidiSong {
 public:
  static constexpr int32_t kDefaultTempo = 500000;  // microseconds per quarter note
  static constexpr int kChannelCount = 16;
  // Beat items are one per quarter note; a song of more quarters than this
  // (about 28 hours at 120 beats per minute) is refused instead of filling
  // memory with beats (a broken delta time easily announces billions of ticks).
  static constexpr int64_t kMaxBeatItems = 200000;
  // Larger files are refused before they are read.
  static constexpr int64_t kMaxFileBytes = 1LL << 30;

  // Creates the lists and the five recognition patterns.
  TMidiSong();
  TMidiSong(const TMidiSong&) = delete;
  TMidiSong& operator=(const TMidiSong&) = delete;
  virtual ~TMidiSong();

  // ---- Loading (main thread, while nothing plays) ----
  // Replaces the song by the file's; true, or EMidiError (never false).
  bool LoadFromFile(const std::string& FileName);
  // The same from bytes in memory; SourceName names them in error messages.
  bool LoadFromMemory(const uint8_t* Data, size_t Size, const std::string& SourceName);
  bool ReadHeader(TMidiFileStream& Stream);
  bool ReadTrack(TMidiFileStream& Stream, int TrackNumber);
  // Reads one event with the given status and appends its item; true when
  // the event ends the track.
  bool ParseEvent(TMidiEventItems& Items, TMidiFileStream& Stream, int Track, int EventNumber,
                  int Status, int Tick);
  // Applies every matching recognition pattern to Item (the last match wins).
  void MatchWaitItems(TMidiEventItemLong& Item);
  void GenerateBeats();
  void ComputeTimes();
  void Renumber();

  // ---- Current items (main thread when stopped, timer thread in play) ----
  // Beat, time signature and tempo in effect at PositionTicks (ItemAt), the
  // lyric before it (ItemBefore); tempo 500000 without tempo items.
  void UpdateCurrentItems();

  // ---- Channel state, the targets of ApplyState ----
  void SetControl(int Track, int Status, int Controller, int Value);
  void SetProgram(int Track, int Status, int Program);
  void SetBend(int Track, int Status, int Lsb, int Msb);
  void ResetPort(int Track);

  // ---- Output and notifications; the base does nothing ----
  virtual void SendShort(int Track, TMidiEventItemShort* Item);
  virtual void SendLong(int Track, TMidiEventItemLong* Item);
  virtual void DoTempo(int Tempo);
  virtual void DoRhythm(TMidiEventItemRhythm* Item);
  virtual void DoVibrant(TMidiEventItemVibrant* Item);
  virtual void DoLyric(const std::string& Text);
  virtual void DoLcdStr(const std::string& Text);
  virtual void DoLcdDot(TListIntItems& Dots);

  // ---- The song ----
  TMidiEventItems Events;  // every item, sorted by Tick then position
  TMidiEventItemTracks Tracks;
  TMidiEventExclusiveItems Beats;    // TMidiEventItemVibrant
  TMidiEventExclusiveItems Tempos;   // TMidiEventItemTempo (tempo 0 left out)
  TMidiEventExclusiveItems Rhythms;  // TMidiEventItemRhythm
  TMidiEventExclusiveItems Lyrics;   // TMidiEventItemLyric
  TMidiEventExclusiveItems Markers;  // TMidiEventItemMarker
  TMidiWaitItems WaitItems;
  TMidiPortConfigs PortConfigs;
  int32_t Format = 0;
  int32_t TrackCount = 0;
  int32_t Division = 0;    // ticks per quarter note
  int32_t SongLength = 0;  // Tick of the last item
  int32_t EndTime = 0;     // Time (ms) of the last item
  // More quarter notes than this refuse the song (kMaxBeatItems; the fuzzer
  // lowers it so that one input of a few hundred bytes cannot cost 100 ms).
  int64_t MaxBeatItems = kMaxBeatItems;
  TMidiEventItemTrack* CurrentTrack = nullptr;  // the record being read; loading only
  // One line per track whose reading stopped early, with the reason.
  std::vector<std::string> TrackErrors;

  // ---- Playback state ----
  std::atomic<int32_t> PositionMs{0};
  std::atomic<int32_t> PositionTicks{0};
  std::atomic<int32_t> NextIndex{0};
  std::atomic<int32_t> Tempo{kDefaultTempo};
  TMidiEventItemVibrant* CurrentBeat = nullptr;
  TMidiEventItemRhythm* CurrentRhythm = nullptr;
  std::string CurrentLyric;
  std::array<std::atomic<bool>, kChannelCount> ChannelOn;  // channel rains; all on by default
  std::atomic<int32_t> GoodCount{0};
  std::atomic<int32_t> BadCount{0};
  // Good drops in a row since the last Bad, and the longest such run of the
  // game; written by the judgement with the two counters above.
  std::atomic<int32_t> Combo{0};
  std::atomic<int32_t> MaxCombo{0};
  int32_t WaitRemaining = 0;  // ms during which nothing is sent; timer thread

 private:
  void ClearSong();
  TMidiPortConfigChannel* ChannelState(int Track, int Status);
  std::string m_sourceName;  // the file being loaded, for messages
};
