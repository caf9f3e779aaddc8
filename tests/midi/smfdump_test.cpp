// The smfdump tool: its line format, the summary and the error exit.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "smf_builder.h"

namespace fs = std::filesystem;

namespace {

struct TRun {
  int Status = -1;
  std::string Out;
  std::string Err;
};

std::string ReadAll(const fs::path& File) {
  std::ifstream in(File, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class SmfDump : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("smfdump_test_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  fs::path Write(const std::string& Name, const TBytes& Bytes) {
    const fs::path file = m_dir / Name;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()),
                                                static_cast<std::streamsize>(Bytes.size()));
    return file;
  }

  TRun Run(const std::string& Arguments) {
    const fs::path out = m_dir / "out.txt";
    const fs::path err = m_dir / "err.txt";
    const std::string command = std::string(PLUV_BIN_DIR) + "/smfdump " + Arguments + " >" +
                                out.string() + " 2>" + err.string();
    TRun run;
    const int raw = std::system(command.c_str());
    run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.Out = ReadAll(out);
    run.Err = ReadAll(err);
    return run;
  }

  fs::path m_dir;
};

}  // namespace

TEST_F(SmfDump, UnreadableFilePrintsOneErrorLineAndExitsWithOne) {
  const fs::path file = Write("bad.mid", {'n', 'o', 'p', 'e'});
  const TRun run = Run(file.string());
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(run.Err.rfind("error: ", 0), 0u) << run.Err;
  EXPECT_NE(run.Err.find("bad.mid"), std::string::npos);
  EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1);
}

TEST_F(SmfDump, PrintsOneLinePerItemAndTheSummary) {
  TTrackBuilder track;
  track.Tempo(0, 500000)
      .MetaText(0, 0x05, "\x82\xA0")  // "あ" in CP932
      .MetaText(0, 0x01, std::string("a\tb\x81", 4))
      .NoteOn(480, 2, 0x3C, 0x64)
      .EndOfTrack();
  const fs::path file = Write("song.mid", TSmfBuilder(480).Track(track).Bytes());
  const TRun run = Run(file.string());
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::string expected =
      "0\t0\t0\t0\t11\tMidiEventItemTempo\tTempo:500000\n"
      "1\t0\t0\t0\t17\tMidiEventItemLyric\t歌詞:あ\n"
      "2\t0\t0\t0\t13\tMidiEventItemLong\tFF 61 09 62 81 \n"
      "3\t0\t0\t0\t0\tMidiEventItemVibrant\t0-0\n"
      "4\t480\t500\t0\t1\tMidiEventItemNoteOn\t92 3C 64\n"
      "5\t480\t500\t0\t20\tMidiEventItemLong\tFF \n"
      "division=480 tracks=1 events=6 songlength=480 endtime=500 notes=1\n";
  EXPECT_EQ(run.Out, expected);
}

TEST_F(SmfDump, UndecodableAndControlBytesAreEscaped) {
  TTrackBuilder track;
  track.MetaText(0, 0x03, std::string("x\x81\ty", 4)).NoteOn(0, 0, 60, 1);
  const fs::path file = Write("name.mid", TSmfBuilder(96).Track(track).Bytes());
  const TRun run = Run(file.string());
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Out.find("\tMidiEventItemTrackName\tTrackName:x\\x81\\x09y\n"), std::string::npos)
      << run.Out;
}

TEST_F(SmfDump, SummaryOnly) {
  const fs::path file = Write("two.mid", TSmfBuilder(96)
                                             .Track(TTrackBuilder().NoteOn(0, 0, 60, 1))
                                             .Track(TTrackBuilder().NoteOn(96, 1, 60, 1))
                                             .Bytes());
  const TRun run = Run("--summary " + file.string());
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, "division=96 tracks=2 events=3 songlength=96 endtime=500 notes=2\n");
}
