// The main window with its real sequencer: start-up on a first run, a game of
// the tutorial song driven step by step, the end of the game with the unlock
// box shown by the Qt application on the main thread, and a restart on the
// same settings file. The sequencer plays into the recording MIDI device.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "game/view/draw_area.h"
#include "game/frame/frame_text.h"
#include "game/frame/play_field.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/app/qt_application.h"
#include "game/sequencer/game_cues.h"
#include "game/sequencer/midi_play_v.h"
#include "game/pluvionaut1/status_bar.h"
#include "game/core/voice_cues.h"
#include "game/sequencer/window_player.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/ui/application.h"
#include "platform/winmm/play_sound.h"
#include "platform/winmm/recording_midi_out.h"
#include "tests/support/message_box_closer.h"
#include "tests/support/qt_test_app.h"

namespace {

constexpr int kStepMs = static_cast<int>(TMidiPlayV::kTickIntervalMs);
// More steps than any tutorial song needs (ten minutes): a game that never
// ends fails instead of hanging.
constexpr int kStepLimit = 10 * 60 * 1000 / kStepMs;

class FormSequencerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() / ("pluv_form_seq_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(m_dir);
    m_iniPath = (m_dir / "pluvionaut.ini").string();
    std::filesystem::remove(m_iniPath);
    SetSettingsPathForTesting(m_iniPath);
    // The voice lines go through sndPlaySoundA, which the recorder sees.
    ResetVoiceLineOutput();
    m_device = static_cast<int>(InstallRecordingMidiOutDevice().DeviceId());
  }
  void TearDown() override {
    m_form.reset();
    std::filesystem::remove_all(m_dir);
  }

  void CreateForm() {
    m_form = std::make_unique<TForm1>(nullptr, m_device);
    m_qtApplication.SetMainWindow(m_form.get());
  }

  // Plays a game as PlayClick starts it, then takes the sequencer's timer
  // over and steps it by hand on a virtual clock until the song ends.
  void PlayWholeGame() {
    TMidiPlayV* player = m_form->Player();
    ASSERT_NE(player, nullptr);
    player->SetCountInSleep([](DWORD) {});
    m_form->PlayClick();
    ASSERT_TRUE(player->Playing.load());
    player->Timer.SetEnabled(false);
    auto now = std::chrono::floor<std::chrono::milliseconds>(TMidiPlayV::TClock::now());
    player->SetClock([&now] { return now; });
    for (int step = 0; step < kStepLimit && player->Playing.load(); ++step) {
      now += std::chrono::milliseconds(kStepMs);
      player->Tick(kStepMs);
    }
    player->SetClock(nullptr);
    ASSERT_FALSE(player->Playing.load()) << "the song did not end";
  }

  // The QApplication comes before the members that need it.
  QApplication& m_app = TestApp();
  std::filesystem::path m_dir;
  std::string m_iniPath;
  int m_device = 0;
  TQtApplication m_qtApplication;
  // Every box a test causes is answered, so none waits for a player.
  TMessageBoxCloser m_boxes;
  std::unique_ptr<TForm1> m_form;
};

TEST_F(FormSequencerTest, AFirstRunGreetsLoadsTheTutorialAndUnlocksOpenAfterItsGame) {
  TPlayedSoundRecorder sounds;
  const TMessageBoxCloser& boxes = m_boxes;
  CreateForm();
  // No settings file yet: play count 0, the first greeting, the tutorial.
  ASSERT_FALSE(std::filesystem::exists(m_iniPath));
  ASSERT_EQ(sounds.Names().size(), 1u);
  EXPECT_EQ(sounds.Names()[0], "wav\\OniichanA@08.wav");
  EXPECT_EQ(m_form->PlayCount(), 0);
  EXPECT_TRUE(m_form->TutorialSong);
  EXPECT_FALSE(m_form->MainMenu1().OpenVisible());
  EXPECT_TRUE(m_form->MainMenu1().Item("Play")->isEnabled());
  EXPECT_GT(m_form->Player()->Events.Count(), 1);
  EXPECT_GT(m_form->Player()->EndTime, 0);
  // The scripts as the build installs them beside the executable.
  EXPECT_EQ(m_form->Memo1, ReadScriptFile(TForm1::kTutorialScript));
  EXPECT_EQ(m_form->Memo2, ReadScriptFile(TForm1::kScenarioScript));
  EXPECT_FALSE(m_form->Memo1.empty());
  EXPECT_FALSE(m_form->Memo2.empty());

  // The mouse far to the left: every drop is missed, and a game with a
  // judged drop counts all the same.
  Application().PublishCursorClientX(-100000);
  PlayWholeGame();
  EXPECT_EQ(m_form->PlayCount(), 1);
  EXPECT_GT(m_form->Player()->BadCount.load(), 0);
  EXPECT_EQ(SequencerCues::ReadPlayCount(m_iniPath), 1);
  // The count-in voice came through sndPlaySoundA after the greeting.
  ASSERT_GE(sounds.Names().size(), 2u);
  const std::string countIn = sounds.Names()[1];
  EXPECT_TRUE(countIn == "wav\\HajimeC@08.wav" || countIn == "wav\\IkuyoA@08.wav") << countIn;

  // The unlock box was posted; the Qt application's loop shows it.
  for (int round = 0; round < 1000 && boxes.Captions().isEmpty(); ++round) QCoreApplication::processEvents();
  ASSERT_EQ(boxes.Captions().size(), 1);
  EXPECT_EQ(boxes.Captions()[0], QString::fromStdString(Cp932ToUtf8(SequencerCues::UnlockCaption())));
  EXPECT_EQ(boxes.Texts()[0], MessageTextForQt(SequencerCues::UnlockText(1)));

  // The frame loop follows the sequencer's play count.
  bool done = true;
  m_form->ApplicationEvents1Idle(m_form.get(), done);
  EXPECT_TRUE(m_form->MainMenu1().OpenVisible());

  // Closing writes the settings; the restart reads the count back. (With
  // the voice off the farewell is not waited for.)
  m_form->MainMenu1().Item("VoiceOFF")->trigger();
  m_form->close();
  m_form.reset();
  CreateForm();
  EXPECT_EQ(m_form->PlayCount(), 1);
  EXPECT_TRUE(m_form->MainMenu1().OpenVisible());
  EXPECT_TRUE(m_form->acceptDrops());
}

