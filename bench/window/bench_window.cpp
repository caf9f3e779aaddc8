// The cost of a whole frame of the real window: the frame loop's software
// drawing of the 640 x 480 picture, its magnification into the window and
// the hand-over to Qt (repaint: paint into the backing store and flush it to
// the window system), at x1, x3 and full screen, crisp and smooth. Run from
// build/bin (the game's data folder) while a game plays the tutorial song.
// The screens are Qt's offscreen ones, 1920 x 1080 (full screen) beside
// 3840 x 2160 (x3), unless QT_QPA_PLATFORM says otherwise (e.g. xcb on an
// Xvfb display, whose own copy of each frame is then in the X server). Figures are the game process's CPU time per frame; at 60 frames a
// second, 1 ms of it is 6 % of one core.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QWindow>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

#include "game/view/draw_area.h"
#include "game/menus/main_menu.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/sequencer/midi_play_v.h"
#include "game/core/voice_cues.h"
#include "game/view/picture_scaler.h"
#include "game/view/view_geometry.h"
#include "platform/kernel/paths.h"

namespace {

constexpr int kFullHdWidth = 1920;
constexpr int kFullHdHeight = 1080;
constexpr int kLargeScreenWidth = 3840;
constexpr int kLargeScreenHeight = 2160;
constexpr int kWindowMargin = 100;  // pixels from a screen's corner
constexpr double kFramesPerSecond = 60.0;
constexpr double kPercent = 100.0;

std::filesystem::path BenchFolder() {
  return std::filesystem::temp_directory_path() / ("pluv_bench_window_" + std::to_string(getpid()));
}

std::string ScreenJson(const char* name, int x, int width, int height) {
  return std::string("{\"name\": \"") + name + "\", \"x\": " + std::to_string(x) + ", \"y\": 0, \"width\": " +
         std::to_string(width) + ", \"height\": " + std::to_string(height) +
         ", \"logicalDpi\": 96, \"logicalBpi\": 96, \"dpr\": 1}";
}

// A full-HD screen and one large enough for x3 on the offscreen platform.
void ChooseScreens() {
  if (std::getenv("QT_QPA_PLATFORM") != nullptr) return;
  const std::filesystem::path config = BenchFolder() / "screens.json";
  std::ofstream(config) << "{\"windowFrameMargins\": false, \"screens\": ["
                        << ScreenJson("FullHd", 0, kFullHdWidth, kFullHdHeight) << ", "
                        << ScreenJson("Large", kFullHdWidth, kLargeScreenWidth, kLargeScreenHeight) << "]}";
  setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str(), 1);
}

// The last screen for x3 (the large one when there are two), the first for
// the others.
void PutOnScreen(TForm1& form, bool large) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  QScreen* screen = large ? screens.back() : screens.front();
  form.windowHandle()->setScreen(screen);
  form.move(screen->geometry().topLeft() + QPoint(kWindowMargin, kWindowMargin));
}

struct TBenchWindow {
  TBenchWindow() {
    form = std::make_unique<TForm1>();
    form->show();
    form->windowHandle()->requestActivate();
    for (int i = 0; i < 100 && !form->isActiveWindow(); ++i) QCoreApplication::processEvents();
    // A game of the tutorial song, its count-in without the wait.
    if (form->Player() != nullptr) form->Player()->SetCountInSleep([](DWORD) {});
    form->PlayClick();
  }
  std::unique_ptr<TForm1> form;
};

TBenchWindow& Window() {
  static TBenchWindow* window = new TBenchWindow();
  return *window;
}

enum TMode { X1 = 0, X3 = 1, FullScreen = 2 };

void SetMode(TForm1& form, TMode mode, bool smooth) {
  TMainMenu& menu = form.MainMenu1();
  if (menu.Checked("FullScreen")) menu.Item("FullScreen")->trigger();
  menu.Item("windowscale1")->trigger();
  PutOnScreen(form, mode == X3);
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  if (mode == X3) menu.Item("windowscale3")->trigger();
  if (mode == FullScreen) menu.Item("FullScreen")->trigger();
  if (menu.Checked("SmoothScaling") != smooth) menu.Item("SmoothScaling")->trigger();
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
}

