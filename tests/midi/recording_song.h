// A song that records what its items ask of the player instead of sending
// anything: the test double for the output layer and the sequencer.
#pragma once

#include <string>
#include <vector>

#include "midi/midi_song.h"

class TRecordingSong : public TMidiSong {
 public:
  void SendShort(int Track, TMidiEventItemShort* Item) override {
    Calls.push_back("SendShort " + std::to_string(Track) + " " + std::to_string(Item->Message));
  }
  void SendLong(int Track, TMidiEventItemLong* Item) override {
    Calls.push_back("SendLong " + std::to_string(Track) + " " + std::to_string(Item->Bytes.Count()));
  }
  void DoTempo(int Tempo) override { Calls.push_back("DoTempo " + std::to_string(Tempo)); }
  void DoRhythm(TMidiEventItemRhythm* Item) override {
    Calls.push_back("DoRhythm " + std::to_string(Item->Bunshi) + "/" + std::to_string(Item->Bunbo));
  }
  void DoVibrant(TMidiEventItemVibrant* Item) override {
    Calls.push_back("DoVibrant " + std::to_string(Item->Vibrant) + "-" + std::to_string(Item->Rhythm));
  }
  void DoLyric(const std::string& Text) override { Calls.push_back("DoLyric " + Text); }
  void DoLcdStr(const std::string& Text) override { Calls.push_back("DoLcdStr " + Text); }
  void DoLcdDot(TListIntItems& Dots) override {
    Calls.push_back("DoLcdDot " + std::to_string(Dots.Count()));
  }

  std::vector<std::string> Calls;
};
