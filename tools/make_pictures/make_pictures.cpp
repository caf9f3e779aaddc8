// make_pictures: draws the game's eleven pictures into a folder, e.g.
// build/bin/bmp, or the desktop icon at one size.
#include "tools/make_pictures/bmp_writer.h"
#include "tools/make_pictures/font_text.h"
#include "tools/make_pictures/pictures.h"
#include "tools/make_pictures/png_writer.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// make_pictures --icon <size> <file.png>: the desktop icon at one size.
int WriteIcon(const std::string& sizeText, const std::filesystem::path& file) {
  constexpr int kSmallestIcon = 8;
  constexpr int kLargestIcon = 1024;
  const int size = std::atoi(sizeText.c_str());
  if (size < kSmallestIcon || size > kLargestIcon) {
    std::cerr << "make_pictures: icon size " << sizeText << " is not between 8 and 1024\n";
    return EXIT_FAILURE;
  }
  const std::vector<std::uint8_t> bytes = EncodePng(DrawIcon(size));
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::cerr << "make_pictures: cannot write " << file << "\n";
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--icon") {
    try {
      return WriteIcon(argv[2], argv[3]);
    } catch (const std::exception& e) {
      std::cerr << "make_pictures: " << e.what() << "\n";
      return EXIT_FAILURE;
    }
  }
  if (argc != 2) {
    std::cerr << "usage: make_pictures <folder> | make_pictures --icon <size> <file.png>\n";
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
