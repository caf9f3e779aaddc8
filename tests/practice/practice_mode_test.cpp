// Practice games in the main window with its real sequencer (on the
// recording device) and real records: the item appears with Open and is
// kept in the settings; A and B set by their keys loop the passage, each
// pass counted in status panel 0 with only the drops of the passage judged;
// the practice speed slows the music on top of the designed speed; a
// practice game is recorded as one and raises no play count, while the
// same song played with the item off counts as designed. The keys do
// nothing in a designed game.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QCheckBox>
#include <QTableView>
#include <QTest>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "game/app/qt_application.h"
#include "game/app/tr.h"
#include "game/core/extended_settings.h"
#include "game/core/setting_declarations.h"
#include "game/core/system_data.h"
#include "game/menus/main_menu.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/pluvionaut1/status_bar.h"
#include "game/play_records/records_window.h"
#include "game/practice/practice_mode.h"
#include "game/practice/progress_strip.h"
#include "game/sequencer/midi_play_v.h"
#include "game/view/draw_area.h"
#include "platform/kernel/paths.h"
#include "platform/ui/application.h"
#include "platform/winmm/recording_midi_out.h"
#include "records/records_database.h"
#include "records/sha256.h"
#include "tests/support/message_box_closer.h"
#include "tests/support/qt_test_app.h"

namespace {

constexpr int kStepMs = static_cast<int>(TMidiPlayV::kTickIntervalMs);
constexpr int kStepLimit = 10 * 60 * 1000 / kStepMs;
constexpr int kNoteCount = 100;  // one every 100 ms from 100 ms on
constexpr int kMissEverything = -100000;

// One track of count notes, one every 100 ms at 120 beats per minute (480
// ticks per quarter: 96 ticks), each 10 ticks long.
std::string NotesEvery100Ms(int count) {
  std::string track;
  auto varLen = [&track](uint32_t v) {
    char bytes[5];
    int n = 0;
    bytes[n++] = static_cast<char>(v & 0x7F);
    while ((v >>= 7) != 0) bytes[n++] = static_cast<char>(0x80 | (v & 0x7F));
    while (n > 0) track.push_back(bytes[--n]);
  };
  for (int i = 0; i < count; ++i) {
    varLen(i == 0 ? 96 : 86);
    track += std::string("\x90\x3C\x64", 3);
    varLen(10);
    track += std::string("\x80\x3C\x40", 3);
  }
  varLen(96);
  track += std::string("\xFF\x2F\x00", 3);
  auto be32 = [](uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
  };
  return std::string("MThd", 4) + be32(6) + std::string("\x00\x00\x00\x01\x01\xE0", 6) + "MTrk" +
         be32(static_cast<uint32_t>(track.size())) + track;
}

class PracticeWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() / ("pluv_practice_test_" + std::to_string(getpid()));
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    m_iniPath = (m_dir / "pluvionaut.ini").string();
    SetSettingsPathForTesting(m_iniPath);
    ASSERT_TRUE(SystemData::WritePlayCount(m_iniPath, 1));  // Open is there
    m_form = std::make_unique<TForm1>(nullptr, static_cast<int>(InstallRecordingMidiOutDevice().DeviceId()));
    m_qtApplication.SetMainWindow(m_form.get());
    m_form->MainMenu1().SetChecked("VoiceOFF", true);
    m_songPath = (m_dir / "notes.mid").string();
    std::ofstream(m_songPath, std::ios::binary) << NotesEvery100Ms(kNoteCount);
    m_form->OpenSong(QString::fromStdString(m_songPath));
    Player().SetCountInSleep([](DWORD) {});
    // The timer a jump enables reads this clock, which never moves: only
    // the test's own steps move the song.
    Player().Timer.SetTickSource([] { return DWORD{1000}; });
    Application().PublishCursorClientX(kMissEverything);
  }
  void TearDown() override {
    m_form.reset();
    std::filesystem::remove_all(m_dir);
  }

  TMidiPlayV& Player() { return *m_form->Player(); }
  QAction* Key(const char* name) { return m_form->findChild<QAction*>(QString::fromLatin1(name)); }

  void Frame() {
    m_form->show();
    m_form->activateWindow();
    QCoreApplication::processEvents();
    bool done = true;
    m_form->ApplicationEvents1Idle(m_form.get(), done);
  }

  void Play() {
    m_form->PlayClick();
    ASSERT_TRUE(Player().Playing.load());
  }

  // One step of the song; at the loop's end the window gets its message and jumps.
  void Step() {
    Player().Tick(kStepMs);
    if (Player().LoopEndMs >= 0 && Player().PositionMs >= Player().LoopEndMs) {
      for (int round = 0; round < 100 && Player().PositionMs >= Player().LoopEndMs; ++round) {
        QCoreApplication::processEvents();
      }
    }
  }

  void StepTo(int32_t ms) {
    for (int step = 0; step < kStepLimit && Player().Playing && Player().PositionMs < ms; ++step) Step();
  }

  void PlayToTheEnd() {
    for (int step = 0; step < kStepLimit && Player().Playing; ++step) Step();
    ASSERT_FALSE(Player().Playing.load());
    for (int round = 0; round < 100; ++round) QCoreApplication::processEvents();
  }

  QApplication& m_app = TestApp();
  std::filesystem::path m_dir;
  std::string m_iniPath;
  std::string m_songPath;
  TQtApplication m_qtApplication;
  TMessageBoxCloser m_boxes;
  std::unique_ptr<TForm1> m_form;
};

