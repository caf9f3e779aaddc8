#include "platform/gdi/font_matcher.h"

#include <fontconfig/fontconfig.h>

#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "platform/kernel/cp932.h"

namespace pluv::gdi {
namespace {

constexpr const char* kJapanese = "ja";

// Windows' Japanese faces and the installed faces that stand in for them,
// best first. Names are UTF-8; ASCII names compare without regard to case.
struct FaceAlias {
  std::vector<const char*> windowsNames;
  std::vector<const char*> families;
  const char* generic;  // fontconfig's generic family when none is installed
};

const std::vector<FaceAlias>& Aliases() {
  static const std::vector<FaceAlias> aliases = {
      {{"ＭＳ ゴシック", "MS Gothic", "ＭＳゴシック"},
       {"IPAGothic", "VL Gothic", "TakaoGothic", "Noto Sans Mono CJK JP", "Sazanami Gothic"},
       "monospace"},
      {{"ＭＳ Ｐゴシック", "MS PGothic", "MS UI Gothic", "メイリオ", "Meiryo", "Meiryo UI", "游ゴシック", "Yu Gothic"},
       {"IPAPGothic", "IPAexGothic", "VL PGothic", "TakaoPGothic", "Noto Sans CJK JP"},
       "sans-serif"},
      {{"ＭＳ 明朝", "MS Mincho", "ＭＳ明朝"},
       {"IPAMincho", "TakaoMincho", "Noto Serif CJK JP", "Sazanami Mincho", "IPAGothic"},
       "serif"},
      {{"ＭＳ Ｐ明朝", "MS PMincho", "游明朝", "Yu Mincho"},
       {"IPAPMincho", "IPAexMincho", "TakaoPMincho", "Noto Serif CJK JP", "IPAPGothic"},
       "serif"},
  };
  return aliases;
}

bool FcReady() {
  static const bool ready = FcInit() == FcTrue;
  return ready;
}

const FcChar8* Fc(const char* s) { return reinterpret_cast<const FcChar8*>(s); }

// Owns an FcPattern.
struct PatternDeleter {
  void operator()(FcPattern* p) const {
    if (p) FcPatternDestroy(p);
  }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

PatternPtr QueryPattern(const char* family, bool bold, bool italic) {
  PatternPtr pattern(FcPatternCreate());
  if (!pattern) return nullptr;
  if (family) FcPatternAddString(pattern.get(), FC_FAMILY, Fc(family));
  FcPatternAddString(pattern.get(), FC_LANG, Fc(kJapanese));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  return pattern;
}

std::optional<ResolvedFace> FromPattern(FcPattern* font, bool bold, bool italic) {
  FcChar8* file = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) return std::nullopt;
  int index = 0;
  FcPatternGetInteger(font, FC_INDEX, 0, &index);
  int weight = FC_WEIGHT_REGULAR;
  FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
  int slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(font, FC_SLANT, 0, &slant);
  // fontconfig's own synthetic-style rules may already have marked an
  // upright regular face bold or italic: it then asks for emboldening or a
  // slanting matrix, which we do ourselves.
  FcBool embolden = FcFalse;
  FcPatternGetBool(font, FC_EMBOLDEN, 0, &embolden);
  FcMatrix* matrix = nullptr;
  const bool slanted = FcPatternGetMatrix(font, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix &&
                       matrix->xy != 0;
  ResolvedFace face;
  face.source = {reinterpret_cast<const char*>(file), index};
  face.syntheticBold = bold && (weight < FC_WEIGHT_DEMIBOLD || embolden == FcTrue);
  face.syntheticItalic = italic && (slant == FC_SLANT_ROMAN || slanted);
  return face;
}

bool HasFamily(FcPattern* font, const char* family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(name, Fc(family)) == 0) return true;
  }
  return false;
}

bool SupportsJapanese(FcPattern* font) {
  FcLangSet* langs = nullptr;
  return FcPatternGetLangSet(font, FC_LANG, 0, &langs) == FcResultMatch && langs &&
         FcLangSetHasLang(langs, Fc(kJapanese)) == FcLangEqual;
}

// The installed face of exactly this family, else nothing (fontconfig
// itself always answers with some face).
std::optional<ResolvedFace> MatchFamily(const char* family, bool bold, bool italic) {
  PatternPtr pattern = QueryPattern(family, bold, italic);
  if (!pattern) return std::nullopt;
  FcResult result = FcResultNoMatch;
  PatternPtr font(FcFontMatch(nullptr, pattern.get(), &result));
  if (!font || !HasFamily(font.get(), family)) return std::nullopt;
  return FromPattern(font.get(), bold, italic);
}

// The first face in fontconfig's order for the generic family that covers
// Japanese; the very first face when none does.
std::optional<ResolvedFace> MatchJapanese(const char* generic, bool bold, bool italic) {
  PatternPtr pattern = QueryPattern(generic, bold, italic);
  if (!pattern) return std::nullopt;
  FcResult result = FcResultNoMatch;
  FcFontSet* set = FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result);
  if (!set) return std::nullopt;
  std::optional<ResolvedFace> chosen;
  for (int pass = 0; pass < 2 && !chosen; ++pass) {
    for (int i = 0; i < set->nfont && !chosen; ++i) {
      if (pass == 0 && !SupportsJapanese(set->fonts[i])) continue;
      PatternPtr prepared(FcFontRenderPrepare(nullptr, pattern.get(), set->fonts[i]));
      if (prepared) chosen = FromPattern(prepared.get(), bold, italic);
    }
  }
  FcFontSetDestroy(set);
  return chosen;
}

