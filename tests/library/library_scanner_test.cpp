// The folder scan on real folders and a real records file: the refresh rule
// from first scan to deleted file, the bad inputs a song folder holds (FIFOs,
// link loops, names that are not UTF-8, huge files, unreadable folders,
// missing folders) and a database that cannot be used.
#include "library/library_scanner.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "library/library_store.h"
#include "library_fixture.h"
#include "records/records_database.h"
#include "records/sha256.h"
#include "tests/support/corpus.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(PLUV_CORPUS_DIR) / "midi";

class LibraryScan : public LibraryTest {
 protected:
  TLibraryScanner::TResult Scan(const std::vector<std::string>& folders, bool cancelled = false) {
    std::atomic<bool> cancel{cancelled};
    done = 0;
    found = 0;
    return TLibraryScanner::ScanNow(dbPath, folders, cancel, done, found);
  }
  std::vector<TLibraryRow> Rows() {
    TRecordsDatabase records(dbPath);
    return TLibraryStore(records).Rows();
  }
  void CopySong(const char* corpusFile, const fs::path& to) { WriteFile(to, ReadAll(kCorpus / corpusFile)); }

  std::atomic<int64_t> done{0};
  std::atomic<int64_t> found{0};
};

TEST_F(LibraryScan, ARefreshReadsOnlyChangedFilesAndDropsGoneOnes) {
  PLUV_SKIP_WITHOUT_CORPUS();
  CopySong("tonejs-midi/bach/bach_846.mid", songs / "bach" / "846.mid");
  CopySong("tonejs-midi/debussy/prelude.mid", songs / "debussy" / "deep" / "Prelude.MIDI");
  CopySong("midiasm/notes.mid", songs / "notes.kar");
  CopySong("jazz-soft-test-midi-files/test-not-a-midi-file.mid", songs / "broken.rmi");
  WriteFile(songs / "readme.txt", "not a song");
  const std::vector<std::string> library{songs.string()};

  TLibraryScanner::TResult first = Scan(library);
  EXPECT_EQ(first.Read, 4);
  EXPECT_EQ(found, 4);
  EXPECT_EQ(done, 4);
  EXPECT_TRUE(first.Problems.empty());
  std::vector<TLibraryRow> rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  const TLibraryRow& bach = rows[0];
  EXPECT_EQ(bach.Path, (songs / "bach" / "846.mid").string());
  EXPECT_EQ(bach.Facts.Notes, 1284);
  EXPECT_EQ(bach.SongSha256, Sha256OfFile(bach.Path));  // the games' identity
  EXPECT_EQ(rows[1].Path, (songs / "broken.rmi").string());
  ASSERT_TRUE(rows[1].Error.has_value());
  EXPECT_NE(rows[1].Error->find("MThd"), std::string::npos);
  EXPECT_TRUE(rows[1].SongSha256.empty());

  TLibraryScanner::TResult second = Scan(library);
  EXPECT_EQ(second.Read, 0);
  EXPECT_EQ(second.Unchanged, 4);
  EXPECT_EQ(second.Dropped, 0);
  EXPECT_EQ(Rows().size(), 4u);

  const fs::path touched = songs / "notes.kar";
  fs::last_write_time(touched, fs::last_write_time(touched) + std::chrono::seconds(5));
  TLibraryScanner::TResult third = Scan(library);
  EXPECT_EQ(third.Read, 1);
  EXPECT_EQ(third.Unchanged, 3);

  fs::remove(songs / "bach" / "846.mid");
  TLibraryScanner::TResult fourth = Scan(library);
  EXPECT_EQ(fourth.Read, 0);
  EXPECT_EQ(fourth.Dropped, 1);
  rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Path, (songs / "broken.rmi").string());

  // A cancelled scan drops nothing; a folder taken out of the list loses its rows.
  EXPECT_TRUE(Scan({}, true).Cancelled);
  EXPECT_EQ(Rows().size(), 3u);
  EXPECT_EQ(Scan({}).Dropped, 3);
}