TEST_F(PracticeWindowTest, APassageLoopsWithItsPassesCountedAndThePracticeGameCountsForNothing) {
  QAction* item = m_form->MainMenu1().Item("PracticeMode");
  Frame();
  ASSERT_TRUE(item->isVisible());  // with Open
  EXPECT_FALSE(item->isChecked());
  item->setChecked(true);
  EXPECT_TRUE(TExtendedSettings(m_iniPath).Bool(kPracticeModeSetting));

  Play();
  EXPECT_FALSE(item->isEnabled());  // only while no game runs
  StepTo(2000);
  Key("PracticeSetA")->trigger();
  StepTo(5000);
  // The count-in of the first pass already shows it, with nothing counted yet.
  QString shownInTheCountIn;
  Application().SetIdleHandler([&](void*, bool& done) {
    if (shownInTheCountIn.isEmpty()) shownInTheCountIn = m_form->Practice().StatusText();
    done = true;
  });
  Key("PracticeSetB")->trigger();  // the loop starts at A at once
  EXPECT_EQ(shownInTheCountIn, QStringLiteral("1回目: Good 0 / Bad 0"));
  EXPECT_EQ(Player().PositionMs, 2000);
  EXPECT_EQ(Player().LoopEndMs, 5000);
  const int badBeforeTheLoop = Player().BadCount;
  EXPECT_EQ(badBeforeTheLoop, 49);  // the drops from 100 to 4900 ms

  for (int pass = 1; pass <= 3; ++pass) {
    StepTo(3000);
    Frame();
    // Ten drops of the passage so far: 2000 to 2900 ms.
    EXPECT_EQ(m_form->StatusBar1()->PanelText(kHintPanel), QString("%1回目: Good 0 / Bad 10").arg(pass));
    while (m_form->Practice().Passes().Completed() < pass && Player().Playing) Step();
    ASSERT_TRUE(m_form->Practice().Passes().Last().has_value());
    EXPECT_EQ(m_form->Practice().Passes().Last()->Number, pass);
    EXPECT_EQ(m_form->Practice().Passes().Last()->Bad, 30);  // 2000 to 4900 ms, nothing before A
    EXPECT_EQ(Player().PositionMs, 2000);
  }
  EXPECT_EQ(Player().BadCount, badBeforeTheLoop + 3 * 30);

  // The practice speed, on top of the designed one.
  for (int i = 0; i < 5; ++i) Key("PracticeSlower")->trigger();
  EXPECT_EQ(m_form->Practice().SpeedPercent(), 75);
  EXPECT_DOUBLE_EQ(Player().PlaySpeed.load(), 0.75);
  Frame();
  EXPECT_TRUE(m_form->StatusBar1()->PanelText(kHintPanel).endsWith(QStringLiteral("（速さ 75%）")));
  // A pause keeps the marks; Backspace goes back to A.
  m_form->PauseClick();
  EXPECT_EQ(Player().PauseState, TPauseState::Paused);
  m_form->PauseClick();
  StepTo(2600);
  Key("PracticeJumpToA")->trigger();
  EXPECT_EQ(Player().PositionMs, 2000);
  EXPECT_EQ(m_form->Practice().Loop().B(), 5000);
  // The strip across the top of the play field: a click seeks there.
  TProgressStrip* strip = m_form->Practice().Strip();
  Frame();
  ASSERT_TRUE(strip->isVisible());
  EXPECT_EQ(strip->geometry().top(), m_form->DrawArea()->PictureRect().top());
  EXPECT_EQ(strip->height(), TProgressStrip::kRows * m_form->DrawArea()->PictureRect().width() / 640);
  const QPoint quarter(strip->width() / 4, 2);
  QTest::mouseClick(strip, Qt::LeftButton, {}, quarter);
  EXPECT_EQ(Player().PositionMs, strip->TimeAtPoint(quarter.x()));
  EXPECT_NEAR(Player().PositionMs, Player().EndTime / 4, Player().EndTime / 640 + 1);
  m_form->StopClick();
  Frame();
  EXPECT_FALSE(strip->isVisible());
  // Stop ends a looping practice game: it is kept, with its loop and speed.
  TRecordsDatabase records(TRecordsDatabase::PathBesideSettings(m_iniPath));
  const std::string sha = TSha256::HexOf(NotesEvery100Ms(kNoteCount));
  {
    const std::vector<TGameRecord> games = records.GamesOfSong(sha);
    ASSERT_EQ(games.size(), 1u);
    EXPECT_TRUE(games[0].Practice);
    EXPECT_EQ(games[0].PracticeFromMs, 2000);
    EXPECT_EQ(games[0].PracticeToMs, 5000);
    EXPECT_DOUBLE_EQ(games[0].PracticeSpeed, 0.75);
    EXPECT_GE(games[0].Bad, badBeforeTheLoop + 3 * 30);
  }

  // A practice game to its end: kept as one, no play count, no best.
  Play();
  PlayToTheEnd();
  EXPECT_EQ(m_form->PlayCount(), 1);
  EXPECT_EQ(SystemData::ReadPlayCount(m_iniPath), 1);
  // The designed game, the item off: counted as ever.
  item->setChecked(false);
  Frame();
  Play();
  EXPECT_DOUBLE_EQ(Player().PlaySpeed.load(), 1.0);
  PlayToTheEnd();
  EXPECT_EQ(m_form->PlayCount(), 2);

  const std::vector<TGameRecord> games = records.GamesOfSong(sha);
  ASSERT_EQ(games.size(), 3u);
  EXPECT_FALSE(games[0].Practice);
  EXPECT_TRUE(games[1].Practice);
  EXPECT_DOUBLE_EQ(games[1].PracticeSpeed, 0.75);
  EXPECT_EQ(games[1].PracticeToMs, Player().EndTime);
  EXPECT_EQ(records.Song(sha)->Games, 1);

  // The records window lists the practice game, marked, or hides it.
  m_form->ShowRecordsWindow();
  TRecordsWindow* window = m_form->RecordsWindow();
  window->FilterBox()->setText(QStringLiteral("notes.mid"));
  window->SelectSong(0);
  QAbstractItemModel* shown = window->GameTable()->model();
  ASSERT_EQ(shown->rowCount(), 3);
  EXPECT_TRUE(shown->index(1, TRecordsWindow::kGameOptions).data().toString().startsWith(QStringLiteral("練習 0:00〜")));
  EXPECT_TRUE(shown->index(2, TRecordsWindow::kGameOptions).data().toString().startsWith(QStringLiteral("練習 0:02〜0:05 (75%)")));
  window->ShowPracticeBox()->setChecked(false);
  EXPECT_EQ(window->GameTable()->model()->rowCount(), 1);
}

