// The game's stream on a PulseAudio server (PipeWire's included) through
// libpulse-simple, written by a thread of its own: the sinks the server has,
// and one playback stream of interleaved stereo float on the server's default
// sink or on a sink named by the server's own (unique) name. The server keeps
// a buffer of a given length filled ahead of the sound, so that a thread woken
// late (a busy disk, busy cores) does not leave the sink without sound.
//
// Nothing here starts a server (no autospawn) or prints anything. Sinks and
// Open: main thread; the render function runs on the stream's thread.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

struct pa_simple;

struct TPulseSink {
  std::string name;         // the server's name, unique ("alsa_output.pci-...")
  std::string description;  // what the desktop shows ("Built-in Audio Analog Stereo"), not unique
  unsigned channels = 0;
  bool isDefault = false;
};

class TPulseOutput {
 public:
  using TRender = std::function<void(float* interleaved, unsigned frames)>;

  // Whether a server socket is there to connect to (PULSE_SERVER, or the
  // native socket in the runtime folder): without one nothing is tried.
  static bool ServerReachable();
  // The server's sinks in its order (empty without a server, or when it does
  // not answer within a second).
  static std::vector<TPulseSink> Sinks();
  // Whether the server is PipeWire's PulseAudio server (asked as Sinks asks;
  // false without an answer).
  static bool ServerIsPipeWire();

  TPulseOutput() = default;
  ~TPulseOutput();
  TPulseOutput(const TPulseOutput&) = delete;
  TPulseOutput& operator=(const TPulseOutput&) = delete;

  // Connects a stream to sinkName (empty: the server's default sink) at rate,
  // asking for blockFrames at a time and keeping bufferFrames queued at the
  // server, and starts the thread. False with the server's reason.
  bool Open(const std::string& sinkName, unsigned rate, unsigned blockFrames, unsigned bufferFrames,
            TRender render, std::string& reason);
  void Close();
  bool Running() const { return m_thread.joinable(); }
  // The server's reckoning of the time from a write to its sound, in ms.
  double LatencyMs() const;

 private:
  void Run();

  pa_simple* m_simple = nullptr;
  unsigned m_rate = 0;
  unsigned m_blockFrames = 0;
  TRender m_render;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};
