// When a new SoundFont takes the place of the one in use: it loads on the
// loader's thread; once it has loaded and no game runs, the engine's
// synthesizer is replaced and the old one is freed on a thread of its own. A
// game that started meanwhile keeps its sound; the new one comes after it.
// The caller polls while Busy and shows what Poll reports. Main thread.
#pragma once

#include <memory>
#include <string>

#include "platform/audio/soundfont_loader.h"

class TSoundFontSwap {
 public:
  enum class TReport {
    Waiting,  // still loading, or loaded and waiting for the game to end
    Failed,   // the file did not load: the sound stays as it was
    Swapped,  // the new SoundFont plays from now on
  };

  // Starts loading path (UTF-8) at the engine's rate. False while a load or
  // a swap is under way, or when path is the SoundFont in use.
  bool Start(const std::string& path);
  bool Busy() const { return m_loader.Busy() || m_loader.Finished() || m_swapPending; }
  // playing: a game runs (the swap waits for its end).
  TReport Poll(bool playing);
  // The file being loaded, or swapped in last.
  const std::string& Path() const { return m_path; }
  // After Swapped: the engine had no synthesizer before (no SoundFont had
  // loaded at start).
  bool ReplacedNone() const { return m_replacedNone; }

 private:
  TSoundFontLoader m_loader;
  bool m_swapPending = false;
  std::unique_ptr<TSynthesizer> m_loaded;  // loaded, waiting for the game to end
  std::string m_path;
  bool m_replacedNone = false;
};
