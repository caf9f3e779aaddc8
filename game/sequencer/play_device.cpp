#include "game/sequencer/play_device.h"

#include "game/sequencer/midi_play_v.h"

bool UsePlayDevice(TMidiPlayV& player, int deviceId) {
  player.ClosePorts();
  player.PlayDevices.Clear();
  player.AddPlayDevice(deviceId);
  if (player.OpenPorts()) return true;
  if (deviceId != kMidiMapperDevice) {
    player.ClosePorts();
    player.PlayDevices.Clear();
    player.AddPlayDevice(kMidiMapperDevice);
    player.OpenPorts();
  }
  return false;
}
