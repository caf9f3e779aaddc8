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

const char* SoundServerName(TSoundServerKind kind) {
  return kind == TSoundServerKind::PipeWire ? "PipeWire" : "PulseAudio";
}

bool TPulseServer::Pactl(const std::vector<std::string>& args) const {
  std::vector<std::string> argv{FindProgram("pactl")};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCommand(argv, m_environment, 5000).ExitCode == 0;
}

bool TPulseServer::Start(const std::string& folder, std::string& reason) {
  if (FindProgram("parec").empty() || FindProgram("pactl").empty()) {
    reason = "pulseaudio-utils is not installed";
    return false;
  }
  m_folder = folder;
  const std::string runtime = m_folder + "/runtime";
  std::filesystem::create_directories(runtime);
  chmod(runtime.c_str(), 0700);
  const std::string socket = runtime + "/pulse/native";
  m_environment = EnvironmentWith({"XDG_RUNTIME_DIR=" + runtime, "HOME=" + m_folder, "PULSE_SERVER=unix:" + socket,
                                   "DBUS_SESSION_BUS_ADDRESS=disabled:"});
  const bool started =
      m_kind == TSoundServerKind::PipeWire ? StartPipeWire(runtime, reason) : StartPulseAudio(runtime, reason);
  if (!started) {
    Stop();
    return false;
  }
  const bool up = WaitUntil(kServerStartLimitMs, [&] { return Pactl({"info"}); }, kPollMs);
  // PipeWire's PulseAudio server makes the null sink on request, as a desktop's tools would.
  const bool sinkReady =
      up && (m_kind != TSoundServerKind::PipeWire ||
             (Pactl({"load-module", "module-null-sink", std::string("sink_name=") + kSinkName, "rate=48000",
                     "channels=2", std::string("sink_properties=device.description=") + kSinkDescription}) &&
              Pactl({"set-default-sink", kSinkName})));
  if (!sinkReady) {
    reason = std::string("the ") + SoundServerName(m_kind) + " server did not come up";
    Stop();
    return false;
  }
  // This process (the game's stream) uses the private server.
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
  return true;
}

bool TPulseServer::StartPulseAudio(const std::string&, std::string& reason) {
  const std::string pulseaudio = FindProgram("pulseaudio");
  if (pulseaudio.empty()) {
    reason = "pulseaudio is not installed";
    return false;
  }
  const std::string config = m_folder + "/server.pa";
  {
    std::ofstream out(config);
    out << "load-module module-null-sink sink_name=" << kSinkName << " rate=48000 channels=2"
        << " sink_properties=device.description=" << kSinkDescription << "\n"
        << "load-module module-native-protocol-unix auth-anonymous=1\n"
        << "set-default-sink " << kSinkName << "\n";
  }
  auto server = std::make_unique<TChildProcess>();
  if (!server->Start({pulseaudio, "-n", "-F", config, "--daemonize=no", "--exit-idle-time=-1", "--log-target=stderr",
                      "--log-level=error"},
                     m_environment, m_folder)) {
    reason = "pulseaudio could not be started";
    return false;
  }
  m_processes.push_back(std::move(server));
  return true;
}

bool TPulseServer::StartPipeWire(const std::string& runtime, std::string& reason) {
  const std::vector<std::string> programs = {FindProgram("dbus-daemon"), FindProgram("pipewire"),
                                             FindProgram("wireplumber"), FindProgram("pipewire-pulse")};
  for (const std::string& program : programs) {
    if (program.empty()) {
      reason = "PipeWire (dbus-daemon, pipewire, wireplumber, pipewire-pulse) is not installed";
      return false;
    }
  }
  // A session bus of its own, for the session manager.
  const std::string bus = "unix:path=" + runtime + "/bus";
  for (std::string& entry : m_environment) {
    if (entry.starts_with("DBUS_SESSION_BUS_ADDRESS=")) entry = "DBUS_SESSION_BUS_ADDRESS=" + bus;
  }
  auto start = [&](std::vector<std::string> argv) {
    auto process = std::make_unique<TChildProcess>();
    const bool ok = process->Start(argv, m_environment, m_folder);
    if (ok) m_processes.push_back(std::move(process));
    return ok;
  };
  if (!start({programs[0], "--session", "--nofork", "--nopidfile", "--address=" + bus})) {
    reason = "dbus-daemon could not be started";
    return false;
  }
  const std::string busSocket = runtime + "/bus";
  WaitUntil(kServerStartLimitMs, [&] { return std::filesystem::exists(busSocket); }, kPollMs);
  if (!start({programs[1]})) {
    reason = "pipewire could not be started";
    return false;
  }
  WaitUntil(kServerStartLimitMs, [&] { return std::filesystem::exists(runtime + "/pipewire-0"); }, kPollMs);
  if (!start({programs[2]}) || !start({programs[3]})) {
    reason = "wireplumber or pipewire-pulse could not be started";
    return false;
  }
  return true;
}

void TPulseServer::Stop() {
  StopRecording();
  // The last started first: the PulseAudio server before the graph, the bus last.
  while (!m_processes.empty()) {
    m_processes.back()->Stop();
    m_processes.pop_back();
  }
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
  return Pactl({"load-module", "module-null-sink", "sink_name=" + name, "rate=48000",
                std::string("sink_properties=device.description=") + kSinkDescription});
}
