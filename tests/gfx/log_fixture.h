// Test helpers: a fresh debug log in a private folder for every test, and the
// log's lines read back as UTF-8. Main thread.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gfx/debug_log.h"
#include "platform/d3d9/software_config.h"
#include "platform/kernel/cp932.h"

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = std::filesystem::path(::testing::TempDir()) /
            (std::string("pluv_gfx_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    SetDebugLogDirectory(m_dir.string());
    HaltOnErrorSwitch = DebugMessageSwitch = DetailedLogSwitch = true;
    LogIndent = 0;
    LogLineCount = 0;
    ResetSoftwareD3DConfig();
  }
  void TearDown() override {
    SetDebugLogDirectory("");
    ResetSoftwareD3DConfig();
    std::filesystem::remove_all(m_dir);
  }

  // The raw bytes of the log file ("" when it does not exist).
  std::string RawLog() const {
    std::ifstream in(DebugLogPath(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // The lines without their CR LF, converted to UTF-8.
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    const std::string raw = RawLog();
    size_t pos = 0;
    while (pos < raw.size()) {
      const size_t end = raw.find("\r\n", pos);
      if (end == std::string::npos) {
        out.push_back(Cp932ToUtf8(raw.substr(pos)));
        break;
      }
      out.push_back(Cp932ToUtf8(raw.substr(pos, end - pos)));
      pos = end + 2;
    }
    return out;
  }
  // The texts after the "#nnnnn | " prefix.
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const std::string& l : Lines()) {
      const size_t bar = l.find(" | ");
      out.push_back(bar == std::string::npos ? l : l.substr(bar + 3));
    }
    return out;
  }
  bool HasText(const std::string& utf8) const {
    for (const std::string& t : Texts()) {
      if (t.find(utf8) != std::string::npos) return true;
    }
    return false;
  }
  int CountText(const std::string& utf8) const {
    int n = 0;
    for (const std::string& t : Texts()) n += t.find(utf8) != std::string::npos ? 1 : 0;
    return n;
  }
  int IndexOf(const std::string& utf8) const {
    const auto texts = Texts();
    for (size_t i = 0; i < texts.size(); ++i) {
      if (texts[i].find(utf8) != std::string::npos) return static_cast<int>(i);
    }
    return -1;
  }

  std::filesystem::path m_dir;
};
