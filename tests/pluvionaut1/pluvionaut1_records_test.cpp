// The main window with its real sequencer and real records beside its
// settings file: a game becomes a row with its options and combo, the recent
// songs and the records window show it and open it again, and records that
// cannot be used switch off with one box while the game and its play count
// go on.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>

#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "game/play_records/game_recorder.h"
#include "game/core/extended_settings.h"
#include "game/menus/main_menu.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/app/qt_application.h"
#include "game/play_records/records_menu.h"
#include "game/play_records/records_window.h"
#include "game/sequencer/game_cues.h"
#include "game/sequencer/midi_play_v.h"
#include "game/app/tr.h"
#include "library/difficulty.h"
#include "library/song_facts.h"
#include "midi/midi_song.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/kernel/profile.h"
#include "platform/ui/application.h"
#include "platform/winmm/recording_midi_out.h"
#include "tests/support/message_box_closer.h"
#include "tests/support/qt_test_app.h"
#include "records/records_database.h"
#include "records/sha256.h"

namespace {

constexpr int kStepMs = static_cast<int>(TMidiPlayV::kTickIntervalMs);
constexpr int kStepLimit = 10 * 60 * 1000 / kStepMs;

// A Standard MIDI File of one track named title with count notes, one every
// 100 ms at 120 beats per minute (480 ticks per quarter: 96 ticks).
std::string SmallSong(const std::string& title, int count) {
  std::string track;
  auto varLen = [&track](uint32_t v) {
    char bytes[5];
    int n = 0;
    bytes[n++] = static_cast<char>(v & 0x7F);
    while ((v >>= 7) != 0) bytes[n++] = static_cast<char>(0x80 | (v & 0x7F));
    while (n > 0) track.push_back(bytes[--n]);
  };
  varLen(0);
  track += std::string("\xFF\x03", 2) + static_cast<char>(title.size()) + title;
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

// The recorder's box as the Qt application shows it.
QString SwitchedOffBoxText() { return MessageTextForQt(Utf8ToCp932(Tr(TGameRecorder::SwitchedOffText()).toStdString())); }

class FormRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() / ("pluv_form_records_test_" + std::to_string(getpid()));
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    m_iniPath = (m_dir / "pluvionaut.ini").string();
    m_dbPath = (m_dir / "pluvionaut.sqlite").string();
    SetSettingsPathForTesting(m_iniPath);
    m_device = static_cast<int>(InstallRecordingMidiOutDevice().DeviceId());
  }
  void TearDown() override {
    m_form.reset();
    std::filesystem::remove_all(m_dir);
  }

  void CreateForm() {
    m_form = std::make_unique<TForm1>(nullptr, m_device);
    m_qtApplication.SetMainWindow(m_form.get());
    m_form->MainMenu1().SetChecked("VoiceOFF", true);
  }

  // A whole game as PlayClick starts it, stepped by hand; then the posted
  // end of the game reaches the window.
  void PlayWholeGame(int mouseX, bool deliverTheEnd = true) {
    TMidiPlayV* player = m_form->Player();
    ASSERT_NE(player, nullptr);
    Application().PublishCursorClientX(mouseX);
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
    if (!deliverTheEnd) return;
    for (int round = 0; round < 100; ++round) QCoreApplication::processEvents();
  }