bool SameWindowsName(const std::string& utf8, const char* alias) {
  return FcStrCmpIgnoreCase(Fc(utf8.c_str()), Fc(alias)) == 0;
}

std::optional<ResolvedFace> Resolve(const std::string& cp932Name, bool bold, bool italic) {
  if (!FcReady()) return std::nullopt;
  const std::string utf8 = Cp932ToUtf8(cp932Name);
  for (const FaceAlias& alias : Aliases()) {
    bool named = false;
    for (const char* windowsName : alias.windowsNames) named = named || SameWindowsName(utf8, windowsName);
    if (!named) continue;
    for (const char* family : alias.families) {
      if (auto face = MatchFamily(family, bold, italic)) return face;
    }
    return MatchJapanese(alias.generic, bold, italic);
  }
  if (!utf8.empty()) {
    if (auto face = MatchFamily(utf8.c_str(), bold, italic)) return face;
  }
  return MatchJapanese("sans-serif", bold, italic);
}

}  // namespace

std::optional<ResolvedFace> ResolveFace(const std::string& cp932Name, bool bold, bool italic) {
  static std::map<std::tuple<std::string, bool, bool>, std::optional<ResolvedFace>> cache;
  const auto key = std::make_tuple(cp932Name, bold, italic);
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, Resolve(cp932Name, bold, italic)).first;
  return it->second;
}

std::optional<FaceSource> FallbackFaceFor(char32_t ch) {
  static std::map<char32_t, std::optional<FaceSource>> cache;
  auto it = cache.find(ch);
  if (it != cache.end()) return it->second;

  // Every face, in fontconfig's order for Japanese sans-serif text, with the
  // characters each covers; sorted once.
  static FcFontSet* const sorted = [] {
    if (!FcReady()) return static_cast<FcFontSet*>(nullptr);
    PatternPtr pattern = QueryPattern("sans-serif", false, false);
    FcResult result = FcResultNoMatch;
    return pattern ? FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result) : nullptr;
  }();
  std::optional<FaceSource> found;
  for (int i = 0; sorted && i < sorted->nfont && !found; ++i) {
    FcCharSet* chars = nullptr;
    FcChar8* file = nullptr;
    if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch ||
        !FcCharSetHasChar(chars, static_cast<FcChar32>(ch)) ||
        FcPatternGetString(sorted->fonts[i], FC_FILE, 0, &file) != FcResultMatch) {
      continue;
    }
    int index = 0;
    FcPatternGetInteger(sorted->fonts[i], FC_INDEX, 0, &index);
    found = FaceSource{reinterpret_cast<const char*>(file), index};
  }
  cache.emplace(ch, found);
  return found;
}

}  // namespace pluv::gdi
