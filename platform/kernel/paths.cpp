#include "platform/kernel/paths.h"

#include <unistd.h>

#include <mutex>
#include <vector>

namespace {
std::mutex g_settingsMutex;
std::string g_settingsOverride;
}  // namespace

std::string ExecutablePath() {
  std::vector<char> buf(4096);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<size_t>(n));
    buf.resize(buf.size() * 2);
  }
}

std::string ExecutableDir() {
  std::string path = ExecutablePath();
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return "./";
  return path.substr(0, slash + 1);
}

std::string TranslatePath(const std::string& windowsName) {
  std::string out = windowsName;
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

std::string ChangeFileExt(const std::string& name, const std::string& ext) {
  const auto sep = name.find_last_of("/\\");
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return name + ext;
  return name.substr(0, dot) + ext;
}

std::string ExtractFileName(const std::string& name) {
  const auto sep = name.find_last_of("/\\");
  return sep == std::string::npos ? name : name.substr(sep + 1);
}

std::string SettingsFilePath() {
  {
    std::lock_guard<std::mutex> lock(g_settingsMutex);
    if (!g_settingsOverride.empty()) return g_settingsOverride;
  }
  return ChangeFileExt(ExecutablePath(), ".ini");
}

void SetSettingsPathForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_settingsMutex);
  g_settingsOverride = path;
}