TEST_F(PracticeWindowTest, ThePracticeKeysDoNothingInADesignedGame) {
  Frame();
  Play();
  StepTo(3000);
  Key("PracticeSetA")->trigger();
  Key("PracticeSetB")->trigger();
  Key("PracticeStart")->trigger();
  Key("PracticeSlower")->trigger();
  EXPECT_EQ(Player().PositionMs, 3000);
  EXPECT_EQ(Player().LoopEndMs, -1);
  EXPECT_DOUBLE_EQ(Player().PlaySpeed.load(), 1.0);
  EXPECT_FALSE(m_form->Practice().Loop().A().has_value());
  Frame();
  EXPECT_FALSE(m_form->Practice().Strip()->isVisible());  // the play field as designed
  m_form->StopClick();
}

TEST_F(PracticeWindowTest, ThePracticeTextsFitStatusPanelZeroInBothLanguages) {
  for (TLanguage language : {TLanguage::Japanese, TLanguage::English}) {
    m_form->SetLanguage(language);
    const QFontMetrics metrics = m_form->StatusBar1()->fontMetrics();
    // Bevel and margins take 6 pixels of a panel.
    const int room = TStatusBar::PanelWidth(kHintPanel) - 6;
    const QString longestPass =
        Tr("%1回目: Good %2 / Bad %3").arg(999).arg(99999).arg(99999) + Tr("（速さ %1%）").arg(100);
    EXPECT_LE(metrics.horizontalAdvance(longestPass), room) << longestPass.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(Tr("練習中: 速さ %1%").arg(100)), room);
    const QString hint = m_form->MainMenu1().Item("PracticeMode")->statusTip();
    EXPECT_LE(metrics.horizontalAdvance(hint), room) << hint.toStdString();
  }
  m_form->SetLanguage(TLanguage::Japanese);
}

}  // namespace
