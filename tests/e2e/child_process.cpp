#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

extern char** environ;

namespace {

constexpr int kStopGraceMs = 3000;

using TClock = std::chrono::steady_clock;

std::vector<char*> CStrings(const std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  pointers.reserve(strings.size() + 1);
  for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

int ElapsedMs(TClock::time_point since) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - since).count());
}

// fork + exec with the folder changed in the child (posix_spawn cannot do
// that portably) and every descriptor above stderr closed but keepFd.
pid_t Spawn(const std::vector<std::string>& argv, const TEnvironment& env, const std::string& folder, int keepFd,
            int stdoutFd) {
  std::vector<char*> args = CStrings(argv);
  std::vector<char*> envp = CStrings(env);
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // Child: only async-signal-safe calls from here on.
  if (stdoutFd >= 0) dup2(stdoutFd, STDOUT_FILENO);
  const int devNull = open("/dev/null", O_RDONLY);
  if (devNull >= 0) dup2(devNull, STDIN_FILENO);
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != keepFd) close(fd);
  }
  if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
  setpgid(0, 0);
  execve(args[0], args.data(), envp.data());
  _exit(127);
}

}  // namespace

TEnvironment EnvironmentWith(const TEnvironment& changes) {
  TEnvironment env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const std::string& change : changes) replaced = replaced || change.substr(0, change.find('=')) == name;
    if (!replaced) env.push_back(text);
  }
  env.insert(env.end(), changes.begin(), changes.end());
  return env;
}

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string folders = path;
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = folders.find(':', start);
    const std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!folder.empty()) {
      const std::string candidate = folder + "/" + name;
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

TChildProcess::~TChildProcess() { Stop(); }

bool TChildProcess::Start(const std::vector<std::string>& argv, const TEnvironment& env, const std::string& folder,
                          int keepFd) {
  m_pid = Spawn(argv, env, folder, keepFd, -1);
  return m_pid > 0;
}

bool TChildProcess::Running() {
  if (m_pid <= 0) return false;
  int status = 0;
  const pid_t done = waitpid(m_pid, &status, WNOHANG);
  if (done == m_pid) {
    m_pid = -1;
    return false;
  }
  return true;
}

bool TChildProcess::WaitForExit(int limitMs, int& status) {
  if (m_pid <= 0) return false;
  const TClock::time_point start = TClock::now();
  while (true) {
    const pid_t done = waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid) {
      m_pid = -1;
      return true;
    }
    if (ElapsedMs(start) >= limitMs) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

void TChildProcess::Stop() {
  if (m_pid <= 0) return;
  int status = 0;
  kill(m_pid, SIGTERM);
  if (WaitForExit(kStopGraceMs, status)) return;
  kill(m_pid, SIGKILL);
  waitpid(m_pid, &status, 0);
  m_pid = -1;
}

TCommandResult RunCommand(const std::vector<std::string>& argv, const TEnvironment& env, int limitMs) {
  TCommandResult result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  const pid_t pid = Spawn(argv, env, {}, -1, fds[1]);
  close(fds[1]);
  if (pid <= 0) {
    close(fds[0]);
    return result;
  }
  const TClock::time_point start = TClock::now();
  char buffer[4096];
  while (true) {
    const int left = limitMs - ElapsedMs(start);
    if (left <= 0) break;
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, left) <= 0) break;
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    result.Output.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  while (true) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      result.Finished = true;
      result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      break;
    }
    if (ElapsedMs(start) >= limitMs) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return result;
}

bool WaitUntil(int limitMs, const std::function<bool()>& condition, int pollMs) {
  const TClock::time_point start = TClock::now();
  while (true) {
    if (condition()) return true;
    if (ElapsedMs(start) >= limitMs) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
  }
}
