// make_tutorial_song: writes the tutorial song (a Standard MIDI File) to the
// path given, e.g. build/bin/dat/tutorialmid.dat.
#include "tools/make_tutorial_song/phrase_notation.h"
#include "tools/make_tutorial_song/tutorial_song.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_tutorial_song <target.dat>\n";
    return EXIT_FAILURE;
  }
  const std::filesystem::path target = argv[1];
  try {
    const SmfBytes song = BuildTutorialSong();
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(song.data()), static_cast<std::streamsize>(song.size()));
    out.close();
    if (!out) {
      std::cerr << "make_tutorial_song: cannot write " << target << "\n";
      return EXIT_FAILURE;
    }
  } catch (const std::exception& e) {
    std::cerr << "make_tutorial_song: " << e.what() << "\n";
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
