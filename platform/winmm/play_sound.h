// A test hook of sndPlaySoundA: while a recorder exists, every call is
// recorded (name as given, CP932, and flags) before the sound is played.
// Any thread; at most one recorder at a time.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/wintypes/wintypes.h"

struct TPlayedSound {
  std::string Name;  // empty for sndPlaySoundA(nullptr, ...)
  UINT Flags;
};

class TPlayedSoundRecorder {
 public:
  TPlayedSoundRecorder();
  ~TPlayedSoundRecorder();
  TPlayedSoundRecorder(const TPlayedSoundRecorder&) = delete;
  TPlayedSoundRecorder& operator=(const TPlayedSoundRecorder&) = delete;

  std::vector<TPlayedSound> Calls() const;
  std::vector<std::string> Names() const;
  void Record(TPlayedSound call);

 private:
  mutable std::mutex m_mutex;
  std::vector<TPlayedSound> m_calls;
};
