// The voice decoder given what no voice line is: a pipe, a device, a folder,
// and sample rates that would make the resampler fill memory; none of them
// blocks, none leaves a file descriptor open.
#include <dirent.h>

#include <gtest/gtest.h>

#include <string>

#include "../support/nonregular_files.h"
#include "audio_test_support.h"
#include "platform/audio/voice_decoder.h"

namespace {

constexpr unsigned kStreamRate = 48000;

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
  }
  return count;
}

}  // namespace

TEST(VoiceFileHardening, PipesDevicesAndFoldersGiveNothingAtOnce) {
  TSpecialFiles files("voice_special");
  EXPECT_EQ(DecodeVoiceFile(files.Fifo(), kStreamRate), nullptr);
  EXPECT_EQ(DecodeVoiceFile(TSpecialFiles::Device(), kStreamRate), nullptr);
  EXPECT_EQ(DecodeVoiceFile(files.Folder(), kStreamRate), nullptr);
}

TEST(VoiceFileHardening, RatesOutsideTheAcceptedRangeAreRefused) {
  TSpecialFiles files("voice_rates");
  // 8 Hz stretched to the stream's rate: 6000 frames out of every one read.
  const std::string slow = files.Folder() + "/slow.wav";
  WriteSineWav(slow, kMinVoiceSampleRate / 125, 1, 2.0, 1.0);
  EXPECT_EQ(DecodeVoiceFile(slow, kStreamRate), nullptr);
  const std::string lowest = files.Folder() + "/lowest.wav";
  WriteSineWav(lowest, kMinVoiceSampleRate, 1, 0.5, 100.0);
  const auto buffer = DecodeVoiceFile(lowest, kStreamRate);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->Frames(), kStreamRate / 2);
}

TEST(VoiceFileHardening, RefusedAndDecodedFilesLeaveNoDescriptorOpen) {
  TSpecialFiles files("voice_fds");
  const std::string junk = files.File("junk.wav", std::string("RIFF\x04\x00\x00\x00WAVEjunk", 16));
  const std::string good = files.Folder() + "/good.wav";
  WriteSineWav(good, 22050, 1, 0.1, 441.0);
  const int before = OpenDescriptors();
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(DecodeVoiceFile(junk, kStreamRate), nullptr);
    EXPECT_NE(DecodeVoiceFile(good, kStreamRate), nullptr);
  }
  EXPECT_EQ(OpenDescriptors(), before);
}
