// The window natively on Wayland: a private headless Weston compositor with
// one 1920 x 1080 output (started and stopped by its process id), Qt's
// Wayland platform. The picture sizes, the fit and full-screen sizes for the
// output, and the pointer mapped back to play-field pixels; the same program
// runs a second time at a fractional scale (QT_SCALE_FACTOR). Skipped
// without Weston or Qt's Wayland plugin.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "game/view/draw_area.h"
#include "tests/e2e/child_process.h"
#include "window_fixture.h"

namespace {

constexpr int kOutputWidth = 1920;
constexpr int kOutputHeight = 1080;
constexpr int kStartLimitMs = 10000;
constexpr char kWaylandPlugin[] = "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so";

// Weston for the whole program: it must run before the application is made,
// which then takes the Wayland platform.
class TWestonSession : public ::testing::Environment {
 public:
  void SetUp() override {
    const std::string weston = FindProgram("weston");
    if (weston.empty() || !std::filesystem::exists(kWaylandPlugin)) {
      s_missing = "weston or qt6-wayland is not installed";
      return;
    }
    m_runtime = std::filesystem::temp_directory_path() / ("pluv_wayland_" + std::to_string(getpid()));
    std::filesystem::create_directories(m_runtime);
    std::filesystem::permissions(m_runtime, std::filesystem::perms::owner_all);
    const std::string socket = "wayland-pluv";
    const TEnvironment env = EnvironmentWith({"XDG_RUNTIME_DIR=" + m_runtime.string()});
    if (!m_weston.Start({weston, "--backend=headless-backend.so", "--socket=" + socket,
                         "--width=" + std::to_string(kOutputWidth), "--height=" + std::to_string(kOutputHeight),
                         "--idle-time=0"},
                        env, m_runtime.string()) ||
        !WaitUntil(kStartLimitMs, [&] { return std::filesystem::exists(m_runtime / socket); })) {
      s_missing = "weston did not start";
      return;
    }
    setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
    setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "wayland", 1);
  }
  void TearDown() override {
    if (!m_weston.Running()) return;
    // The application keeps its connection to the compositor until the
    // process ends and ends the process itself when that connection breaks:
    // the program ends here, after the compositor, with the tests' result.
    const bool passed = ::testing::UnitTest::GetInstance()->Passed();
    std::error_code ignored;
    std::filesystem::remove_all(m_runtime, ignored);
    kill(m_weston.Pid(), SIGTERM);  // it ends by itself; nothing here waits for it
    std::printf("%s\n", passed ? "[  PASSED  ] on Wayland" : "[  FAILED  ] on Wayland");
    std::fflush(nullptr);
    _exit(passed ? EXIT_SUCCESS : EXIT_FAILURE);
  }

  static std::string s_missing;

 private:
  std::filesystem::path m_runtime;
  TChildProcess m_weston;
};

std::string TWestonSession::s_missing;
::testing::Environment* const kWeston = ::testing::AddGlobalTestEnvironment(new TWestonSession);

class WaylandTest : public WindowTest {
 protected:
  void SetUp() override {
    if (!TWestonSession::s_missing.empty()) GTEST_SKIP() << TWestonSession::s_missing;
    WindowTest::SetUp();
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    Create();
    form->show();
    ASSERT_TRUE(WaitUntil(kStartLimitMs, [&] {
      QCoreApplication::processEvents();
      return form->windowHandle() != nullptr && form->windowHandle()->isExposed();
    }, 10));
  }
  // Lets the compositor answer a change of size or state.
  void Settle() {
    WaitUntil(500, [] {
      QCoreApplication::processEvents();
      return false;
    }, 10);
  }
  int PublishedXAt(double areaX) {
    QMouseEvent move(QEvent::MouseMove, QPointF(areaX, 30), QPointF(areaX, 30), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(form->DrawArea(), &move);
    return Application().CursorClientX();
  }
  // The output in the window's logical pixels.
  QSize Output() const { return form->screen()->geometry().size(); }
};

TEST_F(WaylandTest, TheSizesFitTheOutputAndThePointerMapsToTheBar) {
  const double scale = form->devicePixelRatio();
  EXPECT_EQ(Output(), QSize(kOutputWidth, kOutputHeight) / scale);
  // x1: the designed picture, the pointer on its pixels.
  EXPECT_EQ(form->DrawArea()->size(), QSize(640, 480));
  EXPECT_EQ(PublishedXAt(300), 300);
  EXPECT_EQ(PublishedXAt(639.5), 639);

  // Fit: the largest 4:3 picture that the output holds with the menu bar.
  form->MainMenu1().Item("windowscalefit")->trigger();
  Settle();
  const QSize fitted = form->DrawArea()->size();
  EXPECT_EQ(fitted.width() * 3, fitted.height() * 4);
  EXPECT_LE(fitted.height() + form->menuBar()->height(), Output().height());
  EXPECT_GT(fitted.height(), Output().height() * 8 / 10);
  EXPECT_EQ(PublishedXAt(fitted.width() * 300.5 / 640), 300);

  // x2 where the output holds it, the pointer mapped back.
  form->MainMenu1().Item("windowscale2")->trigger();
  Settle();
  if (form->MainMenu1().Item("windowscale2")->isEnabled()) {
    EXPECT_EQ(form->DrawArea()->size(), QSize(1280, 960));
    EXPECT_EQ(PublishedXAt(601), 300);
    EXPECT_EQ(PublishedXAt(1279.5), 639);
  }

  // Full screen covers the output, not merely a maximised window.
  form->MainMenu1().Item("FullScreen")->trigger();
  ASSERT_TRUE(WaitUntil(kStartLimitMs, [&] {
    QCoreApplication::processEvents();
    return form->size() == Output();
  }, 10)) << "full screen gave " << form->width() << "x" << form->height();
  EXPECT_TRUE(form->isFullScreen());
  form->MainMenu1().Item("FullScreen")->trigger();
  Settle();
  EXPECT_FALSE(form->isFullScreen());
}

}  // namespace
