#include "platform/audio/soundfont_loader.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>

namespace {

bool IsSoundFontName(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".sf2" || extension == ".sf3";
}

}  // namespace

std::vector<std::string> SoundFontFolders() {
  std::vector<std::string> folders = {"/usr/share/sounds/sf2", "/usr/share/soundfonts"};
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    folders.push_back((std::filesystem::path(home) / ".local" / "share" / "soundfonts").string());
  }
  return folders;
}

std::vector<std::string> FindSoundFonts(const std::vector<std::string>& folders) {
  std::vector<std::string> found;
  std::set<std::filesystem::path> targets;  // what the files resolve to, for the links
  for (const std::string& folder : folders) {
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      if (IsSoundFontName(it->path()) && it->is_regular_file(error)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    // Plain files first, so that a link (default-GM.sf2 -> FluidR3_GM.sf2)
    // gives way to the file it points at.
    std::stable_partition(files.begin(), files.end(), [](const auto& p) { return !std::filesystem::is_symlink(p); });
    std::vector<std::string> kept;
    for (const auto& file : files) {
      const auto target = std::filesystem::weakly_canonical(file, error);
      if (!targets.insert(error ? file : target).second) continue;
      kept.push_back(file.string());
    }
    std::sort(kept.begin(), kept.end());
    found.insert(found.end(), kept.begin(), kept.end());
  }
  return found;
}

TSoundFontLoader::~TSoundFontLoader() {
  Join();
  if (m_freer.joinable()) m_freer.join();
}

void TSoundFontLoader::Join() {
  if (m_worker.joinable()) m_worker.join();
}

bool TSoundFontLoader::Start(const std::string& path, unsigned sampleRate) {
  if (Busy()) return false;
  Join();
  m_result.reset();
  m_path = path;
  m_finished.store(false, std::memory_order_release);
  m_running = true;
  m_worker = std::thread([this, path, sampleRate] {
    m_result = TSynthesizer::Create({path}, sampleRate);
    m_finished.store(true, std::memory_order_release);
  });
  return true;
}

std::unique_ptr<TSynthesizer> TSoundFontLoader::Take() {
  if (!Finished()) return nullptr;
  Join();
  m_running = false;
  return std::move(m_result);
}

void TSoundFontLoader::Retire(std::unique_ptr<TSynthesizer> synth) {
  if (!synth) return;
  // Freeing a large SoundFont takes a while too; one at a time.
  if (m_freer.joinable()) m_freer.join();
  m_freer = std::thread([old = std::move(synth)]() mutable { old.reset(); });
}
