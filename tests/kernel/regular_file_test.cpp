// Opening outside files: pipes, devices and folders are refused at once with
// a reason that names what they are; the settings functions never block on
// them.
#include "platform/kernel/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "../support/nonregular_files.h"
#include "platform/kernel/profile.h"

TEST(RegularFile, PipesDevicesAndFoldersAreRefusedWithWhatTheyAre) {
  TSpecialFiles files("regular_file");
  const TOpenedFile pipe = OpenRegularFile(files.Fifo());
  EXPECT_EQ(pipe.fd, -1);
  EXPECT_EQ(pipe.refusal, TFileRefusal::NotRegular);
  EXPECT_NE(pipe.reason.find("named pipe"), std::string::npos) << pipe.reason;
  const TFileContents device = ReadRegularFile(TSpecialFiles::Device(), 1 << 20);
  EXPECT_EQ(device.refusal, TFileRefusal::NotRegular);
  EXPECT_NE(device.reason.find("device"), std::string::npos) << device.reason;
  const TFileContents folder = ReadRegularFile(files.Folder(), 1 << 20);
  EXPECT_EQ(folder.refusal, TFileRefusal::NotRegular);
  EXPECT_NE(folder.reason.find("folder"), std::string::npos) << folder.reason;
  EXPECT_EQ(folder.reason.find("too large"), std::string::npos);
  EXPECT_EQ(ReadRegularFile(files.Folder() + "/none", 1).refusal, TFileRefusal::Missing);
}

TEST(RegularFile, RegularFilesAreReadWholeAndBlockingUpToTheirLimit) {
  TSpecialFiles files("regular_file_ok");
  const std::string path = files.File("data.bin", "0123456789");
  const TFileContents whole = ReadRegularFile(path, 10);
  ASSERT_TRUE(whole.Ok()) << whole.reason;
  EXPECT_EQ(std::string(whole.bytes.begin(), whole.bytes.end()), "0123456789");
  const TFileContents big = ReadRegularFile(path, 9);
  EXPECT_EQ(big.refusal, TFileRefusal::TooLarge);
  EXPECT_TRUE(big.bytes.empty());
  const TOpenedFile opened = OpenRegularFile(path);
  ASSERT_GE(opened.fd, 0);
  EXPECT_EQ(::fcntl(opened.fd, F_GETFL) & O_NONBLOCK, 0);
  ::close(opened.fd);
}

TEST(RegularFile, SettingsInAPipesPlaceReadDefaultsAndRefuseWrites) {
  TSpecialFiles files("regular_file_ini");
  char value[16] = {};
  for (const std::string& path : {files.Fifo(), files.Folder()}) {
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "def", value, sizeof value, path.c_str()), 3u);
    EXPECT_STREQ(value, "def");
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", path.c_str()));
  }
  EXPECT_TRUE(std::filesystem::is_fifo(files.Fifo()));
}
