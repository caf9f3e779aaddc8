// make_pictures: draws the game's eleven pictures into a folder, e.g.
// build/bin/bmp.
#include "tools/make_pictures/bmp_writer.h"
#include "tools/make_pictures/font_text.h"
#include "tools/make_pictures/pictures.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_pictures <folder>\n";
    return EXIT_FAILURE;
  }
  const std::filesystem::path folder = argv[1];
  try {
    std::filesystem::create_directories(folder);
    for (const Picture& picture : DrawAllPictures(FindPictureFonts())) {
      const std::vector<std::uint8_t> bytes = EncodeBmp(picture.canvas, picture.kind);
      std::ofstream out(folder / picture.fileName, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      out.close();
      if (!out) {
        std::cerr << "make_pictures: cannot write " << (folder / picture.fileName) << "\n";
        return EXIT_FAILURE;
      }
    }
  } catch (const std::exception& e) {
    std::cerr << "make_pictures: " << e.what() << "\n";
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
