// A private sound server for the tests that need a live audio stream, of
// either kind a desktop runs: PulseAudio itself, or PipeWire with its session
// manager and its PulseAudio server (pipewire, wireplumber, pipewire-pulse on
// a private D-Bus session bus). Its own runtime folder, a null sink at 48 kHz
// as the default sink, no system daemon; and a recording of the sink's
// monitor with parec. Every part is a child process stopped by its process
// id. Test main thread only.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"

enum class TSoundServerKind { PulseAudio, PipeWire };

class TPulseServer {
 public:
  static constexpr char kSinkName[] = "pluvionaut_test_sink";
  // What every sink made here is described as (the same for all of them).
  static constexpr char kSinkDescription[] = "PluvionautTestOutput";

  explicit TPulseServer(TSoundServerKind kind = TSoundServerKind::PulseAudio) : m_kind(kind) {}
  ~TPulseServer();

  // Starts the server in folder (made if missing) and points this process at
  // it (XDG_RUNTIME_DIR, PULSE_SERVER). False with a reason when the server's
  // programs are not installed or it does not come up.
  bool Start(const std::string& folder, std::string& reason);
  void Stop();
  // One more null sink, described as the first one.
  bool AddSink(const std::string& name);

  // Records the sink's monitor into a WAV file until StopRecording.
  bool StartRecording(const std::string& wavFile);
  void StopRecording();

 private:
  bool StartPulseAudio(const std::string& runtime, std::string& reason);
  bool StartPipeWire(const std::string& runtime, std::string& reason);
  bool Pactl(const std::vector<std::string>& args) const;

  TSoundServerKind m_kind;
  std::string m_folder;
  TEnvironment m_environment;
  // The server's processes, in the order they were started.
  std::vector<std::unique_ptr<TChildProcess>> m_processes;
  TChildProcess m_recorder;
};

const char* SoundServerName(TSoundServerKind kind);
// For the test names: the server's name.
inline void PrintTo(TSoundServerKind kind, std::ostream* out) { *out << SoundServerName(kind); }