  std::string WriteSong(const std::string& name, const std::string& bytes) {
    const std::string path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  QApplication& m_app = TestApp();
  std::filesystem::path m_dir;
  std::string m_iniPath;
  std::string m_dbPath;
  int m_device = 0;
  TQtApplication m_qtApplication;
  TMessageBoxCloser m_boxes;
  std::unique_ptr<TForm1> m_form;
};

TEST_F(FormRecordsTest, GamesBecomeRowsAndComeBackThroughTheMenuAndTheWindow) {
  CreateForm();
  ASSERT_TRUE(m_form->Recorder().Recording());
  EXPECT_FALSE(m_form->RecordsMenu().RecordsItem()->isVisible());  // hidden until Open appears
  const std::string tutorialSha = *Sha256OfFile(TranslatePath(TForm1::kTutorialSongFile));

  // The tutorial with every drop missed, then with every drop caught.
  PlayWholeGame(-100000);
  m_form->MainMenu1().SetChecked("barlengthinfinity", true);
  m_form->MainMenu1().SetChecked("Hidden", true);
  PlayWholeGame(320);
  const int good = m_form->Player()->GoodCount.load();
  ASSERT_GT(good, 0);
  EXPECT_EQ(m_form->Player()->BadCount.load(), 0);
  EXPECT_EQ(m_form->Player()->MaxCombo.load(), good);
  EXPECT_EQ(m_form->PlayCount(), 2);
  bool done = true;
  m_form->ApplicationEvents1Idle(m_form.get(), done);
  EXPECT_TRUE(m_form->RecordsMenu().RecordsItem()->isVisible());

  {
    TRecordsDatabase records(m_dbPath);
    const std::vector<TGameRecord> games = records.GamesOfSong(tutorialSha);
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[0].Good, good);
    EXPECT_EQ(games[0].MaxCombo, good);
    EXPECT_EQ(games[0].Options.BarHalfWidth, 2147483646);
    EXPECT_TRUE(games[0].Options.Hidden);
    EXPECT_EQ(games[1].Good, 0);
    EXPECT_GT(games[1].Bad, 0);
    EXPECT_EQ(games[1].MaxCombo, 0);
    EXPECT_FALSE(games[1].Options.Hidden);
    EXPECT_EQ(games[1].Options.BarHalfWidth, 15);
    EXPECT_EQ(games[1].Options.LaneMode, "NORMAL");
    EXPECT_EQ(games[1].Options.OffsetMs, 0);
    EXPECT_EQ(games[1].FileName, "tutorialmid.dat");
  }
  // The tutorial is no recent song.
  m_form->RecordsMenu().FillRecentSongs();
  ASSERT_EQ(m_form->RecordsMenu().RecentSongsMenu()->actions().size(), 1);
  EXPECT_FALSE(m_form->RecordsMenu().RecentSongsMenu()->actions()[0]->isEnabled());

  // A song of the player's own, renamed after its game: one identity.
  const std::string first = WriteSong("first.mid", SmallSong("Rain", 6));
  m_form->OpenSong(QString::fromStdString(first));
  ASSERT_FALSE(m_form->TutorialSong);
  PlayWholeGame(-100000);
  const std::string renamed = (m_dir / "renamed.mid").string();
  std::filesystem::rename(first, renamed);
  m_form->OpenSong(QString::fromStdString(renamed));
  PlayWholeGame(-100000);
  PlayWholeGame(-100000);
  m_form->RecordsMenu().FillRecentSongs();
  const QList<QAction*> recent = m_form->RecordsMenu().RecentSongsMenu()->actions();
  ASSERT_EQ(recent.size(), 1);
  EXPECT_EQ(recent[0]->statusTip(), QString::fromStdString(renamed));
  EXPECT_TRUE(recent[0]->text().contains(QStringLiteral("renamed.mid [Rain]")));

  // Choosing it opens it as Open would.
  m_form->OpenSong(QString::fromStdString(TranslatePath(TForm1::kTutorialSongFile)));
  recent[0]->trigger();
  EXPECT_TRUE(m_form->windowTitle().startsWith(QStringLiteral("renamed.mid [Rain]")));

  // The window: two songs, the filter, the games of the chosen one.
  m_form->ShowRecordsWindow();
  TRecordsWindow* window = m_form->RecordsWindow();
  ASSERT_NE(window, nullptr);
  QAbstractItemModel* songs = window->SongTable()->model();
  ASSERT_EQ(songs->rowCount(), 2);
  window->FilterBox()->setText(QStringLiteral("RENAMED"));
  ASSERT_EQ(songs->rowCount(), 1);
  window->SelectSong(0);
  EXPECT_EQ(songs->index(0, TRecordsWindow::kSongGames).data().toString(), QStringLiteral("3"));
  EXPECT_EQ(window->GameTable()->model()->rowCount(), 3);
  // Played with the mouse alone: the input column says so.
  EXPECT_EQ(window->GameTable()->model()->index(0, TRecordsWindow::kGameBarInput).data().toString(), Tr("マウス"));
  window->FilterBox()->clear();
  // Sorting by the games column, either way up.
  window->SongTable()->sortByColumn(TRecordsWindow::kSongGames, Qt::DescendingOrder);
  EXPECT_EQ(songs->index(0, TRecordsWindow::kSongGames).data().toString(), QStringLiteral("3"));
  window->SongTable()->sortByColumn(TRecordsWindow::kSongGames, Qt::AscendingOrder);
  EXPECT_EQ(songs->index(1, TRecordsWindow::kSongGames).data().toString(), QStringLiteral("3"));
  EXPECT_EQ(songs->index(1, TRecordsWindow::kSongFileName).data().toString(), QStringLiteral("renamed.mid"));

