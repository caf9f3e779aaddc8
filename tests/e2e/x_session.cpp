#include "x_session.h"

#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

namespace {

constexpr int kXvfbStartLimitMs = 20000;
constexpr int kShotLimitMs = 20000;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace

std::vector<std::string> TXSession::MissingPrograms() {
  std::vector<std::string> missing;
  for (const char* name : {"Xvfb", "xdotool", "import"}) {
    if (FindProgram(name).empty()) missing.push_back(name);
  }
  return missing;
}

bool TXSession::Start(const std::string& screen) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  const bool started = m_xvfb.Start({FindProgram("Xvfb"), "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                     screen, "-nolisten", "tcp", "-noreset"},
                                    EnvironmentWith({}), {}, fds[1]);
  close(fds[1]);
  std::string number;
  if (started) {
    // Xvfb writes the display number and a line feed once it accepts clients.
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, kXvfbStartLimitMs) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
  }
  close(fds[0]);
  if (number.empty()) return false;
  m_display = ":" + number;
  return true;
}

TEnvironment TXSession::Environment(const TEnvironment& more) const {
  TEnvironment changes{"DISPLAY=" + m_display, "QT_QPA_PLATFORM=xcb"};
  changes.insert(changes.end(), more.begin(), more.end());
  return EnvironmentWith(changes);
}

TCommandResult TXSession::XDoTool(const std::vector<std::string>& args, int limitMs) const {
  std::vector<std::string> argv{FindProgram("xdotool")};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCommand(argv, Environment(), limitMs);
}

std::vector<std::string> TXSession::FindWindows(const std::string& nameRegex) const {
  return Lines(XDoTool({"search", "--onlyvisible", "--name", nameRegex}).Output);
}

std::vector<std::string> TXSession::WindowsOfProcess(pid_t pid) const {
  return Lines(XDoTool({"search", "--onlyvisible", "--pid", std::to_string(pid)}).Output);
}

QRect TXSession::Geometry(const std::string& window) const {
  const std::vector<std::string> lines = Lines(XDoTool({"getwindowgeometry", "--shell", window}).Output);
  int x = 0, y = 0, w = 0, h = 0;
  for (const std::string& line : lines) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const int value = std::atoi(line.c_str() + eq + 1);
    if (key == "X") x = value;
    if (key == "Y") y = value;
    if (key == "WIDTH") w = value;
    if (key == "HEIGHT") h = value;
  }
  return w > 0 && h > 0 ? QRect(x, y, w, h) : QRect();
}

void TXSession::Focus(const std::string& window) const {
  XDoTool({"windowraise", window});
  XDoTool({"windowfocus", window});
}

void TXSession::Keys(const std::vector<std::string>& keys) const {
  std::vector<std::string> args{"key", "--delay", "100"};
  args.insert(args.end(), keys.begin(), keys.end());
  XDoTool(args);
}

void TXSession::MoveMouse(int x, int y) const { XDoTool({"mousemove", std::to_string(x), std::to_string(y)}); }

QImage TXSession::Screenshot(const std::string& savePath) const {
  const std::string file = savePath.empty()
                               ? (std::filesystem::temp_directory_path() / ("pluv_e2e_shot_" + std::to_string(getpid()) + ".png")).string()
                               : savePath;
  const TCommandResult shot =
      RunCommand({FindProgram("import"), "-display", m_display, "-window", "root", file}, Environment(), kShotLimitMs);
  QImage image;
  if (shot.Finished && shot.ExitCode == 0) image.load(QString::fromStdString(file));
  if (savePath.empty()) std::filesystem::remove(file);
  return image;
}
