#include "platform/gdi/face_cache.h"

#include <map>

namespace pluv::gdi {
namespace {

// Faces first, then the library, at process exit.
class FaceCache {
 public:
  FaceCache() {
    if (FT_Init_FreeType(&m_library) != 0) m_library = nullptr;
  }
  ~FaceCache() {
    for (auto& [source, face] : m_faces) {
      if (face) FT_Done_Face(face);
    }
    if (m_library) FT_Done_FreeType(m_library);
  }
  FaceCache(const FaceCache&) = delete;
  FaceCache& operator=(const FaceCache&) = delete;

  FT_Library Library() const { return m_library; }

  FT_Face Open(const FaceSource& source) {
    auto it = m_faces.find(source);
    if (it != m_faces.end()) return it->second;
    FT_Face face = nullptr;
    // A file that fails once fails again: remember the null too.
    if (m_library && FT_New_Face(m_library, source.file.c_str(), source.index, &face) != 0) face = nullptr;
    if (face && !FT_IS_SCALABLE(face)) {
      FT_Done_Face(face);
      face = nullptr;
    }
    m_faces.emplace(source, face);
    return face;
  }

 private:
  FT_Library m_library = nullptr;
  std::map<FaceSource, FT_Face> m_faces;
};

FaceCache& Cache() {
  static FaceCache cache;
  return cache;
}

}  // namespace

FT_Library FreeTypeLibrary() { return Cache().Library(); }

FT_Face OpenFace(const FaceSource& source) { return Cache().Open(source); }

}  // namespace pluv::gdi
