// Test helper: a folder holding a named pipe without a writer, a subfolder
// and a regular file, for the tests that give a reader something that is
// not a file. Removed with its contents when the object goes.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

class TSpecialFiles {
 public:
  explicit TSpecialFiles(const std::string& name)
      : m_dir(std::filesystem::path(::testing::TempDir()) / (name + "_" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir / "folder");
    EXPECT_EQ(::mkfifo(Fifo().c_str(), 0600), 0);
  }
  ~TSpecialFiles() { std::filesystem::remove_all(m_dir); }
  TSpecialFiles(const TSpecialFiles&) = delete;
  TSpecialFiles& operator=(const TSpecialFiles&) = delete;

  // A named pipe nobody writes to: opening it for reading blocks for ever
  // unless the reader refuses it first.
  std::string Fifo() const { return (m_dir / "pipe").string(); }
  std::string Folder() const { return (m_dir / "folder").string(); }
  static std::string Device() { return "/dev/zero"; }
  std::string File(const std::string& name, const std::string& bytes) const {
    const std::string path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

 private:
  std::filesystem::path m_dir;
};
