#include "game_folder.h"

#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

fs::path MakeGameFolder(const fs::path& bin, const std::string& tag, const std::vector<uint8_t>& tutorialSong) {
  const fs::path folder = fs::temp_directory_path() / (tag + "_" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "dat");
  fs::copy_file(bin / "pluvionaut", folder / "pluvionaut");
  fs::create_directory_symlink(fs::absolute(bin / "bmp"), folder / "bmp");
  fs::create_directory_symlink(fs::absolute(bin / "wav"), folder / "wav");
  for (const char* script : {"tutorial.dat", "scenario.dat"}) {
    fs::copy_file(bin / "dat" / script, folder / "dat" / script);
  }
  std::ofstream(folder / "dat" / "tutorialmid.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(tutorialSong.data()), static_cast<std::streamsize>(tutorialSong.size()));
  return folder;
}

fs::path ScreenshotFolder(const fs::path& bin) {
  const fs::path shots = bin.parent_path() / "e2e_screenshots";
  fs::create_directories(shots);
  return shots;
}
