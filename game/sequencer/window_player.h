// What the main window asks of the sequencer: the state the frame loop shows
// and draws, and the operations of Open, Play, Stop, pause, the play device
// and the calibration; the window uses the sequencer through nothing else. The sequencer (or an adapter
// over it) implements it; the window does not own it. The read-outs may be
// called while the timer thread plays (each is one atomic value); everything
// else only on the main thread while the sequencer's timer is stopped.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "game/sequencer/pause_state.h"
#include "platform/winmm/mmsystem.h"

class TMidiSong;

class TWindowPlayer {
 public:
  virtual ~TWindowPlayer() = default;

  virtual bool Playing() const = 0;
  virtual int PlayCount() const = 0;
  virtual int GoodCount() const = 0;
  virtual int BadCount() const = 0;
  // The longest run of Good in the game so far.
  virtual int MaxCombo() const { return 0; }
  virtual double CurrentBpm() const = 0;
  virtual int PositionMs() const = 0;
  virtual int EndTime() const = 0;

  // Stops the game (timer off, notes off, ports reset).
  virtual bool Stop() = 0;
  // Rewinds to ms and clears the counters.
  virtual void Seek(int ms) = 0;
  // Loads a Standard MIDI File; throws on any failure (the song is then gone).
  virtual void LoadFromFile(const std::string& fileName) = 0;
  // Track 0's name (CP932), empty when there is none.
  virtual std::string TrackTitle() const = 0;

  virtual void SetPlaySpeed(double factor) = 0;
  virtual void SetChannelOn(const std::array<bool, 16>& channelOn) = 0;
  virtual void SetBarHalfWidth(int halfWidth) = 0;
  virtual void SetVoiceOn(bool voiceOn) = 0;
  // For every event from index firstEvent on that is a note-on, in song
  // order: its lane := laneForNote(its note number).
  virtual void AssignLanes(int firstEvent, const std::function<int(int note)>& laneForNote) = 0;
  // Count-in and play.
  virtual bool Start() = 0;

  // Pausing a running game and going on after a count-in (Resume runs the
  // count-in through the event loop). A player without pauses refuses both.
  virtual bool Pause() { return false; }
  virtual bool Resume() { return false; }
  virtual TPauseState PauseState() const { return TPauseState::None; }

  // The song the frame loop draws (an empty one unless the player has its own).
  virtual const TMidiSong& Song() const;
  // The music speed in force.
  virtual double PlaySpeed() const { return 1.0; }
  // Milliseconds since the song clock last stepped while it runs; 0 while it
  // stands (stopped or paused). The frame makes up for that age.
  virtual double MsSinceStep() const { return 0.0; }
  // The open MIDI output the game plays on; null when none is open.
  virtual HMIDIOUT OutputHandle() const { return nullptr; }
  // Puts deviceId (kMidiMapperDevice: the built-in synthesizer) in place of
  // the play device; false when it did not open (the mapper plays then).
  virtual bool UsePlayDevice(int /*deviceId*/) { return false; }
  // Called on the main thread with the counts of every completed game.
  using TGameEndHandler = std::function<void(int good, int bad, int maxCombo)>;
  virtual void SetGameEndHandler(TGameEndHandler /*handler*/) {}

  // Practice games. A practice game's end raises no play count and unlocks
  // nothing; set before Start.
  virtual void SetPractice(bool /*practice*/) {}
  // Moves a running game to ms with the song's state there, after a count-in
  // (the counters stay); false when no game runs or the player cannot.
  virtual bool JumpTo(int /*ms*/) { return false; }
  // Where the song clock stops and the loop-end handler is called (ms);
  // negative: nowhere.
  virtual void SetLoopEnd(int /*ms*/) {}
  // Called on the main thread when the song clock reached the loop end.
  virtual void SetLoopEndHandler(std::function<void()> /*handler*/) {}
};