void Label(benchmark::State& state, const TForm1& form) {
  const QSize shown = form.DrawArea()->PictureRect().size();
  state.SetLabel(std::to_string(shown.width()) + "x" + std::to_string(shown.height()) +
                 (form.DrawArea()->Smooth() ? " smooth" : " crisp"));
}

void ReportCore(benchmark::State& state, double cpuSeconds) {
  const double perFrame = cpuSeconds / static_cast<double>(state.iterations());
  state.counters["core_at_60Hz_%"] = perFrame * kFramesPerSecond * kPercent;
}

// Drawing + magnification + hand-over, one frame per iteration.
void BM_WholeFrame(benchmark::State& state) {
  TForm1& form = *Window().form;
  SetMode(form, static_cast<TMode>(state.range(0)), state.range(1) != 0);
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    bool done = true;
    form.ApplicationEvents1Idle(&form, done);
    // What the frame's update asks for (the parts that changed), painted and
    // flushed now.
    QCoreApplication::sendPostedEvents(&form, QEvent::UpdateRequest);
  }
  ReportCore(state, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  Label(state, form);
}
BENCHMARK(BM_WholeFrame)
    ->ArgsProduct({{X1, X3, FullScreen}, {0, 1}})
    ->ArgNames({"mode", "smooth"})
    ->Unit(benchmark::kMillisecond);

// The game as it runs: a frame every 1/60 s of a game of the tutorial song,
// drawn, magnified where it changed and handed over. The figure is the whole
// process's CPU time (the sequencer and the synthesizer included) over the
// wall-clock time.
void BM_PlayingAt60Hz(benchmark::State& state) {
  TForm1& form = *Window().form;
  SetMode(form, static_cast<TMode>(state.range(0)), state.range(1) != 0);
  const auto frame = std::chrono::nanoseconds(static_cast<long long>(1e9 / kFramesPerSecond));
  auto next = std::chrono::steady_clock::now();
  const auto wallStart = next;
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    next += frame;
    std::this_thread::sleep_until(next);
    bool done = true;
    form.ApplicationEvents1Idle(&form, done);
    QCoreApplication::sendPostedEvents(&form, QEvent::UpdateRequest);
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  state.counters["core_%"] = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC / wall * kPercent;
  Label(state, form);
}
BENCHMARK(BM_PlayingAt60Hz)
    ->ArgsProduct({{X1, X3, FullScreen}, {0, 1}})
    ->ArgNames({"mode", "smooth"})
    ->Iterations(600)
    ->Unit(benchmark::kMillisecond);

// The magnification and hand-over alone (the same picture shown again).
void BM_ScaleAndHandOver(benchmark::State& state) {
  TForm1& form = *Window().form;
  SetMode(form, static_cast<TMode>(state.range(0)), state.range(1) != 0);
  const std::clock_t start = std::clock();
  for (auto _ : state) form.DrawArea()->repaint(form.DrawArea()->PictureRect());
  ReportCore(state, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  Label(state, form);
}
BENCHMARK(BM_ScaleAndHandOver)
    ->ArgsProduct({{X1, X3, FullScreen}, {0, 1}})
    ->ArgNames({"mode", "smooth"})
    ->Unit(benchmark::kMillisecond);

// The crisp magnification alone, into an image of the window's size.
void BM_CrispScalerAlone(benchmark::State& state) {
  const QSize picture(static_cast<int>(state.range(0)), static_cast<int>(state.range(0)) * 3 / 4);
  QImage source(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
  source.fill(0xFF336699u);
  QImage target(picture, QImage::Format_RGB32);
  TPictureScaler scaler;
  for (auto _ : state) {
    scaler.Draw(source, target, target.rect(), target.rect());
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_CrispScalerAlone)->Arg(1396)->Arg(1920)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::create_directories(BenchFolder());
  ChooseScreens();
  SetSettingsPathForTesting((BenchFolder() / "pluvionaut.ini").string());
  // No farewell to wait for, no voice lines over the measurement.
  SetVoiceLineOutput([](const std::string&) { return false; });
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(BenchFolder());
  // The window and its sequencer end with the process.
  std::_Exit(EXIT_SUCCESS);
}
