// Maps the Windows face names the game gives ("ＭＳ ゴシック", "MS PGothic",
// ...) to installed faces through fontconfig, and finds a face for a
// character the chosen face lacks. Main thread only; results are cached for
// the life of the process.
#pragma once

#include <optional>
#include <string>

#include "platform/gdi/face_cache.h"

namespace pluv::gdi {

struct ResolvedFace {
  FaceSource source;
  bool syntheticBold = false;    // bold asked for, the face is not bold: embolden
  bool syntheticItalic = false;  // italic asked for, the face is upright: slant
};

// The installed face for a CP932 Windows face name and style: the Japanese
// faces that stand in for the Windows ones, else a face of that name, else
// any face fontconfig offers for Japanese text. Nothing only when fontconfig
// knows no scalable face at all.
std::optional<ResolvedFace> ResolveFace(const std::string& cp932Name, bool bold, bool italic);

// A face that has ch, in fontconfig's order of preference for Japanese text.
std::optional<FaceSource> FallbackFaceFor(char32_t ch);

}  // namespace pluv::gdi
