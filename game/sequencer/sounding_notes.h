// TSoundingNotes: which notes the sequencer has struck and not yet released,
// per output and channel, and which channels hold the sustain pedal down, so
// that a pause can release exactly those (a note-off each, not a reset) and a
// resume can put the pedals back. Fed by the sending step (timer thread) and
// read by Pause / Resume on the main thread only while the timer is off, so
// it needs no lock. Owns nothing but its tables; the outputs are only named.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

#include "platform/winmm/mmsystem.h"

class TSoundingNotes {
 public:
  static constexpr int kChannels = 16;
  static constexpr int kNotes = 128;

  // One channel message that went out to Output (Status | Data1 << 8 | Data2 << 16).
  void Sent(HMIDIOUT Output, uint32_t Message);
  // The messages that release everything now sounding: a note-off (velocity
  // 64) for every struck note, then sustain off for every held pedal; in
  // output, channel and note order. The struck notes are forgotten, the
  // pedals remembered for PedalMessages.
  struct TMessage {
    HMIDIOUT Output;
    uint32_t Message;
  };
  std::vector<TMessage> ReleaseMessages();
  // Sustain on again for every pedal that ReleaseMessages let go (once).
  std::vector<TMessage> PedalMessages();
  // Forgets everything (a new game, a reset device).
  void Clear();
  // Notes now sounding (struck and not released).
  int Count() const;

 private:
  struct TOutputNotes {
    HMIDIOUT Output = nullptr;
    std::array<std::bitset<kNotes>, kChannels> Struck{};
    std::bitset<kChannels> PedalDown{};
    std::bitset<kChannels> PedalReleased{};  // by ReleaseMessages, to be put back
  };
  TOutputNotes& For(HMIDIOUT Output);

  std::vector<TOutputNotes> m_outputs;
};
