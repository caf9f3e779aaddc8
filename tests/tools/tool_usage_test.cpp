// The command-line tools: --help prints the usage on standard output and
// succeeds; a wrong call prints it on standard error and fails; midiplay in
// real time says on standard error when there is no sound device.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../midi/smf_builder.h"

namespace fs = std::filesystem;

namespace {

struct TRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ToolUsage : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("tool_usage_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  TRun Run(const std::string& environment, const std::string& tool, const std::string& arguments) {
    const fs::path out = m_dir / "out.txt";
    const fs::path err = m_dir / "err.txt";
    const std::string command = environment + " " + std::string(PLUV_BIN_DIR) + "/" + tool + " " + arguments + " >" +
                                out.string() + " 2>" + err.string() + " </dev/null";
    TRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadAll(out);
    run.err = ReadAll(err);
    return run;
  }

  fs::path m_dir;
};

}  // namespace

TEST_F(ToolUsage, HelpGoesToStandardOutputAndSucceeds) {
  for (const std::string tool : {"smfdump", "midiplay", "frame_dump"}) {
    for (const std::string option : {"--help", "-h"}) {
      const TRun run = Run("", tool, option);
      EXPECT_EQ(run.status, 0) << tool << " " << option;
      EXPECT_EQ(run.out.rfind("usage: " + tool, 0), 0u) << tool << ": " << run.out;
      EXPECT_NE(run.out.find("--help"), std::string::npos) << tool;
      EXPECT_EQ(run.err, "") << tool;
    }
  }
  // frame_dump would have drawn its pictures under the prefix "--help".
  EXPECT_FALSE(fs::exists(fs::path(PLUV_BIN_DIR) / "--helptitle.png"));
}

TEST_F(ToolUsage, AWrongCallPrintsTheUsageOnStandardErrorAndFails) {
  for (const std::string tool : {"smfdump", "midiplay"}) {
    const TRun run = Run("", tool, "");
    EXPECT_EQ(run.status, 2) << tool;
    EXPECT_EQ(run.out, "") << tool;
    EXPECT_NE(run.err.find("usage: " + tool), std::string::npos) << tool;
  }
}

TEST_F(ToolUsage, MidiplayInRealTimeSaysWhenThereIsNoSoundDevice) {
  // A short song, played fast; ALSA gets an empty configuration and
  // PulseAudio a server that is not there, so no device can open.
  TTrackBuilder track;
  track.NoteOn(0, 0, 60, 100).NoteOff(96, 0, 60).EndOfTrack();
  const TBytes bytes = TSmfBuilder(96, 0).Track(track).Bytes();
  const fs::path song = m_dir / "short.mid";
  std::ofstream(song, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  const fs::path emptyConfig = m_dir / "empty_alsa.conf";
  std::ofstream(emptyConfig).flush();
  const std::string noDevice = "ALSA_CONFIG_PATH='" + emptyConfig.string() +
                               "' PULSE_SERVER=unix:/nonexistent JACK_NO_START_SERVER=1";
  const TRun run = Run(noDevice, "midiplay", "'" + song.string() + "' --speed 4 --settings '" +
                                                 (m_dir / "play.ini").string() + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("midiplay: no sound device"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("playing without sound"), std::string::npos) << run.err;
}
