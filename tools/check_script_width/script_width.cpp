#include "tools/check_script_width/script_width.h"

#include "platform/kernel/cp932.h"
#include "scene/text_writer.h"
#include "tools/make_dat/script_text.h"

namespace {

// The play field's glyph format and the writer's glyph cache size (glyphs
// per bucket): the measuring does not depend on them, the drawing does.
constexpr D3DFORMAT kGlyphFormat = D3DFMT_A8R8G8B8;
constexpr int32_t kGlyphCacheSize = 64;

}  // namespace

TScriptWidth::TScriptWidth(int textSize)
    : m_writer(std::make_unique<TNQTextWriter>(nullptr, kGlyphFormat, kGlyphCacheSize)) {
  m_writer->GetFont().SetName(Utf8ToCp932("ＭＳ ゴシック"));
  m_writer->GetFont().SetSize(textSize);
}

TScriptWidth::~TScriptWidth() = default;

int32_t TScriptWidth::Width(const std::string& cp932Line) { return m_writer->DrawnWidth(cp932Line); }

std::vector<TTooWideLine> TScriptWidth::TooWide(const std::string& scriptBytes, int32_t maxWidth) {
  std::vector<TTooWideLine> tooWide;
  const std::vector<std::string> lines = SplitScriptLines(scriptBytes);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int32_t width = Width(lines[i]);
    if (width > maxWidth) tooWide.push_back(TTooWideLine{static_cast<int>(i + 1), width, lines[i]});
  }
  return tooWide;
}
