// The file stream under the picture and archive readers given a pipe, a
// device or a folder: the open error says what it is, at once.
#include <gtest/gtest.h>

#include <string>

#include "../support/nonregular_files.h"
#include "gfx/stream.h"
#include "gfx/vha_archive.h"

namespace {

std::string OpenError(const std::string& path) {
  try {
    TFileStream stream(path, TFileStream::TMode::OpenRead);
  } catch (const EFOpenError& error) {
    return error.what();
  }
  return "";
}

}  // namespace

TEST(StreamSpecialFiles, PipesDevicesAndFoldersAreRefusedAtOnce) {
  TSpecialFiles files("stream_special");
  EXPECT_NE(OpenError(files.Fifo()).find("named pipe"), std::string::npos);
  EXPECT_NE(OpenError(TSpecialFiles::Device()).find("device"), std::string::npos);
  EXPECT_NE(OpenError(files.Folder()).find("folder"), std::string::npos);
  EXPECT_NE(OpenError(files.Folder()).find(files.Folder()), std::string::npos);
  // An archive in a pipe's place raises the same open error as a missing one.
  EXPECT_THROW(LoadFromVHAFile(files.Fifo(), "a"), EFOpenError);
  // A regular file still opens and reads.
  TFileStream stream(files.File("plain.bin", "abc"), TFileStream::TMode::OpenRead);
  char bytes[3] = {};
  EXPECT_EQ(stream.Read(bytes, 3), 3);
  EXPECT_EQ(std::string(bytes, 3), "abc");
}
