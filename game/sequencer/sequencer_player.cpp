#include "game/sequencer/sequencer_player.h"

#include <chrono>
#include <utility>

#include "game/sequencer/play_device.h"
#include "midi/event_item.h"

bool TSequencerPlayer::Playing() const { return m_player.Playing.load(std::memory_order_relaxed); }

int TSequencerPlayer::PlayCount() const { return m_player.PlayCount.load(std::memory_order_relaxed); }

int TSequencerPlayer::GoodCount() const { return m_player.GoodCount.load(std::memory_order_relaxed); }

int TSequencerPlayer::BadCount() const { return m_player.BadCount.load(std::memory_order_relaxed); }

double TSequencerPlayer::CurrentBpm() const { return m_player.CurrentBpm(); }

int TSequencerPlayer::PositionMs() const { return m_player.PositionMs.load(std::memory_order_relaxed); }

// Fixed while a song is loaded; only LoadFromFile on this thread changes it.
int TSequencerPlayer::EndTime() const { return m_player.EndTime; }

bool TSequencerPlayer::Stop() { return m_player.Stop(); }

void TSequencerPlayer::Seek(int ms) { m_player.Seek(ms); }

void TSequencerPlayer::LoadFromFile(const std::string& fileName) { m_player.LoadFromFile(fileName); }

std::string TSequencerPlayer::TrackTitle() const { return m_player.TrackTitle(); }

void TSequencerPlayer::SetPlaySpeed(double factor) { m_player.SetPlaySpeed(factor); }

void TSequencerPlayer::SetChannelOn(const std::array<bool, 16>& channelOn) {
  for (size_t channel = 0; channel < channelOn.size(); ++channel) {
    m_player.ChannelOn[channel].store(channelOn[channel], std::memory_order_relaxed);
  }
}

void TSequencerPlayer::SetBarHalfWidth(int halfWidth) {
  m_player.BarHalfWidth.store(halfWidth, std::memory_order_relaxed);
}

void TSequencerPlayer::SetVoiceOn(bool voiceOn) { m_player.VoiceOn.store(voiceOn, std::memory_order_relaxed); }

void TSequencerPlayer::AssignLanes(int firstEvent, const std::function<int(int note)>& laneForNote) {
  const int count = m_player.Events.Count();
  for (int i = firstEvent < 0 ? 0 : firstEvent; i < count; ++i) {
    auto* noteOn = dynamic_cast<TMidiEventItemNoteOn*>(m_player.Events[i]);
    if (noteOn == nullptr) continue;
    noteOn->Lane.store(laneForNote(noteOn->Data1), std::memory_order_relaxed);
  }
}

bool TSequencerPlayer::Start() { return m_player.Start(); }

bool TSequencerPlayer::Pause() { return m_player.Pause(); }

bool TSequencerPlayer::Resume() { return m_player.Resume(); }

TPauseState TSequencerPlayer::PauseState() const { return m_player.PauseState.load(std::memory_order_relaxed); }

double TSequencerPlayer::PlaySpeed() const { return m_player.PlaySpeed.load(std::memory_order_relaxed); }

double TSequencerPlayer::MsSinceStep() const {
  if (m_player.PauseState.load(std::memory_order_relaxed) != TPauseState::None || !m_player.Timer.Enabled.load()) {
    return 0.0;
  }
  const int64_t nowNs =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
  constexpr double kNsPerMs = 1e6;
  return static_cast<double>(nowNs - m_player.StepMomentNs.load(std::memory_order_relaxed)) / kNsPerMs;
}

HMIDIOUT TSequencerPlayer::OutputHandle() const {
  if (!m_player.PortsOpen || m_player.OpenHandles.Count() <= 0) return nullptr;
  return ValueToHandle(m_player.OpenHandles.Values(0));
}

bool TSequencerPlayer::UsePlayDevice(int deviceId) { return ::UsePlayDevice(m_player, deviceId); }

void TSequencerPlayer::SetGameEndHandler(TGameEndHandler handler) {
  if (!handler) {
    m_player.OnGameEnd = nullptr;
    return;
  }
  m_player.OnGameEnd = [handler = std::move(handler)](const TMidiPlayV::TGameEnd& game) {
    handler(game.GoodCount, game.BadCount, game.MaxCombo);
  };
}

void TSequencerPlayer::SetPractice(bool practice) { m_player.Practice.store(practice, std::memory_order_relaxed); }

bool TSequencerPlayer::JumpTo(int ms) { return m_player.JumpTo(ms); }

void TSequencerPlayer::SetLoopEnd(int ms) { m_player.LoopEndMs.store(ms < 0 ? -1 : ms, std::memory_order_relaxed); }

void TSequencerPlayer::SetLoopEndHandler(std::function<void()> handler) { m_player.OnLoopEnd = std::move(handler); }

int TSequencerPlayer::MaxCombo() const { return m_player.MaxCombo.load(std::memory_order_relaxed); }
