// The window's view of the real sequencer: TWindowPlayer over a TMidiPlayV.
// Same threads as TWindowPlayer (read-outs anywhere, the rest on the main
// thread while the sequencer's timer is off). Refers to the sequencer, which
// the window owns; the adapter must not outlive it.
#pragma once

#include "game/sequencer/midi_play_v.h"
#include "game/sequencer/window_player.h"

class TSequencerPlayer : public TWindowPlayer {
 public:
  explicit TSequencerPlayer(TMidiPlayV& Player) : m_player(Player) {}

  bool Playing() const override;
  int PlayCount() const override;
  int GoodCount() const override;
  int BadCount() const override;
  int MaxCombo() const override;
  double CurrentBpm() const override;
  int PositionMs() const override;
  int EndTime() const override;

  bool Stop() override;
  void Seek(int ms) override;
  void LoadFromFile(const std::string& fileName) override;
  std::string TrackTitle() const override;

  void SetPlaySpeed(double factor) override;
  void SetChannelOn(const std::array<bool, 16>& channelOn) override;
  void SetBarHalfWidth(int halfWidth) override;
  void SetVoiceOn(bool voiceOn) override;
  void AssignLanes(int firstEvent, const std::function<int(int note)>& laneForNote) override;
  bool Start() override;
  bool Pause() override;
  bool Resume() override;
  TPauseState PauseState() const override;
  const TMidiSong& Song() const override { return m_player; }
  double PlaySpeed() const override;
  double MsSinceStep() const override;
  HMIDIOUT OutputHandle() const override;
  bool UsePlayDevice(int deviceId) override;
  void SetGameEndHandler(TGameEndHandler handler) override;
  void SetPractice(bool practice) override;
  bool JumpTo(int ms) override;
  void SetLoopEnd(int ms) override;
  void SetLoopEndHandler(std::function<void()> handler) override;

 private:
  TMidiPlayV& m_player;
};
