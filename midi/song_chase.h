// The chase: what a song has set up on its outputs before a moment, so that
// playing on from there sounds as playing from the start would. Per port:
// the last reset system-exclusive message (GM, GS, XG) and every exclusive
// message after it, and per channel bank select and program, every
// controller, the RPN/NRPN values, pitch bend and channel pressure. Notes are
// not part of it: a note struck before the moment is never struck again.
// Pure computation on a loaded song or on a stream of messages; any thread,
// one object per thread. The chase references the song's exclusive items; the
// song must outlive the messages that name them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "midi/midi_song.h"

// One message of the chase for a port: a channel message, or a
// system-exclusive item of the song to send again.
struct TChaseMessage {
  int32_t Track = 0;                   // a track of the port, for the output lookup
  uint32_t Message = 0;                // Status | Data1 << 8 | Data2 << 16 when Long is null
  TMidiEventItemLong* Long = nullptr;  // the song's exclusive item
};

// The state of the 16 channels of one output, built message by message.
class TChannelChase {
 public:
  static constexpr int kChannels = 16;
  static constexpr int kControllers = 128;
  static constexpr int16_t kUnset = -1;

  // One channel message (Status | Data1 << 8 | Data2 << 16). Note messages
  // and system messages change nothing.
  void Apply(uint32_t Message);
  // A reset exclusive message: every channel forgets what it was set to.
  void Reset();
  // The channel messages that set a device, freshly reset, to this state:
  // per channel bank select, program, the controllers in ascending order,
  // each RPN/NRPN value with its selection, the parameter selection the
  // song left, pitch bend and channel pressure.
  std::vector<uint32_t> Messages() const;
  // Gives every value that Whole sets and this state does not its power-on
  // default (volume 100, pan 64, expression 127, reverb 40, program 0, bend
  // centre, a pitch-bend range of 2 semitones...): a song without a reset
  // message, played from a later point, must not keep what it set later.
  void FillDefaultsFrom(const TChannelChase& Whole);
  // This state with every value its default where it is unset: two states
  // that sound alike on a freshly reset device compare equal this way.
  TChannelChase Normalized() const;

  bool operator==(const TChannelChase& Other) const = default;

 private:
  // A registered (RPN) or non-registered (NRPN) parameter's number.
  struct TParameterKey {
    bool Registered = true;
    int Msb = 0;
    int Lsb = 0;
    auto operator<=>(const TParameterKey&) const = default;
  };
  struct TParameterValue {
    int16_t Msb = kUnset;  // data entry (controller 6)
    int16_t Lsb = kUnset;  // data entry fine (controller 38)
    bool operator==(const TParameterValue&) const = default;
  };
  struct TChannel {
    std::array<int16_t, kControllers> Controls;
    int16_t Program = kUnset;
    int32_t Bend = kUnset;  // LSB | MSB << 7
    int16_t Pressure = kUnset;
    bool RegisteredSelected = true;  // which selection the last select controller made
    std::map<TParameterKey, TParameterValue> Parameters;
    TChannel() { Controls.fill(kUnset); }
    bool operator==(const TChannel&) const = default;
  };
  void ApplyControl(TChannel& Channel, int Controller, int Value);
  // The parameter the data entry controllers now address, or false when the
  // selection is empty or the null parameter (127, 127).
  static bool Selected(const TChannel& Channel, TParameterKey& Key);

  std::array<TChannel, kChannels> m_channels{};
};

// The state of one output port: the reset, the exclusive messages since, the channels.
struct TPortChase {
  TMidiEventItemLong* LastReset = nullptr;
  std::vector<TMidiEventItemLong*> ExclusiveSinceReset;
  TChannelChase Channels;
  int32_t Track = 0;  // the first track seen on the port
};

// True for a system-exclusive message that resets a sound module: GM System
// On and Off, GM2 System On, GS Reset, GS System Mode Set and XG System On.
bool IsResetExclusive(const std::vector<int32_t>& Bytes);

// Replays what the song sends before Ms (every item whose Time is below Ms,
// in the order the sequencer sends them) into the port states, keyed by port number.
std::map<int32_t, TPortChase> ChaseSong(const TMidiSong& Song, int32_t Ms);

// The messages that restore the chased state on each port: per port its last
// reset and the exclusive messages after it, then its channel messages.
std::vector<TChaseMessage> ChaseMessages(const std::map<int32_t, TPortChase>& Ports);
