// The timing features on the window side: the two settings keys through the
// file, the 再生 menu's new items, pausing by menu, keys and
// focus loss with a stand-in sequencer, and the calibration dialog saving or
// keeping the offset while its metronome plays into the recording device.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QSlider>
#include <QTest>

#include <filesystem>
#include <unistd.h>

#include "tests/support/fake_player.h"
#include "game/timing/timing_dialog.h"
#include "game/view/draw_area.h"
#include "game/core/extended_settings.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/timing/timing_settings.h"
#include "platform/kernel/paths.h"
#include "platform/ui/application.h"
#include "platform/winmm/recording_midi_out.h"
#include "tests/support/qt_test_app.h"

namespace {

double MeanGray(const QImage& image) {
  double sum = 0;
  for (int y = 0; y < image.height(); y += 4) {
    for (int x = 0; x < image.width(); x += 4) sum += qGray(image.pixel(x, y));
  }
  return sum / ((image.height() / 4) * (image.width() / 4));
}

// ===== Settings, menu, pause and dialog in the window =====

// The stand-in sequencer with pauses: records them like the other calls.
class TPausingPlayer : public TFakePlayer {
 public:
  bool Pause() override {
    calls.push_back("Pause");
    if (!playing) return false;
    state = TPauseState::Paused;
    return true;
  }
  bool Resume() override {
    calls.push_back("Resume");
    if (state != TPauseState::Paused) return false;
    state = TPauseState::None;
    return true;
  }
  TPauseState PauseState() const override { return state; }
  bool Stop() override {
    state = TPauseState::None;
    return TFakePlayer::Stop();
  }
  TPauseState state = TPauseState::None;
};

class TimingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir = std::filesystem::temp_directory_path() / ("pluv_timing_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    iniPath = (dir / "pluvionaut.ini").string();
    std::filesystem::remove(iniPath);
    SetSettingsPathForTesting(iniPath);
    HeadlessApplication().ClearMessageBoxes();
  }
  void TearDown() override {
    form.reset();
    std::filesystem::remove_all(dir);
  }
  void MakeForm() {
    form = std::make_unique<TForm1>();
    form->SetPlayer(&player);
  }
  void Frame() {
    // The menus follow the game on every frame of an active window.
    form->show();
    form->activateWindow();
    QCoreApplication::processEvents();
    bool done = true;
    form->ApplicationEvents1Idle(form.get(), done);
  }

  std::filesystem::path dir;
  std::string iniPath;
  TPausingPlayer player;
  std::unique_ptr<TForm1> form;
};

TEST_F(TimingWindowTest, TheKeysRoundTripThroughTheFileAndAnOldFileReadsTheDefaults) {
  {
    const TExtendedSettings fresh(iniPath);
    EXPECT_EQ(ReadOffsetMs(fresh), 0);
    EXPECT_FALSE(ReadPauseWhenInactive(fresh));
    TExtendedSettings settings(iniPath);
    ASSERT_TRUE(settings.SetInteger(kOffsetKey, -37));
    ASSERT_TRUE(settings.SetBool(kPauseWhenInactiveKey, true));
  }
  TExtendedSettings again(iniPath);
  EXPECT_EQ(ReadOffsetMs(again), -37);
  EXPECT_TRUE(ReadPauseWhenInactive(again));
  // Out of range or not a number: the designed timing.
  ASSERT_TRUE(again.SetString(kOffsetKey, "201"));
  EXPECT_EQ(ReadOffsetMs(TExtendedSettings(iniPath)), 0);
  ASSERT_TRUE(again.SetString(kOffsetKey, "-200"));
  EXPECT_EQ(ReadOffsetMs(TExtendedSettings(iniPath)), -200);
  ASSERT_TRUE(again.SetString(kOffsetKey, "soon"));
  EXPECT_EQ(ReadOffsetMs(TExtendedSettings(iniPath)), 0);
}

