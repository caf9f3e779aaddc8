// Finding SoundFonts on the system and loading one on a thread of its own, so
// that a large one (FluidR3 is 148 MB) never holds up a frame. Start, Finished,
// Take and Retire: main thread; the loading and freeing happen on the
// loader's worker thread, which the loader joins. The loader owns the
// synthesizer until it is taken.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/synthesizer.h"

// The folders SoundFonts are looked for in: /usr/share/sounds/sf2,
// /usr/share/soundfonts and ~/.local/share/soundfonts (when HOME is set).
std::vector<std::string> SoundFontFolders();
// The .sf2 and .sf3 files directly in those folders, sorted by path, each
// once (a link to a file listed already is left out).
std::vector<std::string> FindSoundFonts(const std::vector<std::string>& folders);

class TSoundFontLoader {
 public:
  TSoundFontLoader() = default;
  ~TSoundFontLoader();
  TSoundFontLoader(const TSoundFontLoader&) = delete;
  TSoundFontLoader& operator=(const TSoundFontLoader&) = delete;

  // Starts loading path into a new synthesizer at sampleRate. False while a
  // load is still running.
  bool Start(const std::string& path, unsigned sampleRate);
  bool Busy() const { return m_running && !m_finished.load(std::memory_order_acquire); }
  // True once the load started last has ended, until Take.
  bool Finished() const { return m_running && m_finished.load(std::memory_order_acquire); }
  // The loaded synthesizer (nullptr when the file did not load); ends the load.
  std::unique_ptr<TSynthesizer> Take();
  const std::string& Path() const { return m_path; }
  // Frees a synthesizer on a thread of its own.
  void Retire(std::unique_ptr<TSynthesizer> synth);

 private:
  void Join();

  std::thread m_worker;
  std::thread m_freer;
  bool m_running = false;
  std::atomic<bool> m_finished{false};
  std::string m_path;
  std::unique_ptr<TSynthesizer> m_result;  // written by the worker before m_finished
};
