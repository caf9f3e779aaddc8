// make_dat: converts one UTF-8 script source into the game's CP932 script.
//   make_dat [--max-columns N] <source.utf8.txt> <target.dat>
// Fails (exit 1, message on stderr) when the text cannot be a game script,
// so the build stops instead of shipping a broken line.
#include "tools/make_dat/script_text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

int Usage() {
  std::cerr << "usage: make_dat [--max-columns N] <source.utf8.txt> <target.dat>\n";
  return EXIT_FAILURE;
}

}  // namespace

int main(int argc, char** argv) {
  int maxColumns = 0;
  int arg = 1;
  if (arg + 1 < argc && std::string(argv[arg]) == "--max-columns") {
    maxColumns = std::atoi(argv[arg + 1]);
    if (maxColumns <= 0) return Usage();
    arg += 2;
  }
  if (argc - arg != 2) return Usage();
  const std::filesystem::path source = argv[arg];
  const std::filesystem::path target = argv[arg + 1];

  std::ifstream in(source, std::ios::binary);
  if (!in) {
    std::cerr << "make_dat: cannot open " << source << "\n";
    return EXIT_FAILURE;
  }
  const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    const std::string script = ConvertScript(utf8, source.string(), maxColumns);
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(script.data(), static_cast<std::streamsize>(script.size()));
    out.close();
    if (!out) {
      std::cerr << "make_dat: cannot write " << target << "\n";
      return EXIT_FAILURE;
    }
  } catch (const EScriptError& e) {
    std::cerr << "make_dat: " << e.what() << "\n";
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
