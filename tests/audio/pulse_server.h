// A private PulseAudio server for the tests that need a live audio stream: its
// own runtime folder, a null sink at 48 kHz, the native protocol, no system
// daemon and no D-Bus; and a recording of the sink's monitor with parec. Both
// are child processes stopped by their process ids. Test main thread only.
#pragma once

#include <string>

#include "tests/e2e/child_process.h"

class TPulseServer {
 public:
  static constexpr char kSinkName[] = "pluvionaut_test_sink";

  ~TPulseServer();

  // Starts the server in folder (made if missing) and points this process at
  // it (XDG_RUNTIME_DIR, PULSE_SERVER). False with a reason when pulseaudio is
  // not installed or the server does not come up.
  bool Start(const std::string& folder, std::string& reason);
  void Stop();
  // One more null sink, with the description every null sink has by default.
  bool AddSink(const std::string& name);

  // Records the sink's monitor into a WAV file until StopRecording.
  bool StartRecording(const std::string& wavFile);
  void StopRecording();

 private:
  std::string m_folder;
  TEnvironment m_environment;
  TChildProcess m_server;
  TChildProcess m_recorder;
};
