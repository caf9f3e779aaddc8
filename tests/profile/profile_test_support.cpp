#include "profile_test_support.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <algorithm>

#include "platform/kernel/profile.h"

void ProfileTest::SetUp() {
  std::string templ = (std::filesystem::temp_directory_path() / "pluv_profile_XXXXXX").string();
  ASSERT_NE(mkdtemp(templ.data()), nullptr);
  m_dir = templ;
}

void ProfileTest::TearDown() {
  std::error_code ec;
  std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(m_dir, ec);
}

std::string ProfileTest::Get(const std::string& section, const std::string& key, const char* def,
                             const std::string& file) const {
  char buffer[1024];
  const std::string path = file.empty() ? Ini() : file;
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def, buffer, sizeof buffer, path.c_str());
  EXPECT_EQ(n, std::char_traits<char>::length(buffer));
  return std::string(buffer, n);
}

void ProfileTest::WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::string ProfileTest::ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> ProfileTest::Entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(m_dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}
