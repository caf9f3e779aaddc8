#include "pulse_server.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kServerStartLimitMs = 10000;
constexpr int kRecorderStartLimitMs = 5000;
constexpr int kPollMs = 20;

}  // namespace

TPulseServer::~TPulseServer() { Stop(); }

bool TPulseServer::Start(const std::string& folder, std::string& reason) {
  const std::string pulseaudio = FindProgram("pulseaudio");
  if (pulseaudio.empty() || FindProgram("parec").empty() || FindProgram("pactl").empty()) {
    reason = "pulseaudio or pulseaudio-utils is not installed";
    return false;
  }
  m_folder = folder;
  std::filesystem::create_directories(m_folder + "/runtime");
  chmod((m_folder + "/runtime").c_str(), 0700);
  const std::string config = m_folder + "/server.pa";
  {
    std::ofstream out(config);
    out << "load-module module-null-sink sink_name=" << kSinkName << " rate=48000 channels=2\n"
        << "load-module module-native-protocol-unix auth-anonymous=1\n"
        << "set-default-sink " << kSinkName << "\n";
  }
  const std::string runtime = m_folder + "/runtime";
  const std::string socket = runtime + "/pulse/native";
  m_environment = EnvironmentWith({"XDG_RUNTIME_DIR=" + runtime, "HOME=" + m_folder, "PULSE_SERVER=unix:" + socket,
                                   "DBUS_SESSION_BUS_ADDRESS=disabled:"});
  if (!m_server.Start({pulseaudio, "-n", "-F", config, "--daemonize=no", "--exit-idle-time=-1", "--log-target=stderr",
                       "--log-level=error"},
                      m_environment, m_folder)) {
    reason = "pulseaudio could not be started";
    return false;
  }
  const bool up = WaitUntil(
      kServerStartLimitMs,
      [&] { return m_server.Running() && RunCommand({FindProgram("pactl"), "info"}, m_environment, 2000).ExitCode == 0; },
      kPollMs);
  if (!up) {
    reason = "the pulseaudio server did not come up";
    Stop();
    return false;
  }
  // This process (its RtAudio PulseAudio back end) uses the private server.
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
  return true;
}

void TPulseServer::Stop() {
  StopRecording();
  m_server.Stop();
}

bool TPulseServer::StartRecording(const std::string& wavFile) {
  if (!m_recorder.Start({FindProgram("parec"), "-d", std::string(kSinkName) + ".monitor", "--rate=48000",
                         "--channels=2", "--format=s16le", "--file-format=wav", "--latency-msec=10", wavFile},
                        m_environment, m_folder)) {
    return false;
  }
  // The recorder is there once the server lists it as a source output.
  return WaitUntil(
      kRecorderStartLimitMs,
      [&] {
        const TCommandResult outputs =
            RunCommand({FindProgram("pactl"), "list", "short", "source-outputs"}, m_environment, 2000);
        return outputs.ExitCode == 0 && !outputs.Output.empty();
      },
      kPollMs);
}

void TPulseServer::StopRecording() { m_recorder.Stop(); }

bool TPulseServer::AddSink(const std::string& name) {
  return RunCommand({FindProgram("pactl"), "load-module", "module-null-sink", "sink_name=" + name, "rate=48000"},
                    m_environment, 5000)
             .ExitCode == 0;
}