TEST_F(TimingWindowTest, ThePlayMenuGainsPauseTheFocusCheckAndTheIdleOnlyDialog) {
  MakeForm();
  TMainMenu& menu = form->MainMenu1();
  const QList<QAction*> playItems = menu.Item("P1")->menu()->actions();
  for (const char* name : {"Pause", "PauseWhenInactive", "TimingCalibration"}) {
    QAction* item = menu.Item(name);
    EXPECT_TRUE(playItems.contains(item)) << name;
    EXPECT_FALSE(item->statusTip().isEmpty()) << name;
    EXPECT_NE(std::find(menu.ExtensionItems().begin(), menu.ExtensionItems().end(), item),
              menu.ExtensionItems().end());
    EXPECT_EQ(std::find(menu.AllItems().begin(), menu.AllItems().end(), item), menu.AllItems().end());
  }
  EXPECT_EQ(menu.Item("Pause")->text(), QStringLiteral("一時停止(&A)"));
  EXPECT_EQ(menu.Item("TimingCalibration")->text(), QStringLiteral("タイミング調整..."));
  EXPECT_TRUE(menu.Item("Pause")->shortcuts().contains(QKeySequence(Qt::Key_Escape)));
  EXPECT_TRUE(menu.Item("Pause")->shortcuts().contains(QKeySequence(Qt::Key_Space)));
  EXPECT_FALSE(menu.Checked("PauseWhenInactive"));  // the designed game plays on

  Frame();
  EXPECT_FALSE(menu.Item("Pause")->isEnabled());
  EXPECT_TRUE(menu.Item("TimingCalibration")->isEnabled());
  player.playing = true;
  Frame();
  EXPECT_TRUE(menu.Item("Pause")->isEnabled());
  EXPECT_FALSE(menu.Item("TimingCalibration")->isEnabled());
  EXPECT_FALSE(menu.Item("Option")->isEnabled());
  // Paused, the game still runs: Options stay off, Stop on.
  menu.Item("Pause")->trigger();
  ASSERT_EQ(player.state, TPauseState::Paused);
  Frame();
  EXPECT_FALSE(menu.Item("Option")->isEnabled());
  EXPECT_TRUE(menu.Item("Stop")->isEnabled());
  menu.Item("Pause")->trigger();
  EXPECT_EQ(player.state, TPauseState::None);
  EXPECT_EQ(std::count(player.calls.begin(), player.calls.end(), "Pause"), 1);
  EXPECT_EQ(std::count(player.calls.begin(), player.calls.end(), "Resume"), 1);
}

TEST_F(TimingWindowTest, EscapeAndSpaceTogglePauseAndLosingFocusPausesOnlyWhenAsked) {
  MakeForm();
  player.playing = true;
  Frame();
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_EQ(player.state, TPauseState::Paused);
  QTest::keyClick(form.get(), Qt::Key_Space);
  EXPECT_EQ(player.state, TPauseState::None);

  QEvent deactivate(QEvent::WindowDeactivate);
  QCoreApplication::sendEvent(form.get(), &deactivate);
  EXPECT_EQ(player.state, TPauseState::None);  // off by default
  form->MainMenu1().Item("PauseWhenInactive")->trigger();
  EXPECT_TRUE(TExtendedSettings(iniPath).Bool(kPauseWhenInactiveKey, false));  // saved at once
  const QImage running = form->DrawArea()->grab().toImage();
  QCoreApplication::sendEvent(form.get(), &deactivate);
  EXPECT_EQ(player.state, TPauseState::Paused);
  // The paused picture (the field dimmed) is shown at once, without a frame of the idle loop.
  EXPECT_LT(MeanGray(form->DrawArea()->grab().toImage()), MeanGray(running) * 0.8);
  // No game, no pause.
  player.Stop();
  player.calls.clear();
  QCoreApplication::sendEvent(form.get(), &deactivate);
  EXPECT_TRUE(player.calls.empty());
}

TEST_F(TimingWindowTest, PlayTakesTheOffsetFromTheSettings) {
  MakeForm();
  form->PlayClick();
  EXPECT_EQ(form->OffsetMs(), 0);
  form->ExtendedSettings().SetInteger(kOffsetKey, 55);
  form->PlayClick();
  EXPECT_EQ(form->OffsetMs(), 55);
}

