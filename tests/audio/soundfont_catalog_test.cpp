// Finding SoundFonts: only .sf2/.sf3 files (any case) directly in the folders,
// a link to a listed file left out, missing folders skipped; and a load of a
// file that is no SoundFont ends with nothing to take.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/audio/soundfont_loader.h"

namespace {

namespace fs = std::filesystem;

TEST(SoundFontCatalogTest, ListsSoundFontFilesOnceAndSkipsTheRest) {
  const fs::path dir = fs::temp_directory_path() / ("pluv_sf_catalog_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "a" / "nested");
  fs::create_directories(dir / "b");
  for (const char* name : {"a/Piano.sf2", "a/Loud.SF3", "a/readme.txt", "a/nested/deep.sf2", "b/other.sf2"}) {
    std::ofstream(dir / name) << "x";
  }
  fs::create_symlink(dir / "a" / "Piano.sf2", dir / "a" / "default.sf2");
  fs::create_symlink(dir / "a" / "Piano.sf2", dir / "b" / "again.sf2");
  const auto found = FindSoundFonts({(dir / "a").string(), (dir / "missing").string(), (dir / "b").string()});
  const std::vector<std::string> expected = {(dir / "a" / "Loud.SF3").string(), (dir / "a" / "Piano.sf2").string(),
                                             (dir / "b" / "other.sf2").string()};
  EXPECT_EQ(found, expected);
  fs::remove_all(dir);
}

TEST(SoundFontCatalogTest, AFileThatIsNoSoundFontLoadsToNothing) {
  const fs::path file = fs::temp_directory_path() / ("pluv_not_a_soundfont_" + std::to_string(getpid()) + ".sf2");
  std::ofstream(file) << "RIFF....sfbk";
  TSoundFontLoader loader;
  ASSERT_TRUE(loader.Start(file.string(), 48000));
  while (!loader.Finished()) std::this_thread::yield();
  EXPECT_EQ(loader.Take(), nullptr);
  EXPECT_FALSE(loader.Finished());
  EXPECT_EQ(loader.Path(), file.string());
  fs::remove(file);
}

}  // namespace