  // A double click on a song whose file is gone says so and opens nothing.
  std::filesystem::remove(renamed);
  m_form->OpenSong(QString::fromStdString(TranslatePath(TForm1::kTutorialSongFile)));
  const QString before = m_form->windowTitle();
  window->OpenSongAt(1);
  EXPECT_EQ(m_form->windowTitle(), before);
  EXPECT_EQ(window->StatusLine()->text(), Tr("この曲のファイルが見つからないよ…。動かしちゃった？"));
  EXPECT_TRUE(m_boxes.Texts().filter(SwitchedOffBoxText()).isEmpty());
}

// The difficulty: at Play for the game's own options (the result screen's
// line), and in the records window from the song library's row that
// loading the song wrote; a song the library has no row for shows "-".
TEST_F(FormRecordsTest, TheDifficultyComesWithTheGameAndStandsInTheRecordsWindow) {
  CreateForm();
  const std::string tutorialPath = TranslatePath(TForm1::kTutorialSongFile);
  TMidiSong tutorial;
  ASSERT_TRUE(tutorial.LoadFromFile(tutorialPath));
  std::array<bool, 16> every;
  every.fill(true);
  const std::vector<TDrop> drops = SongDrops(tutorial, every);
  EXPECT_LT(m_form->GameDifficulty(), 0.0);  // before a game

  PlayWholeGame(320);
  const double plain = m_form->GameDifficulty();
  EXPECT_DOUBLE_EQ(plain, SongDifficulty(drops));
  EXPECT_DOUBLE_EQ(plain, FactsOfSong(tutorial).Difficulty);
  m_form->MainMenu1().SetChecked("playspeed20", true);
  m_form->MainMenu1().SetChecked("MIRROR", true);
  PlayWholeGame(320);
  EXPECT_DOUBLE_EQ(m_form->GameDifficulty(), SongDifficulty(drops, {.MusicSpeed = 2.0, .Mirror = true}));
  EXPECT_GT(m_form->GameDifficulty(), plain);
  m_form->MainMenu1().SetChecked("barlengthinfinity", true);
  PlayWholeGame(320);
  EXPECT_LT(m_form->GameDifficulty(), plain);

  // A song of the player's own, and a song only the records know.
  const std::string own = WriteSong("own.mid", SmallSong("Drizzle", 8));
  m_form->OpenSong(QString::fromStdString(own));
  PlayWholeGame(320);
  {
    TRecordsDatabase records(m_dbPath);
    TGameRecord game;
    game.SongSha256 = std::string(64, 'a');
    game.PlayedAt = TRecordsDatabase::NowIso8601();
    game.Path = (m_dir / "elsewhere.mid").string();
    game.FileName = "elsewhere.mid";
    game.Good = 1;
    ASSERT_GT(records.AddGame(game), 0);
  }
  m_form->ShowRecordsWindow();
  TRecordsWindow* window = m_form->RecordsWindow();
  ASSERT_NE(window, nullptr);
  QAbstractItemModel* songs = window->SongTable()->model();
  ASSERT_EQ(songs->rowCount(), 3);
  EXPECT_EQ(songs->headerData(TRecordsWindow::kSongDifficulty, Qt::Horizontal).toString(), Tr("難易度"));
  // Highest first: the tutorial, the one repeated note, the unmeasured song.
  window->SongTable()->sortByColumn(TRecordsWindow::kSongDifficulty, Qt::DescendingOrder);
  EXPECT_EQ(songs->index(0, TRecordsWindow::kSongFileName).data().toString(), QStringLiteral("tutorialmid.dat"));
  EXPECT_EQ(songs->index(0, TRecordsWindow::kSongDifficulty).data().toString(),
            QString::fromStdString(DifficultyText(plain)));
  EXPECT_EQ(songs->index(1, TRecordsWindow::kSongFileName).data().toString(), QStringLiteral("own.mid"));
  TMidiSong ownSong;
  ASSERT_TRUE(ownSong.LoadFromFile(own));
  EXPECT_EQ(songs->index(1, TRecordsWindow::kSongDifficulty).data().toString(),
            QString::fromStdString(DifficultyText(FactsOfSong(ownSong).Difficulty)));
  EXPECT_EQ(songs->index(2, TRecordsWindow::kSongFileName).data().toString(), QStringLiteral("elsewhere.mid"));
  EXPECT_EQ(songs->index(2, TRecordsWindow::kSongDifficulty).data().toString(), QStringLiteral("-"));
  EXPECT_TRUE(m_boxes.Texts().filter(SwitchedOffBoxText()).isEmpty());
}

