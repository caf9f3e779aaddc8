// bench_av_sync: plays a song of isolated notes in the real game window (run
// it under Xvfb with a private PulseAudio server: run_av_sync.sh) with the bar
// catching everything, records the sound server's monitor through parec, and
// reports for every caught note the moment its onset appears in the recording
// minus the moment the first frame showing its drop at the bar was handed to
// the window system, and how old the bar position was that decided the catch.
//   bench_av_sync [--offset MS] [--notes N] [--source NAME.monitor]
// Main thread: Qt and the game; one thread reads parec, one watches the
// catches. Prints a table and a summary line "median_ms=... p95_ms=...".
#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/av_sync/av_analysis.h"
#include "game/pluvionaut1/cursor_publisher.h"
#include "game/view/draw_area.h"
#include "game/core/extended_settings.h"
#include "game/menus/main_menu.h"
#include "game/pluvionaut1/open_song.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/app/qt_application.h"
#include "game/sequencer/midi_play_v.h"
#include "game/timing/timing_settings.h"
#include "platform/d3d9/present_target.h"
#include "platform/kernel/paths.h"
#include "platform/ui/owner_window.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr unsigned kRate = 48000;
constexpr int kChannels = 2;
constexpr int kDivision = 480;
constexpr int kFirstNoteMs = 1500;
constexpr int kNoteSpacingMs = 800;
// Added to each spacing so that the notes fall at every phase of the frame
// period instead of always at the same one.
constexpr int kSpacingJitterMs = 97;
constexpr int kJitterStep = 7919;
constexpr int kNoteLengthMs = 60;
constexpr int kNote = 72;        // lane 72: x 360..364
constexpr int kXylophone = 13;   // a sharp attack, a short decay
constexpr int kVelocity = 110;
constexpr int kBarTopY = 400;
constexpr double kOnsetThreshold = 0.05;  // of the loudest sample
constexpr int64_t kQuietFrames = kRate / 4;
constexpr auto kSettleTime = std::chrono::milliseconds(1500);
constexpr auto kTail = std::chrono::milliseconds(1500);
constexpr auto kCatchPoll = std::chrono::microseconds(200);

int64_t NowNs() { return std::chrono::duration_cast<std::chrono::nanoseconds>(TClock::now().time_since_epoch()).count(); }

// ---- The song ----

