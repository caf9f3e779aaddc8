// Shared fixture of the settings-file tests: a fresh folder per test and
// whole-file helpers. Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Path of a file in this test's folder.
  std::string PathOf(const std::string& name) const { return m_dir + "/" + name; }
  const std::string& Dir() const { return m_dir; }
  std::string Ini() const { return PathOf("game.ini"); }

  // Reads a value through GetPrivateProfileStringA with a roomy buffer.
  std::string Get(const std::string& section, const std::string& key, const char* def = "",
                  const std::string& file = "") const;

  static void WriteFileBytes(const std::string& path, const std::string& bytes);
  static std::string ReadFileBytes(const std::string& path);
  // Names of the entries of the folder, hidden ones included, sorted.
  std::vector<std::string> Entries() const;

 private:
  std::string m_dir;
};
