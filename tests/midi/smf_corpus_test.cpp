// Real-world files: every one loads into a usable song or is refused with an
// EMidiFileError; none may crash, hang or read out of bounds (this suite also
// runs under AddressSanitizer). Shipped files live in tests/data/midi; files
// of unclear licence are read from the shared corpus when it is present.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "midi/midi_errors.h"
#include "midi/midi_song.h"

namespace fs = std::filesystem;

namespace {

struct TOutcome {
  bool Loaded = false;
  std::string Error;
  int Notes = 0;
  int Tracks = 0;
  int Tempos = 0;
  int32_t LastNoteOnMs = 0;
};

TOutcome Load(const fs::path& File) {
  TOutcome outcome;
  TMidiSong song;
  try {
    outcome.Loaded = song.LoadFromFile(File.string());
  } catch (const EMidiFileError& error) {
    outcome.Error = error.what();
    EXPECT_NE(outcome.Error.find(File.string()), std::string::npos) << outcome.Error;
    return outcome;
  }
  outcome.Tracks = song.Tracks.Count();
  outcome.Tempos = song.Tempos.Count();
  for (int i = 0; i < song.Events.Count(); ++i) {
    const TMidiEventItemStanderd* item = song.Events[i];
    EXPECT_EQ(item->Index, i);
    if (i > 0) {
      EXPECT_LE(song.Events[i - 1]->Tick, item->Tick);
      EXPECT_LE(song.Events[i - 1]->Time, item->Time);
    }
    if (item->Kind == MidiKind::NoteOn) {
      ++outcome.Notes;
      outcome.LastNoteOnMs = item->Time;
    }
  }
  EXPECT_EQ(song.EndTime, song.Events.Last()->Time);
  return outcome;
}

std::vector<fs::path> MidiFilesUnder(const fs::path& Folder) {
  std::vector<fs::path> files;
  if (!fs::exists(Folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(Folder)) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && (ext == ".mid" || ext == ".MID")) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

const fs::path kShipped = fs::path(PLUV_TEST_DATA_DIR) / "midi";
const fs::path kUnshipped = fs::path(PLUV_CORPUS_DIR) / "midi" / "drywetmidi-invalid";

}  // namespace

TEST(SmfCorpus, EveryShippedFileLoadsOrIsRefusedCleanly) {
  const auto files = MidiFilesUnder(kShipped);
  ASSERT_GE(files.size(), 80u);
  int loaded = 0;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    if (Load(file).Loaded) ++loaded;
  }
  EXPECT_GE(loaded, 70);
}

TEST(SmfCorpus, UnshippedBrokenFilesLoadOrAreRefusedCleanly) {
  const auto files = MidiFilesUnder(kUnshipped);
  if (files.empty()) GTEST_SKIP() << "corpus not present at " << kUnshipped;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    Load(file);
  }
}

TEST(SmfCorpus, KnownFilesGiveTheOraclesNoteCountsAndTimes) {
  // Note-on counts and last note-on times as two reference readers report them.
  struct Expected {
    const char* File;
    int Notes;
    int32_t LastNoteOnMs;
  } expected[] = {
      {"tonejs-midi/bach/bach_846.mid", 1284, 221034},
      {"tonejs-midi/bach/bach_format0.mid", 415, 68000},
      {"midly/Clementi.mid", 666, 113250},
      {"midiasm/notes.mid", 28, 10875},
      {"tonejs-midi/debussy/prelude.mid", 1739, 237054},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.File);
    const TOutcome outcome = Load(kShipped / e.File);
    ASSERT_TRUE(outcome.Loaded) << outcome.Error;
    EXPECT_EQ(outcome.Notes, e.Notes);
    // Our times are whole milliseconds, rounded once per tempo segment, so
    // every tempo change may add up to half a millisecond of difference.
    EXPECT_NEAR(outcome.LastNoteOnMs, e.LastNoteOnMs, 1 + outcome.Tempos / 2);
  }
}

TEST(SmfCorpus, BrokenFilesAreRefusedForTheRightReason) {
  const std::map<std::string, std::string> refused{
      {"jazz-soft-test-midi-files/test-empty-file.mid", "MThd"},
      {"jazz-soft-test-midi-files/test-not-a-midi-file.mid", "MThd"},
      // The "Junk" chunk is not skipped, so the only track position finds no track.
      {"jazz-soft-test-midi-files/test-non-midi-track.mid", "no events"},
  };
  for (const auto& [file, fragment] : refused) {
    SCOPED_TRACE(file);
    const TOutcome outcome = Load(kShipped / file);
    EXPECT_FALSE(outcome.Loaded);
    EXPECT_NE(outcome.Error.find(fragment), std::string::npos) << outcome.Error;
  }
}

TEST(SmfCorpus, TruncatedFileKeepsWhatWasReadBeforeTheCut) {
  const TOutcome damaged = Load(kShipped / "midly/PiDamaged.mid");
  ASSERT_TRUE(damaged.Loaded) << damaged.Error;
  EXPECT_GT(damaged.Notes, 0);
  const TOutcome missingByte =
      Load(kShipped / "jazz-soft-test-midi-files/test-corrupt-file-missing-byte.mid");
  ASSERT_TRUE(missingByte.Loaded) << missingByte.Error;
  EXPECT_GT(missingByte.Notes, 0);
}