class TimingDialogTest : public TimingWindowTest {
 protected:
  void SetUp() override {
    TimingWindowTest::SetUp();
    recorder = &InstallRecordingMidiOutDevice();
    ASSERT_EQ(midiOutOpen(&handle, recorder->DeviceId(), 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    settings = std::make_unique<TExtendedSettings>(iniPath);
    settings->SetInteger(kOffsetKey, 12);
  }
  void TearDown() override {
    midiOutClose(handle);
    settings.reset();
    TimingWindowTest::TearDown();
  }
  // Taps late by lateMs on beats 1, 2, ... (a stray tap now and then).
  void TapBeats(TTimingDialog& dialog, int count, int lateMs) {
    for (int beat = 1; beat <= count; ++beat) {
      const auto at = dialog.FirstBeat() + beat * TTimingDialog::kBeatPeriod + std::chrono::milliseconds(lateMs);
      dialog.Tap(at);
      if (beat == 3) dialog.Tap(at + std::chrono::milliseconds(250));
    }
  }
  TRecordingMidiOut* recorder = nullptr;
  HMIDIOUT handle = nullptr;
  std::unique_ptr<TExtendedSettings> settings;
};

TEST_F(TimingDialogTest, TapsToTheSoundLessTapsToTheFlashAreTheProposalAndAcceptingSavesIt) {
  TTimingDialog dialog(nullptr, handle, *settings);
  EXPECT_EQ(dialog.ChosenOffsetMs(), 12);  // starts at the saved value
  TapBeats(dialog, 7, 30);
  EXPECT_EQ(dialog.Round(), TTimingDialog::TRound::Heard);
  TapBeats(dialog, 1, 34);
  // Eight good taps to the sound (the stray one dropped) start the seen round.
  ASSERT_EQ(dialog.Round(), TTimingDialog::TRound::Seen);
  EXPECT_EQ(dialog.Heard().TapCount(), 9);
  EXPECT_EQ(dialog.Heard().GoodTapCount(), 8);
  TapBeats(dialog, 7, 12);
  EXPECT_EQ(dialog.ChosenOffsetMs(), 12);  // no proposal before the seen round is done
  TapBeats(dialog, 1, 12);
  ASSERT_TRUE(dialog.Seen().Ready());
  // The hand's own lag (12 ms) counts in neither: the sound comes 18 ms late.
  EXPECT_EQ(dialog.ChosenOffsetMs(), 18);
  // The player moves the slider a little before taking it.
  dialog.findChild<QSlider*>(QStringLiteral("TimingOffset"))->setValue(17);
  dialog.accept();
  EXPECT_EQ(ReadOffsetMs(TExtendedSettings(iniPath)), 17);
}

TEST_F(TimingDialogTest, CancelKeepsTheOldValueAndOnlyTheHeardRoundSoundsASideStickOnChannelTen) {
  const auto flashLit = [](TTimingDialog& dialog) {
    return dialog.findChild<QWidget*>(QStringLiteral("TimingFlash"))->palette().color(QPalette::Window) ==
           dialog.palette().color(QPalette::Highlight);
  };
  const auto duringBeat = std::chrono::milliseconds(10);
  {
    TTimingDialog dialog(nullptr, handle, *settings);
    // The heard round two beats on: those beats are handed to the output, and
    // the square stays dark.
    dialog.Pump(dialog.FirstBeat() + 2 * TTimingDialog::kBeatPeriod + duringBeat);
    EXPECT_FALSE(flashLit(dialog));
    const size_t heardMessages = recorder->Messages().size();
    TapBeats(dialog, 8, -20);
    ASSERT_EQ(dialog.Round(), TTimingDialog::TRound::Seen);
    // The seen round lights the square and sends nothing.
    dialog.Pump(dialog.FirstBeat() + 2 * TTimingDialog::kBeatPeriod + duringBeat);
    EXPECT_TRUE(flashLit(dialog));
    EXPECT_EQ(recorder->Messages().size(), heardMessages);
    TapBeats(dialog, 8, 0);
    EXPECT_EQ(dialog.ChosenOffsetMs(), -20);
    dialog.reject();
  }
  EXPECT_EQ(ReadOffsetMs(TExtendedSettings(iniPath)), 12);
  int beats = 0;
  std::vector<TMidiDueTime> dues;
  for (const TRecordedMidiMessage& m : recorder->Messages()) {
    if (m.Bytes == std::vector<BYTE>{0x99, 37, 100}) {
      ++beats;
      dues.push_back(m.Due);
    }
  }
  ASSERT_GE(beats, 2);
  // Due exactly one beat period apart, whenever the event loop sent them.
  EXPECT_EQ(dues[1] - dues[0], std::chrono::duration_cast<TMidiDueTime::duration>(TTimingDialog::kBeatPeriod));
}

}  // namespace