// A game's record holds the offset the game played with: a hand-edited value
// outside the offset's range plays as 0 ms and is recorded so.
TEST_F(FormRecordsTest, TheRecordHoldsTheOffsetTheGamePlayedWith) {
  {
    TIniFile ini(m_iniPath);
    ASSERT_TRUE(ini.WriteString(TExtendedSettings::Section(), Utf8ToCp932(kOffsetKey), "500"));
  }
  CreateForm();
  PlayWholeGame(320);
  EXPECT_EQ(m_form->OffsetMs(), 0);
  ASSERT_TRUE(m_form->ExtendedSettings().SetInteger(kOffsetKey, -37));
  PlayWholeGame(320);
  EXPECT_EQ(m_form->OffsetMs(), -37);

  TRecordsDatabase records(m_dbPath);
  const std::vector<TGameRecord> games =
      records.GamesOfSong(*Sha256OfFile(TranslatePath(TForm1::kTutorialSongFile)));
  ASSERT_EQ(games.size(), 2u);
  // Newest first.
  EXPECT_EQ(games[0].Options.OffsetMs, -37);
  EXPECT_EQ(games[1].Options.OffsetMs, 0);
}

TEST_F(FormRecordsTest, AnEndStillQueuedWhenTheNextGameStartsIsRecordedAsItsOwnGame) {
  CreateForm();
  PlayWholeGame(-100000, false);  // every drop missed; its end not yet delivered
  m_form->MainMenu1().SetChecked("barlengthinfinity", true);
  PlayWholeGame(320);             // every drop caught
  TRecordsDatabase records(m_dbPath);
  const std::vector<TGameRecord> games = records.GamesOfSong(*Sha256OfFile(TranslatePath(TForm1::kTutorialSongFile)));
  ASSERT_EQ(games.size(), 2u);
  EXPECT_EQ(games[1].Good, 0);
  EXPECT_EQ(games[1].Options.BarHalfWidth, 15);
  EXPECT_EQ(games[0].Bad, 0);
  EXPECT_EQ(games[0].Options.BarHalfWidth, 2147483646);
}

TEST_F(FormRecordsTest, RecordsThatCannotBeOpenedSwitchOffOnceAndTheGameGoesOn) {
  std::filesystem::create_directory(m_dbPath);  // nothing can open a folder as its database
  CreateForm();
  for (int round = 0; round < 100; ++round) QCoreApplication::processEvents();
  EXPECT_FALSE(m_form->Recorder().Recording());
  EXPECT_EQ(m_boxes.Texts().filter(SwitchedOffBoxText()).size(), 1);
  PlayWholeGame(-100000);
  PlayWholeGame(-100000);
  EXPECT_EQ(m_form->PlayCount(), 2);
  EXPECT_EQ(SequencerCues::ReadPlayCount(m_iniPath), 2);
  EXPECT_EQ(m_boxes.Texts().filter(SwitchedOffBoxText()).size(), 1);
  m_form->ShowRecordsWindow();
  EXPECT_EQ(m_form->RecordsWindow()->StatusLine()->text(), Tr("プレイ記録はお休み中だよ。"));
}

TEST_F(FormRecordsTest, AWriteThatFailsLosesThatGameOnlyAndKeepsThePlayCount) {
  CreateForm();
  PlayWholeGame(-100000);
  ASSERT_TRUE(m_form->Recorder().Recording());
  // Another program holds the write lock while the next game ends.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(m_dbPath.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  PlayWholeGame(-100000);
  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_FALSE(m_form->Recorder().Recording());
  EXPECT_EQ(m_boxes.Texts().filter(SwitchedOffBoxText()).size(), 1);
  EXPECT_EQ(SequencerCues::ReadPlayCount(m_iniPath), 2);
  PlayWholeGame(-100000);
  EXPECT_EQ(SequencerCues::ReadPlayCount(m_iniPath), 3);
  EXPECT_EQ(m_boxes.Texts().filter(SwitchedOffBoxText()).size(), 1);
  TRecordsDatabase records(m_dbPath);
  EXPECT_EQ(records.GameCount(), 1);
}

}  // namespace
