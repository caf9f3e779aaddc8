#include "midi/midi_song.h"

namespace {
constexpr int kChannelMask = 0x0F;
constexpr int kBankSelectMsb = 0;
constexpr int kBankSelectLsb = 32;
constexpr int kSevenBits = 7;
constexpr int32_t kSevenBitMask = 0x7F;

// The sound-module messages that need a pause after them, and their kinds.
constexpr int32_t kResetWaitMs = 100;
constexpr int32_t kDisplayWaitMs = 1;
}  // namespace

TMidiSong::TMidiSong() {
  Events.Player = this;
  Tracks.Player = this;
  for (std::atomic<bool>& on : ChannelOn) on.store(true, std::memory_order_relaxed);
  WaitItems.AddWaitItem("f04110421240007f0041f7", MidiKind::GSReset, kResetWaitMs);
  WaitItems.AddWaitItem("f04110421200007f0001f7", MidiKind::GSReset, kResetWaitMs);
  WaitItems.AddWaitItem("f043104c00007e00f7", MidiKind::GMReset, kResetWaitMs);
  WaitItems.AddWaitItem("f041104512100100", MidiKind::LcdDot, kDisplayWaitMs);
  WaitItems.AddWaitItem("f041104512100000", MidiKind::LcdStr, kDisplayWaitMs);
  PortConfigs.EnsurePort(0);
}

// Events (declared first) is destroyed last, after every list that refers to its items.
TMidiSong::~TMidiSong() = default;

void TMidiSong::UpdateCurrentItems() {
  const int32_t ticks = PositionTicks.load(std::memory_order_relaxed);
  CurrentBeat = static_cast<TMidiEventItemVibrant*>(ItemAt(Beats, ticks));
  CurrentRhythm = static_cast<TMidiEventItemRhythm*>(ItemAt(Rhythms, ticks));
  const auto* tempo = static_cast<TMidiEventItemTempo*>(ItemAt(Tempos, ticks));
  Tempo.store(tempo != nullptr ? tempo->Tempo : kDefaultTempo, std::memory_order_relaxed);
  const auto* lyric = static_cast<TMidiEventItemLyric*>(ItemBefore(Lyrics, ticks));
  CurrentLyric = lyric != nullptr ? lyric->Text : std::string();
}

// ---- Channel state ----

TMidiPortConfigChannel* TMidiSong::ChannelState(int Track, int Status) {
  // An item whose track number has no record changes nothing.
  if (Track < 0 || Track >= Tracks.Count()) return nullptr;
  TMidiPortConfig* port = PortConfigs.Port(Tracks.Track(Track)->Port);
  if (port == nullptr) return nullptr;
  return &port->Channels[static_cast<size_t>(Status & kChannelMask)];
}

void TMidiSong::SetControl(int Track, int Status, int Controller, int Value) {
  TMidiPortConfigChannel* channel = ChannelState(Track, Status);
  if (channel == nullptr) return;
  int32_t& bank = channel->Tone.Bank.Value;
  if (Controller == kBankSelectMsb) {
    bank = ((Value & kSevenBitMask) << kSevenBits) | (bank & kSevenBitMask);
  } else if (Controller == kBankSelectLsb) {
    bank = (bank & (kSevenBitMask << kSevenBits)) | (Value & kSevenBitMask);
  } else if (Controller >= 0 && Controller < TMidiPortConfigChannel::kControllerCount) {
    channel->Controls[static_cast<size_t>(Controller)].Value = Value;
  }
}

void TMidiSong::SetProgram(int Track, int Status, int Program) {
  if (TMidiPortConfigChannel* channel = ChannelState(Track, Status)) channel->Tone.Program = Program;
}

void TMidiSong::SetBend(int Track, int Status, int Lsb, int Msb) {
  if (TMidiPortConfigChannel* channel = ChannelState(Track, Status)) {
    channel->Bend.Value = ((Msb & kSevenBitMask) << kSevenBits) | (Lsb & kSevenBitMask);
  }
}

void TMidiSong::ResetPort(int Track) {
  if (Track < 0 || Track >= Tracks.Count()) return;
  if (TMidiPortConfig* port = PortConfigs.Port(Tracks.Track(Track)->Port)) port->Reset();
}

// ---- Output and notifications: the output layer and the sequencer fill these in ----

void TMidiSong::SendShort(int /*Track*/, TMidiEventItemShort* /*Item*/) {}
void TMidiSong::SendLong(int /*Track*/, TMidiEventItemLong* /*Item*/) {}
void TMidiSong::DoTempo(int /*Tempo*/) {}
void TMidiSong::DoRhythm(TMidiEventItemRhythm* /*Item*/) {}
void TMidiSong::DoVibrant(TMidiEventItemVibrant* /*Item*/) {}
void TMidiSong::DoLyric(const std::string& /*Text*/) {}
void TMidiSong::DoLcdStr(const std::string& /*Text*/) {}
void TMidiSong::DoLcdDot(TListIntItems& /*Dots*/) {}
