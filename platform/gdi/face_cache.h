// The process's FreeType library and its open faces, one per (file, face
// index), kept open for the life of the process. Main thread only.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace pluv::gdi {

// A face in a font file: fontconfig's (file, index) pair.
struct FaceSource {
  std::string file;
  int index = 0;

  bool operator<(const FaceSource& other) const {
    return file != other.file ? file < other.file : index < other.index;
  }
  bool operator==(const FaceSource& other) const { return file == other.file && index == other.index; }
};

// The FreeType library, created at first use; null when FreeType cannot start.
FT_Library FreeTypeLibrary();

// The open face for source; null when the file cannot be read as a font.
// The cache owns the face: callers never free it.
FT_Face OpenFace(const FaceSource& source);

}  // namespace pluv::gdi
