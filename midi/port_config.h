// Per-port record of channel state that the song's controller, program,
// bend and reset items keep up to date (nothing reads it to produce output).
// Written by ApplyState on the timer thread during play and rebuilt by each
// load on the main thread; TMidiPortConfigs owns its port records.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct TMidiPortConfigControlData {
  int32_t Value = 0;
};

struct TMidiPortConfigControl {
  static constexpr int32_t kInitialValue = 127;
  int32_t Value = kInitialValue;
};

struct TMidiPortConfigTone {
  int32_t Program = 0;
  TMidiPortConfigControlData Bank;  // bank select MSB << 7 | LSB
};

struct TMidiPortConfigChannel {
  static constexpr int kControllerCount = 256;
  static constexpr int32_t kBendCentre = 0x2000;

  std::array<TMidiPortConfigControl, kControllerCount> Controls;
  TMidiPortConfigTone Tone;
  TMidiPortConfigControlData Bend{kBendCentre};  // LSB | MSB << 7
  std::array<TMidiPortConfigControlData, 6> Spare;  // never written
};

struct TMidiPortConfig {
  static constexpr int kChannelCount = 16;
  std::array<TMidiPortConfigChannel, kChannelCount> Channels;

  // Program and bank 0, every controller 0, then volume 100, pan 64 and
  // expression 127 on all channels; the bend stays.
  void Reset();
};

class TMidiPortConfigs {
 public:
  void Clear() { m_ports.clear(); }
  int Count() const { return static_cast<int>(m_ports.size()); }
  // Creates the records of ports 0 .. Port that do not exist yet.
  void EnsurePort(int Port);
  // The record of Port, or null when it does not exist.
  TMidiPortConfig* Port(int Port) const;

 private:
  std::vector<std::unique_ptr<TMidiPortConfig>> m_ports;
};
