#include "platform/kernel/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace {
std::mutex g_settingsMutex;
std::string g_settingsOverride;

constexpr char kUserConfigFolder[] = "pluvionaut";
constexpr char kUserSettingsName[] = "pluvionaut.ini";
constexpr char kDataMarkerFolder[] = "dat";

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

bool Writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

bool HasDataFolder(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::is_directory(folder / kDataMarkerFolder, error);
}
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
  const std::string beside = ChangeFileExt(ExecutablePath(), ".ini");
  const std::string user = UserConfigSettingsFile();
  const std::string chosen = ChooseSettingsFile(beside, user, Writable);
  if (chosen == user) {
    // The folder must exist before the first atomic write into it.
    std::error_code error;
    std::filesystem::create_directories(FolderOf(user), error);
  }
  return chosen;
}

std::string ChooseSettingsFile(const std::string& besideExecutable, const std::string& inUserConfig,
                               const std::function<bool(const std::string&)>& writable) {
  if (Exists(besideExecutable)) {
    if (writable(besideExecutable)) return besideExecutable;
  } else if (writable(FolderOf(besideExecutable))) {
    return besideExecutable;
  }
  return inUserConfig;
}

std::string UserConfigSettingsFile() {
  std::string base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // XDG_CONFIG_HOME counts only when it is an absolute path; a relative one
  // is ignored, as desktops do.
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr && home[0] != '\0' ? home : ".") + "/.config";
  }
  return base + "/" + kUserConfigFolder + "/" + kUserSettingsName;
}

std::string ChangeToDataFolder(const std::vector<std::string>& candidates) {
  std::error_code error;
  if (HasDataFolder(std::filesystem::current_path(error))) return {};
  const std::filesystem::path exeDir = ExecutableDir();
  for (const std::string& candidate : candidates) {
    std::filesystem::path folder(candidate);
    if (folder.is_relative()) folder = exeDir / folder;
    if (!HasDataFolder(folder)) continue;
    folder = std::filesystem::weakly_canonical(folder, error);
    std::filesystem::current_path(folder, error);
    if (!error) return folder.string();
  }
  return {};
}

void SetSettingsPathForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_settingsMutex);
  g_settingsOverride = path;
}
