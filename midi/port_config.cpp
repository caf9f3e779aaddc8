#include "midi/port_config.h"

namespace {
constexpr int kControllerVolume = 7;
constexpr int kControllerPan = 10;
constexpr int kControllerExpression = 11;
constexpr int32_t kResetVolume = 100;
constexpr int32_t kResetPan = 64;
constexpr int32_t kResetExpression = 127;
}  // namespace

void TMidiPortConfig::Reset() {
  for (TMidiPortConfigChannel& channel : Channels) {
    channel.Tone.Program = 0;
    channel.Tone.Bank.Value = 0;
    for (TMidiPortConfigControl& control : channel.Controls) control.Value = 0;
    channel.Controls[kControllerVolume].Value = kResetVolume;
    channel.Controls[kControllerPan].Value = kResetPan;
    channel.Controls[kControllerExpression].Value = kResetExpression;
  }
}

void TMidiPortConfigs::EnsurePort(int Port) {
  while (Count() <= Port) m_ports.push_back(std::make_unique<TMidiPortConfig>());
}

TMidiPortConfig* TMidiPortConfigs::Port(int Port) const {
  if (Port < 0 || Port >= Count()) return nullptr;
  return m_ports[static_cast<size_t>(Port)].get();
}
