// check_script_width: fails the build when a line of a game script is wider,
// in the game's font at its text size, than the room it has on the screen.
//   check_script_width --size N --max-width PX [--stamp FILE] SCRIPT...
// SCRIPT is a game script as the game reads it (CP932, e.g. dat/scenario.dat
// or an English one); every too-wide line is listed on stderr with its
// width, then the exit status is 1. With --stamp, FILE is written on success
// (for the build's dependency tracking).
#include "tools/check_script_width/script_width.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/kernel/cp932.h"

namespace {

int Usage() {
  std::cerr << "usage: check_script_width --size N --max-width PX [--stamp FILE] SCRIPT...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int size = 0;
  int maxWidth = 0;
  std::string stamp;
  std::vector<std::string> scripts;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--size" && hasValue) {
      size = std::atoi(argv[++i]);
    } else if (arg == "--max-width" && hasValue) {
      maxWidth = std::atoi(argv[++i]);
    } else if (arg == "--stamp" && hasValue) {
      stamp = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else {
      scripts.push_back(arg);
    }
  }
  if (size <= 0 || maxWidth <= 0 || scripts.empty()) return Usage();

  TScriptWidth measure(size);
  bool fits = true;
  for (const std::string& script : scripts) {
    std::ifstream in(script, std::ios::binary);
    if (!in) {
      std::cerr << "check_script_width: cannot open " << script << "\n";
      return EXIT_FAILURE;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const TTooWideLine& line : measure.TooWide(bytes, maxWidth)) {
      std::cerr << script << ":" << line.lineNumber << ": " << line.width << " px wide at text size " << size
                << ", more than its " << maxWidth << " px: " << Cp932ToUtf8(line.text) << "\n";
      fits = false;
    }
  }
  if (!fits) return EXIT_FAILURE;
  if (!stamp.empty()) std::ofstream(stamp, std::ios::trunc) << "fits\n";
  return EXIT_SUCCESS;
}