void VarLen(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

void BigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// 120 bpm, 480 ticks a quarter: 0.96 ticks a millisecond.
uint32_t MsToTicks(int ms) { return static_cast<uint32_t>(ms * kDivision / 500); }

std::vector<uint8_t> IsolatedNotesSong(int notes) {
  std::vector<uint8_t> body;
  VarLen(body, 0);
  body.insert(body.end(), {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // 500000 us a quarter
  VarLen(body, 0);
  body.insert(body.end(), {0xC0, kXylophone});
  uint32_t at = 0;
  int startMs = kFirstNoteMs;
  for (int i = 0; i < notes; ++i) {
    const uint32_t on = MsToTicks(startMs);
    const uint32_t off = MsToTicks(startMs + kNoteLengthMs);
    startMs += kNoteSpacingMs + i * kJitterStep % kSpacingJitterMs;
    VarLen(body, on - at);
    body.insert(body.end(), {0x90, kNote, kVelocity});
    VarLen(body, off - on);
    body.insert(body.end(), {0x80, kNote, 0x40});
    at = off;
  }
  VarLen(body, MsToTicks(kNoteSpacingMs));
  body.insert(body.end(), {0xFF, 0x2F, 0x00});
  std::vector<uint8_t> file{'M', 'T', 'h', 'd'};
  BigEndian(file, 6, 4);
  BigEndian(file, 0, 2);
  BigEndian(file, 1, 2);
  BigEndian(file, kDivision, 2);
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  BigEndian(file, static_cast<uint32_t>(body.size()), 4);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// ---- The moments frames reach the window system ----

// Sees every event the application delivers; right after the main window has
// handled an update request, its backing store has gone to the window system.
class TBenchApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    const bool isUpdate = event->type() == QEvent::UpdateRequest && receiver == m_window;
    const bool result = QApplication::notify(receiver, event);
    if (isUpdate && OnFlushed) OnFlushed(NowNs());
    return result;
  }
  void Watch(QObject* window) { m_window = window; }
  std::function<void(int64_t)> OnFlushed;

 private:
  QObject* m_window = nullptr;
};

// Between the device and the drawing: finds, in every presented frame, how
// far the next drop to land has come, then hands the frame on.
class TDropWatcher : public IPresentTarget {
 public:
  TDropWatcher(TDrawArea* area, int notes) : m_area(area), m_reachedFrame(static_cast<size_t>(notes), -1) {}

  void PresentFrame(const uint32_t* pixels, int width, int height, int pitchBytes) override {
    ++m_frame;
    if (m_next < static_cast<int>(m_reachedFrame.size())) {
      const int bottom = LowestDropRow(pixels, height, pitchBytes);
      // Reached: its bottom row on the bar's top, or gone while it was near
      // (caught, its splash starting), the next one far above.
      const bool reached = (bottom >= kBarTopY - 1) || (m_lastBottom > kBarTopY - kNearRows && bottom < m_lastBottom - kNearRows);
      if (reached) {
        m_reachedFrame[static_cast<size_t>(m_next++)] = m_frame;
        m_lastBottom = -1000;
      } else {
        m_lastBottom = bottom;
      }
    }
    m_area->PresentFrame(pixels, width, height, pitchBytes);
  }
  // The frame in flight when the window system took one.
  int64_t LastFrame() const { return m_frame; }
  const std::vector<int64_t>& ReachedFrames() const { return m_reachedFrame; }

 private:
  static constexpr int kLaneX = kNote * 5 + 2;
  static constexpr int kNearRows = 40;
  static bool IsDrop(uint32_t argb) {
    const int r = static_cast<int>((argb >> 16) & 0xFF);
    const int g = static_cast<int>((argb >> 8) & 0xFF);
    const int b = static_cast<int>(argb & 0xFF);
    return r < 100 && g > 120 && b > 120;
  }
  int LowestDropRow(const uint32_t* pixels, int height, int pitchBytes) const {
    const auto* bytes = reinterpret_cast<const uint8_t*>(pixels);
    for (int y = std::min(height, kBarTopY) - 1; y >= 0; --y) {
      const auto* row = reinterpret_cast<const uint32_t*>(bytes + static_cast<ptrdiff_t>(y) * pitchBytes);
      if (IsDrop(row[kLaneX])) return y;
    }
    return -1000;
  }

  TDrawArea* m_area;
  int64_t m_frame = 0;
  int m_next = 0;
  int m_lastBottom = -1000;
  std::vector<int64_t> m_reachedFrame;
};

// ---- The recording ----

class TRecorder {
 public:
  bool Start(const std::string& source) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    m_pid = fork();
    if (m_pid == 0) {
      dup2(fds[1], STDOUT_FILENO);
      close(fds[0]);
      close(fds[1]);
      const std::string device = "--device=" + source;
      execlp("parec", "parec", device.c_str(), "--format=s16le", "--rate=48000", "--channels=2",
             "--latency-msec=2", "--raw", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    m_fd = fds[0];
    m_thread = std::thread([this] { Read(); });
    return m_pid > 0;
  }
  void Stop() {
    if (m_pid > 0) kill(m_pid, SIGTERM);
    if (m_thread.joinable()) m_thread.join();
    if (m_pid > 0) waitpid(m_pid, nullptr, 0);
    close(m_fd);
  }
  std::vector<float> Mono() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<float> mono(m_samples.size() / kChannels);
    for (size_t i = 0; i < mono.size(); ++i) {
      mono[i] = (m_samples[2 * i] + m_samples[2 * i + 1]) / (2.0f * 32768.0f);
    }
    return mono;
  }
  std::vector<TChunkArrival> Arrivals() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_arrivals;
  }

 private:
  void Read() {
    std::vector<int16_t> buffer(4096);
    size_t carry = 0;  // bytes of a half sample frame left from the last read
    std::vector<uint8_t> bytes(sizeof(int16_t) * buffer.size());
    for (;;) {
      const ssize_t got = read(m_fd, bytes.data() + carry, bytes.size() - carry);
      if (got <= 0) return;
      const int64_t now = NowNs();
      const size_t total = carry + static_cast<size_t>(got);
      const size_t frameBytes = sizeof(int16_t) * kChannels;
      const size_t whole = total / frameBytes * frameBytes;
      std::lock_guard<std::mutex> lock(m_mutex);
      const auto* samples = reinterpret_cast<const int16_t*>(bytes.data());
      m_samples.insert(m_samples.end(), samples, samples + whole / sizeof(int16_t));
      m_arrivals.push_back({static_cast<int64_t>(m_samples.size() / kChannels), now});
      carry = total - whole;
      std::memmove(bytes.data(), bytes.data() + whole, carry);
    }
  }

  pid_t m_pid = -1;
  int m_fd = -1;
  std::thread m_thread;
  mutable std::mutex m_mutex;
  std::vector<int16_t> m_samples;
  std::vector<TChunkArrival> m_arrivals;
};

struct TOptions {
  int offsetMs = 0;
  int notes = 24;
  std::string source = "bench_sink.monitor";
};

TOptions ParseOptions(int argc, char** argv) {
  TOptions options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    if (name == "--offset") options.offsetMs = std::atoi(argv[i + 1]);
    if (name == "--notes") options.notes = std::max(1, std::atoi(argv[i + 1]));
    if (name == "--source") options.source = argv[i + 1];
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const TOptions options = ParseOptions(argc, argv);
  TBenchApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  TQtApplication application;
  application.SetTitle(kApplicationTitle);

  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("pluv_av_sync_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  SetSettingsPathForTesting((folder / "pluvionaut.ini").string());
  const std::string songFile = (folder / "isolated.mid").string();
  {
    const std::vector<uint8_t> song = IsolatedNotesSong(options.notes);
    std::ofstream out(songFile, std::ios::binary);
    out.write(reinterpret_cast<const char*>(song.data()), static_cast<std::streamsize>(song.size()));
  }

  TRecorder recorder;
  if (!recorder.Start(options.source)) {
    std::fprintf(stderr, "bench_av_sync: parec did not start\n");
    return EXIT_FAILURE;
  }

  int result = EXIT_SUCCESS;
  {
    TForm1 form;
    application.SetMainWindow(&form);
    app.Watch(&form);
    TMainMenu& menu = form.MainMenu1();
    menu.SetChecked("VoiceOFF", true);
    menu.SetChecked("barlengthinfinity", true);
    form.ExtendedSettings().SetInteger(kOffsetKey, options.offsetMs);

    TDropWatcher watcher(form.DrawArea(), options.notes);
    RegisterPresentTarget(form.OwnerWindow().Handle(), &watcher);
    // Frame number -> the moment the window system got it (the first flush
    // after its present).
    std::vector<std::pair<int64_t, int64_t>> flushes;
    app.OnFlushed = [&](int64_t ns) { flushes.emplace_back(watcher.LastFrame(), ns); };
    // The published bar positions, for the age of the one a catch read.
    std::mutex publishMutex;
    std::vector<int64_t> publishes;
    form.CursorPublisher().SetListener([&](int x) {
      {
        std::lock_guard<std::mutex> lock(publishMutex);
        publishes.push_back(NowNs());
      }
      Application().PublishCursorClientX(x);
    });

    form.show();
    form.activateWindow();
    TMidiPlayV& player = *form.Player();
    std::vector<int64_t> caughtNs;
    std::atomic<bool> watching{true};
    std::thread catchWatcher;
    bool started = false;

    QTimer::singleShot(kSettleTime, &form, [&] {
      form.OpenSong(QString::fromStdString(songFile));
      std::vector<TMidiEventItemNoteOn*> notes;
      for (TMidiEventItemStanderd* item : player.Events) {
        if (auto* note = dynamic_cast<TMidiEventItemNoteOn*>(item)) notes.push_back(note);
      }
      catchWatcher = std::thread([&, notes] {
        size_t next = 0;
        while (watching.load() && next < notes.size()) {
          if (player.Playing.load() && notes[next]->Caught.load()) {
            caughtNs.push_back(NowNs());
            ++next;
            continue;
          }
          std::this_thread::sleep_for(kCatchPoll);
        }
      });
      started = true;
      menu.Item("Play")->trigger();
    });
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (started && !player.Playing.load() && player.PositionMs.load() >= player.EndTime) {
        poll.stop();
        QTimer::singleShot(kTail, &app, &QApplication::quit);
      }
    });
    poll.start();
    QApplication::exec();
    watching.store(false);
    if (catchWatcher.joinable()) catchWatcher.join();
    recorder.Stop();
    UnregisterPresentTarget(form.OwnerWindow().Handle(), &watcher);

    // ---- Analysis ----
    const std::vector<float> mono = recorder.Mono();
    const std::vector<TChunkArrival> arrivals = recorder.Arrivals();
    const std::vector<int64_t> onsets = Onsets(mono, kOnsetThreshold, kQuietFrames);
    std::vector<int64_t> seenNs;
    for (int64_t frame : watcher.ReachedFrames()) {
      int64_t at = -1;
      for (const auto& [flushedFrame, ns] : flushes) {
        if (frame >= 0 && flushedFrame >= frame) {
          at = ns;
          break;
        }
      }
      seenNs.push_back(at);
    }
    std::printf("offset %d ms, %d notes, good %d bad %d, %zu onsets, %zu frames handed over, recording %.1f s\n",
                options.offsetMs, options.notes, player.GoodCount.load(), player.BadCount.load(), onsets.size(),
                flushes.size(), static_cast<double>(mono.size()) / kRate);
    std::printf("note  onset-seen_ms  bar_age_ms\n");
    std::vector<double> differences;
    std::vector<double> ages;
    // Each note's onset is the one nearest to the moment its drop was seen
    // (a click when the stream opens, say, belongs to no note).
    const size_t count = std::min(seenNs.size(), caughtNs.size());
    for (size_t i = 0; i < count; ++i) {
      if (seenNs[i] < 0 || onsets.empty()) continue;
      double difference = 0.0;
      double nearest = 1e300;
      for (int64_t onset : onsets) {
        const int64_t onsetMomentNs = FrameMomentNs(arrivals, kRate, onset, kRate);
        if (onsetMomentNs < 0) continue;
        const auto onsetNs = static_cast<double>(onsetMomentNs);
        const double d = (onsetNs - static_cast<double>(seenNs[i])) / 1e6;
        if (std::abs(d) < nearest) {
          nearest = std::abs(d);
          difference = d;
        }
      }
      if (nearest > kNoteSpacingMs / 2.0) continue;
      int64_t lastPublish = -1;
      {
        std::lock_guard<std::mutex> lock(publishMutex);
        for (int64_t p : publishes) {
          if (p <= caughtNs[i]) lastPublish = p;
        }
      }
      const double age = lastPublish < 0 ? -1.0 : static_cast<double>(caughtNs[i] - lastPublish) / 1e6;
      differences.push_back(difference);
      ages.push_back(age);
      std::printf("%4zu  %13.2f  %10.2f\n", i + 1, difference, age);
    }
    if (onsets.size() != static_cast<size_t>(options.notes)) {
      std::printf("warning: %zu onsets for %d notes\n", onsets.size(), options.notes);
    }
    const double median = Quantile(differences, 0.5);
    std::vector<double> spread;
    for (double d : differences) spread.push_back(std::abs(d - median));
    std::printf("median_ms=%.2f p5_ms=%.2f p95_ms=%.2f p95_spread_ms=%.2f bar_age_median_ms=%.2f bar_age_p95_ms=%.2f n=%zu\n",
                median, Quantile(differences, 0.05), Quantile(differences, 0.95), Quantile(spread, 0.95),
                Quantile(ages, 0.5), Quantile(ages, 0.95), differences.size());
    if (differences.empty()) result = EXIT_FAILURE;
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return result;
}
