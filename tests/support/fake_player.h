// A sequencer stand-in for the window's tests: records the calls the window
// makes, in order, and holds the read-outs and notes the test chooses.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "game/sequencer/window_player.h"

class TFakePlayer : public TWindowPlayer {
 public:
  bool Playing() const override { return playing; }
  int PlayCount() const override { return playCount; }
  int GoodCount() const override { return goodCount; }
  int BadCount() const override { return badCount; }
  double CurrentBpm() const override { return bpm; }
  int PositionMs() const override { return positionMs; }
  int EndTime() const override { return endTime; }

  bool Stop() override {
    calls.push_back("Stop");
    playing = false;
    return true;
  }
  void Seek(int ms) override { calls.push_back("Seek " + std::to_string(ms)); }
  void LoadFromFile(const std::string& fileName) override {
    calls.push_back("LoadFromFile " + fileName);
    if (failLoad) throw std::runtime_error("not a MIDI file: " + fileName);
  }
  std::string TrackTitle() const override { return title; }
  void SetPlaySpeed(double factor) override { calls.push_back("SetPlaySpeed " + std::to_string(factor)); }
  void SetChannelOn(const std::array<bool, 16>& on) override {
    calls.push_back("SetChannelOn");
    channelOn = on;
  }
  void SetBarHalfWidth(int halfWidth) override { calls.push_back("SetBarHalfWidth " + std::to_string(halfWidth)); }
  void SetVoiceOn(bool on) override { calls.push_back(std::string("SetVoiceOn ") + (on ? "1" : "0")); }
  void AssignLanes(int firstEvent, const std::function<int(int)>& laneForNote) override {
    calls.push_back("AssignLanes " + std::to_string(firstEvent));
    lanes.clear();
    for (std::size_t i = static_cast<std::size_t>(firstEvent); i < notes.size(); ++i) lanes.push_back(laneForNote(notes[i]));
  }
  bool Start() override {
    calls.push_back("Start");
    playing = true;
    return true;
  }

  bool playing = false;
  int playCount = 0;
  int goodCount = 0;
  int badCount = 0;
  double bpm = 0.0;
  int positionMs = 0;
  int endTime = 0;
  bool failLoad = false;
  std::string title;
  std::vector<int> notes;  // note numbers of the song's note-ons
  std::vector<int> lanes;
  std::array<bool, 16> channelOn{};
  std::vector<std::string> calls;
};