TEST_F(LibraryScan, BadEntriesAreSkippedOrStoredWithTheirReason) {
  PLUV_SKIP_WITHOUT_CORPUS();
  const std::string song = ReadAll(kCorpus / "midiasm/notes.mid");
  WriteFile(songs / "ok.mid", song);
  ASSERT_EQ(mkfifo((songs / "pipe.mid").c_str(), 0644), 0);  // opening it would block the scan
  fs::create_directory_symlink("..", songs / "loop");         // songs/loop/loop/... forever
  const fs::path outside = folder / "elsewhere";
  WriteFile(outside / "linked.mid", song);
  fs::create_directory_symlink(outside, songs / "link");
  fs::create_directory_symlink(songs, outside / "back");
  WriteFile(songs / "caf\xE9.mid", song);  // Latin-1, not UTF-8
  {
    std::ofstream(songs / "huge.mid");
    fs::resize_file(songs / "huge.mid", TLibraryScanner::kMaxFileBytes + 1);  // sparse
  }
  WriteFile(folder / "a file", "");
  const TLibraryScanner::TResult result =
      Scan({songs.string() + "/", (folder / "a file").string(), (folder / "missing").string()});
  ASSERT_EQ(result.Problems.size(), 2u);
  EXPECT_NE(result.Problems[0].find("is not a folder"), std::string::npos) << result.Problems[0];
  EXPECT_NE(result.Problems[1].find("missing: the folder is not there"), std::string::npos) << result.Problems[1];

  const std::vector<TLibraryRow> rows = Rows();
  ASSERT_EQ(rows.size(), 4u);  // no pipe, each folder once
  EXPECT_EQ(rows[0].Path, (songs / "caf\xE9.mid").string());
  ASSERT_TRUE(rows[0].Error.has_value());
  EXPECT_NE(rows[0].Error->find("caf\\xE9.mid: the file's name"), std::string::npos) << *rows[0].Error;
  EXPECT_EQ(rows[1].Path, (songs / "huge.mid").string());
  ASSERT_TRUE(rows[1].Error.has_value());
  EXPECT_NE(rows[1].Error->find("larger than 64 MiB"), std::string::npos) << *rows[1].Error;
  EXPECT_EQ(rows[2].Path, (songs / "link" / "linked.mid").string());
  EXPECT_FALSE(rows[2].Error.has_value());
  EXPECT_EQ(rows[3].Path, (songs / "ok.mid").string());
  EXPECT_EQ(rows[3].SongSha256, rows[2].SongSha256);
}

TEST_F(LibraryScan, RowsUnderAnUnreadableOrMissingFolderAreKept) {
  PLUV_SKIP_WITHOUT_CORPUS();
  const std::string song = ReadAll(kCorpus / "midiasm/notes.mid");
  WriteFile(songs / "open" / "a.mid", song);
  WriteFile(songs / "closed" / "b.mid", song);
  const fs::path drive = folder / "drive";
  WriteFile(drive / "c.mid", song);
  ASSERT_EQ(Scan({songs.string(), drive.string()}).Read, 3);
  fs::rename(drive, folder / "unplugged");
  ASSERT_EQ(chmod((songs / "closed").c_str(), 0), 0);
  // chmod does not stop root: as root the scan runs in a child process
  // under the nobody account (the records and folders opened to it), which
  // gives the figures by its exit status.
  auto scanAndSay = [&] {
    const TLibraryScanner::TResult r = Scan({songs.string(), drive.string()});
    return static_cast<int>(r.Problems.size() * 100 + r.Unchanged * 10 + r.Dropped);
  };
  int figures = 0;
  if (geteuid() != 0) {
    figures = scanAndSay();
  } else {
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.is_regular_file()) fs::permissions(entry.path(), fs::perms::all);
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
      _exit(scanAndSay());
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    figures = WEXITSTATUS(status);
  }
  // Two problems (the closed folder, the unplugged drive), the open file
  // unchanged, nothing dropped.
  EXPECT_EQ(figures, 210);
  chmod((songs / "closed").c_str(), 0755);  // for the clean-up of an unprivileged run
  EXPECT_EQ(Rows().size(), 3u);
}

TEST_F(LibraryScan, ACorruptDatabaseSwitchesTheLibraryOffAndIsLeftAlone) {
  PLUV_SKIP_WITHOUT_CORPUS();
  const std::string garbage(8192, 'x');
  WriteFile(dbPath, garbage);
  WriteFile(songs / "a.mid", ReadAll(kCorpus / "midiasm/notes.mid"));
  const TLibraryScanner::TResult result = Scan({songs.string()});
  EXPECT_TRUE(result.DatabaseOff);
  EXPECT_FALSE(result.DatabaseError.empty());
  EXPECT_EQ(ReadAll(dbPath), garbage);
}

TEST_F(LibraryScan, TheWorkerReportsOnItsOwnThread) {
  PLUV_SKIP_WITHOUT_CORPUS();
  WriteFile(songs / "a.mid", ReadAll(kCorpus / "midiasm/notes.mid"));
  TLibraryScanner scanner(dbPath);
  std::thread::id reportedOn;
  TLibraryScanner::TResult reported;
  scanner.Start({songs.string()}, [&](const TLibraryScanner::TResult& r) {
    reportedOn = std::this_thread::get_id();
    reported = r;
  });
  scanner.Wait();
  EXPECT_NE(reportedOn, std::this_thread::get_id());
  EXPECT_EQ(reported.Read, 1);
  const TLibraryScanner::TProgress progress = scanner.Progress();
  EXPECT_FALSE(progress.Running);
  EXPECT_EQ(progress.Done, 1);
  EXPECT_EQ(progress.Found, 1);
}

}  // namespace
