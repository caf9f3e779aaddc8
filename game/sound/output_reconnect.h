// When a lost audio output is opened again: a stream whose server stopped
// taking the sound is reopened between games (a new stream settles for a
// moment before it plays), at most kRetries times; a stream that played for a
// minute since its last reconnection earns a new round of attempts, one lost
// again at once does not. Plain arithmetic on the times it is given; the
// caller watches the stream and shows what Watch reports. Main thread.
#pragma once

#include <chrono>
#include <functional>

class TOutputReconnect {
 public:
  using TClock = std::chrono::steady_clock;
  static constexpr int kRetries = 20;
  static constexpr auto kFreshLossAfter = std::chrono::minutes(1);

  enum class TReport {
    None,         // nothing to tell
    Lost,         // the output stopped taking the sound; it is reopened when it can be
    Reconnected,  // reopened and playing again
    GaveUp,       // the last attempt of the round failed
  };

  // One look at the output at now: streamLost says whether the stream has
  // lost its server, mayReopen whether it may be opened again now (no game
  // runs, nothing else replaces the sound); reopen opens it and says whether
  // it plays.
  TReport Watch(TClock::time_point now, bool streamLost, bool mayReopen, const std::function<bool()>& reopen);

 private:
  bool m_lost = false;
  int m_retries = 0;  // reopening attempts since the last stream that lasted
  bool m_recovered = false;
  TClock::time_point m_recoveredAt{};
};
