// The song-select window over a real scan of a folder into a real records
// file: one row per song however many copies it has, a file that does not
// load greyed with its reason, sorting, a filter and its unknown terms,
// Enter opening the song from a copy that is still there and a gone file
// marked instead of opened; and the folder list kept through the settings
// file whatever the names hold.
#include "game/library/library_window.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "game/core/extended_settings.h"
#include "game/library/library_model.h"
#include "game/library/song_library.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/corpus.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = fs::path(PLUV_CORPUS_DIR) / "midi";

class LibraryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir = fs::temp_directory_path() /
          ("pluv_library_window_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir / "songs");
    iniPath = (dir / "pluvionaut.ini").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  void Copy(const char* corpusFile, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(kCorpus / corpusFile, to);
  }
  // Scans the songs folder to its end and delivers the end to the listeners.
  void Scan(TSongLibrary& library) {
    library.SetFolders({(dir / "songs").string()});
    library.Scan();
    library.Wait();
    QCoreApplication::processEvents();
  }
  int ShownRowOf(const TLibraryModel& model, const std::string& fileName) {
    for (int row = 0; row < model.ShownCount(); ++row) {
      if (model.index(row, TLibraryModel::kFile).data().toString().toStdString() == fileName) return row;
    }
    return -1;
  }

  fs::path dir;
  std::string iniPath;
};

TEST_F(LibraryWindowTest, CopiesAreOneSongUnreadableFilesAreGreyedAndTheFilterNarrowsTheSortedList) {
  PLUV_SKIP_WITHOUT_CORPUS();
  const fs::path songs = dir / "songs";
  Copy("tonejs-midi/bach/bach_846.mid", songs / "a/bach_846.mid");
  Copy("tonejs-midi/bach/bach_846.mid", songs / "b/bach_846.mid");
  Copy("midly/Clementi.mid", songs / "Clementi.mid");
  Copy("jazz-soft-test-midi-files/test-c-major-scale.mid", songs / "scale.MID");
  std::ofstream(songs / "broken.mid", std::ios::binary) << "RIFF not a song";
  TExtendedSettings settings(iniPath);
  TSongLibrary library(nullptr, settings, (dir / "pluvionaut.sqlite").string());
  Scan(library);
  TLibraryWindow window(nullptr, library, settings, {});
  window.show();
  TLibraryModel& model = window.Model();

  ASSERT_EQ(model.SongCount(), 4);
  const int bach = ShownRowOf(model, "bach_846.mid");
  ASSERT_GE(bach, 0);
  EXPECT_EQ(model.ShownSong(bach).Paths.size(), 2u);
  EXPECT_EQ(model.index(bach, 0).data(TLibraryModel::kPathRole).toString().toStdString(),
            (songs / "a/bach_846.mid").string());
  const int broken = ShownRowOf(model, "broken.mid");
  ASSERT_GE(broken, 0);
  const QModelIndex brokenCell = model.index(broken, TLibraryModel::kFile);
  EXPECT_NE(brokenCell.data(Qt::ForegroundRole), model.index(bach, TLibraryModel::kFile).data(Qt::ForegroundRole));
  EXPECT_NE(brokenCell.data(Qt::ToolTipRole).toString().indexOf(QStringLiteral("MThd")), -1)
      << brokenCell.data(Qt::ToolTipRole).toString().toStdString();

  // Most notes first; every row's count is at most the one above it.
  window.Table()->sortByColumn(TLibraryModel::kNotes, Qt::DescendingOrder);
  EXPECT_EQ(model.index(0, TLibraryModel::kFile).data().toString(), QStringLiteral("bach_846.mid"));
  for (int row = 1; row < model.ShownCount(); ++row) {
    EXPECT_LE(model.index(row, TLibraryModel::kNotes).data(TLibraryModel::kSortRole).toLongLong(),
              model.index(row - 1, TLibraryModel::kNotes).data(TLibraryModel::kSortRole).toLongLong());
  }

  // A word and a term narrow the list; a term it does not know is named.
  QTest::keyClicks(window.FilterBox(), QStringLiteral("SCALE notes>5 foo<1"));
  EXPECT_EQ(model.ShownCount(), 1);
  EXPECT_EQ(model.index(0, TLibraryModel::kFile).data().toString(), QStringLiteral("scale.MID"));
  EXPECT_TRUE(window.UnknownTermsLine()->isVisible());
  EXPECT_NE(window.UnknownTermsLine()->text().indexOf(QStringLiteral("foo<1")), -1);
  window.FilterBox()->clear();
  EXPECT_EQ(model.ShownCount(), 4);
  EXPECT_FALSE(window.UnknownTermsLine()->isVisible());
}

TEST_F(LibraryWindowTest, EnterOpensACopyThatIsStillThereAndAGoneFileIsMarkedInstead) {
  PLUV_SKIP_WITHOUT_CORPUS();
  const fs::path songs = dir / "songs";
  Copy("tonejs-midi/bach/bach_846.mid", songs / "a/bach_846.mid");
  Copy("tonejs-midi/bach/bach_846.mid", songs / "b/bach_846.mid");
  Copy("midly/Clementi.mid", songs / "Clementi.mid");
  TExtendedSettings settings(iniPath);
  TSongLibrary library(nullptr, settings, (dir / "pluvionaut.sqlite").string());
  Scan(library);
  std::vector<QString> opened;
  TLibraryWindowHost host;
  host.OpenSong = [&opened](const QString& path) { opened.push_back(path); };
  TLibraryWindow window(nullptr, library, settings, std::move(host));
  window.show();

  fs::remove(songs / "Clementi.mid");
  QTest::keyClicks(window.FilterBox(), QStringLiteral("clementi"));
  ASSERT_EQ(window.Model().ShownCount(), 1);
  QTest::keyClick(window.FilterBox(), Qt::Key_Return);
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.Model().ShownSong(0).Gone);
  EXPECT_FALSE(window.StatusLine()->text().isEmpty());
  EXPECT_NE(window.Model().index(0, 0).data(Qt::ToolTipRole).toString(), QString());

  // The first copy gone, the second opens; the window closes.
  fs::remove(songs / "a/bach_846.mid");
  window.FilterBox()->clear();
  QTest::keyClicks(window.FilterBox(), QStringLiteral("bach"));
  QTest::keyClick(window.FilterBox(), Qt::Key_Return);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].toStdString(), (songs / "b/bach_846.mid").string());
  EXPECT_FALSE(window.isVisible());
}

TEST_F(LibraryWindowTest, TheFolderListSurvivesTheSettingsFileWhateverTheNamesHold) {
  const std::vector<std::string> folders = {"/music/a|b", "/music/100%", "/music/\xF0\x9F\x8E\xB5 rain",
                                            "/music/line\r\nbreak", "/音楽/曲"};
  {
    TExtendedSettings settings(iniPath);
    TSongLibrary library(nullptr, settings, (dir / "pluvionaut.sqlite").string());
    library.SetFolders(folders);
    ASSERT_TRUE(settings.WriteAll());
  }
  TExtendedSettings settings(iniPath);
  TSongLibrary library(nullptr, settings, (dir / "pluvionaut.sqlite").string());
  EXPECT_EQ(library.Folders(), folders);
  // The emptied list stays empty rather than falling back to the music folder.
  library.SetFolders({});
  EXPECT_TRUE(library.Folders().empty());
}

}  // namespace
