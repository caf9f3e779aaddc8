// Child processes of the end-to-end test: started with their own environment
// and working folder, waited for with a limit, killed when they outlive it,
// and short commands run to completion with their output. Test-only; the
// test's main thread. A TChildProcess kills and reaps a child still running
// when it is destroyed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

using TEnvironment = std::vector<std::string>;  // "NAME=value" entries

// The test's own environment with the entries given replacing or adding theirs.
TEnvironment EnvironmentWith(const TEnvironment& changes);

// The full path of a program on PATH; empty when there is none.
std::string FindProgram(const std::string& name);

class TChildProcess {
 public:
  TChildProcess() = default;
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // Starts argv[0] (a path) in folder (empty: this one) with env. keepFd, when
  // not -1, stays open in the child under the same number. False when the
  // program could not be started.
  bool Start(const std::vector<std::string>& argv, const TEnvironment& env, const std::string& folder = {},
             int keepFd = -1);
  pid_t Pid() const { return m_pid; }
  bool Running();
  // Waits up to limitMs for the child to end; true with its exit status.
  bool WaitForExit(int limitMs, int& status);
  // SIGTERM, then SIGKILL when it does not end soon; reaps it.
  void Stop();

 private:
  pid_t m_pid = -1;
};

struct TCommandResult {
  bool Finished = false;  // ended within its limit
  int ExitCode = -1;
  std::string Output;     // standard output
};

// Runs a command to its end (killed after limitMs) and collects its output.
TCommandResult RunCommand(const std::vector<std::string>& argv, const TEnvironment& env, int limitMs);

// Calls condition every pollMs until it holds or limitMs have passed.
bool WaitUntil(int limitMs, const std::function<bool()>& condition, int pollMs = 100);
