// Where the settings file goes (beside the executable or in the user's
// configuration folder) and the change to the data folder at start-up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

#include "platform/kernel/paths.h"

namespace fs = std::filesystem;

namespace {

const std::string kBeside = "/games/pluvionaut/pluvionaut.ini";
const std::string kUser = "/home/p/.config/pluvionaut/pluvionaut.ini";

// The paths that may be written.
struct TFakeDisk {
  std::set<std::string> writable;
};

std::string Choose(const TFakeDisk& disk) {
  return ChooseSettingsFile(kBeside, kUser, [&](const std::string& p) { return disk.writable.count(p) > 0; });
}

TEST(SettingsLocation, AWritableExecutableFolderKeepsTheFileBesideIt) {
  // No file yet (the beside file's path does not exist on this machine), the
  // folder writable: today's place.
  EXPECT_EQ(Choose({{"/games/pluvionaut"}}), kBeside);
  // A folder the player cannot write (an installed game): the user's folder.
  EXPECT_EQ(Choose({}), kUser);
}

TEST(SettingsLocation, AnExistingWritableFileBesideTheExecutableKeepsPriority) {
  const fs::path dir = fs::temp_directory_path() / ("pluv_settings_location_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string beside = (dir / "pluvionaut.ini").string();
  std::ofstream(beside) << "[x]\r\n";
  const auto choose = [&](bool fileWritable, bool folderWritable) {
    return ChooseSettingsFile(beside, kUser, [&](const std::string& p) {
      return p == beside ? fileWritable : p == dir.string() ? folderWritable : false;
    });
  };
  EXPECT_EQ(choose(true, false), beside);
  // A file that cannot be written is not used even in a writable folder.
  EXPECT_EQ(choose(false, true), kUser);
  EXPECT_EQ(choose(false, false), kUser);
  fs::remove_all(dir);
}

TEST(SettingsLocation, TheUserFileFollowsXdgConfigHomeAndIgnoresARelativeOne) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string savedXdg = oldXdg != nullptr ? oldXdg : "";
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome != nullptr ? oldHome : "";
  setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(UserConfigSettingsFile(), "/tmp/cfg/pluvionaut/pluvionaut.ini");
  setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
  setenv("HOME", "/home/player", 1);
  EXPECT_EQ(UserConfigSettingsFile(), "/home/player/.config/pluvionaut/pluvionaut.ini");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(UserConfigSettingsFile(), "/home/player/.config/pluvionaut/pluvionaut.ini");
  if (oldXdg != nullptr) setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  if (oldHome != nullptr) setenv("HOME", savedHome.c_str(), 1);
}

TEST(DataFolder, ChangesOnlyWhenTheCurrentDirectoryHoldsNoData) {
  const fs::path before = fs::current_path();
  const fs::path root = fs::temp_directory_path() / ("pluv_data_folder_" + std::to_string(getpid()));
  fs::create_directories(root / "elsewhere");
  fs::create_directories(root / "share" / "pluvionaut" / "dat");
  fs::create_directories(root / "empty");
  fs::current_path(root / "elsewhere");
  // A folder without dat/ is passed over; the first with it is taken.
  const std::string changed =
      ChangeToDataFolder({(root / "empty").string(), (root / "share" / "pluvionaut").string()});
  EXPECT_EQ(fs::path(changed), fs::canonical(root / "share" / "pluvionaut"));
  EXPECT_EQ(fs::current_path(), fs::canonical(root / "share" / "pluvionaut"));
  // Already in a data folder: stays.
  EXPECT_EQ(ChangeToDataFolder({(root / "empty").string()}), "");
  EXPECT_EQ(fs::current_path(), fs::canonical(root / "share" / "pluvionaut"));
  // Nowhere to go: stays where it was.
  fs::current_path(root / "elsewhere");
  EXPECT_EQ(ChangeToDataFolder({(root / "empty").string(), "no/such/folder"}), "");
  EXPECT_EQ(fs::current_path(), fs::canonical(root / "elsewhere"));
  fs::current_path(before);
  fs::remove_all(root);
}

}  // namespace
