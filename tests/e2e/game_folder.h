// A folder the built game can start from, for the end-to-end tests: a copy
// of the executable (its settings file is its path + ".ini", so each test
// has its own), links to the build's pictures and voices, the scripts, and
// a song of the test's own as the tutorial song. Test thread only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Lays the folder out under the temporary folder (named after tag and this
// process) from the runtime folder bin, replacing what was there.
std::filesystem::path MakeGameFolder(const std::filesystem::path& bin, const std::string& tag,
                                     const std::vector<uint8_t>& tutorialSong);

// Where the screenshots of a run are kept: beside the runtime folder.
std::filesystem::path ScreenshotFolder(const std::filesystem::path& bin);