TEST_F(FormSequencerTest, StopDuringAGameReturnsToTheTitleWithClearedCounters) {
  CreateForm();
  TMidiPlayV* player = m_form->Player();
  player->SetCountInSleep([](DWORD) {});
  m_form->PlayClick();
  EXPECT_TRUE(m_form->Playing());
  player->Timer.SetEnabled(false);
  for (int step = 0; step < 400; ++step) player->Tick(kStepMs);
  m_form->StopClick();
  EXPECT_FALSE(m_form->Playing());
  EXPECT_EQ(player->PositionMs.load(), 0);
  EXPECT_EQ(player->GoodCount.load() + player->BadCount.load(), 0);
  EXPECT_EQ(m_form->PlayCount(), 0);
}

TEST_F(FormSequencerTest, PlayClickCarriesTheOptionsIntoTheSequencer) {
  CreateForm();
  TMainMenu& menu = m_form->MainMenu1();
  menu.Item("barlength20")->trigger();
  menu.Item("playspeed15")->trigger();
  menu.Item("MIRROR")->trigger();
  menu.Item("VoiceOFF")->trigger();
  menu.Item("playch10")->trigger();
  TMidiPlayV* player = m_form->Player();
  player->SetCountInSleep([](DWORD) {});
  m_form->PlayClick();
  player->Timer.SetEnabled(false);
  EXPECT_EQ(player->BarHalfWidth.load(), 30);
  EXPECT_DOUBLE_EQ(player->PlaySpeed.load(), 1.5);
  EXPECT_FALSE(player->VoiceOn.load());
  EXPECT_FALSE(player->ChannelOn[9].load());
  EXPECT_TRUE(player->ChannelOn[0].load());
  int notes = 0;
  for (TMidiEventItemStanderd* item : player->Events) {
    auto* noteOn = dynamic_cast<TMidiEventItemNoteOn*>(item);
    if (noteOn == nullptr) continue;
    ++notes;
    EXPECT_EQ(noteOn->Lane.load(), 127 - noteOn->Data1);
  }
  EXPECT_GT(notes, 0);
  m_form->StopClick();
}

TEST_F(FormSequencerTest, AMissingTutorialSongIsReportedOnceAndLeavesPlayOff) {
  // A folder without data files: the scripts and the song are missing.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(m_dir);
  const TMessageBoxCloser& boxes = m_boxes;
  CreateForm();
  std::filesystem::current_path(previous);
  for (int round = 0; round < 100; ++round) QCoreApplication::processEvents();
  ASSERT_EQ(boxes.Captions().size(), 1);
  EXPECT_EQ(boxes.Captions()[0], QStringLiteral("エラー"));
  EXPECT_TRUE(boxes.Texts()[0].contains(QStringLiteral("tutorialmid.dat"))) << boxes.Texts()[0].toStdString();
  EXPECT_FALSE(m_form->MainMenu1().Item("Play")->isEnabled());
  EXPECT_TRUE(m_form->Memo1.empty());
  EXPECT_TRUE(m_form->Memo2.empty());
  EXPECT_TRUE(m_form->TutorialSong);
  // The start-up went on: settings read, greeting chosen.
  EXPECT_TRUE(m_form->MainMenu1().Checked("VoiceON"));
  EXPECT_EQ(m_form->PlayCount(), 0);
}

// Pixels of the drawing that are not white.
int Coloured(const QImage& frame) {
  int coloured = 0;
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) coloured += (frame.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu;
  }
  return coloured;
}

TEST_F(FormSequencerTest, AnActiveWindowDrawsTheTitleThenTheCountInIntoItsDrawing) {
  CreateForm();
  m_form->show();
  m_form->windowHandle()->requestActivate();
  QCoreApplication::processEvents();
  ASSERT_TRUE(m_form->isActiveWindow());
  bool done = true;
  m_form->ApplicationEvents1Idle(m_form.get(), done);
  EXPECT_FALSE(done);
  const QImage title = m_form->DrawArea()->Frame();
  ASSERT_EQ(title.size(), QSize(640, 480));
  EXPECT_GT(Coloured(title), 640 * 480 / 2) << "the title picture covers the drawing";

  // The count-in draws through the same handler: the ready picture.
  m_form->MainMenu1().Item("rainspeed20")->trigger();
  QImage countIn;
  TMidiPlayV* player = m_form->Player();
  int frames = 0;
  player->SetCountInSleep([&](DWORD) {
    if (++frames == 1) countIn = m_form->DrawArea()->Frame();
  });
  m_form->PlayClick();
  player->Timer.SetEnabled(false);
  ASSERT_FALSE(countIn.isNull());
  EXPECT_NE(countIn, title);
  EXPECT_EQ(m_form->PlayField().RainSpeed, 200);
  EXPECT_TRUE(m_form->PlayField().TutorialSong);
  EXPECT_EQ(m_form->PlayField().TutorialLines, m_form->Memo1);
  EXPECT_EQ(m_form->PlayField().ScenarioLines, m_form->Memo2);
  m_form->StopClick();
}

}  // namespace
