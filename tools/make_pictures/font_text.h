// Lettering for the pictures: finds fonts through fontconfig and renders
// UTF-8 text with FreeType into coverage masks. Build-time tool code; one
// thread per FontFace (FreeType faces are not shared between threads).
#pragma once

#include "tools/make_pictures/picture_canvas.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// A font that cannot be found, opened or lacks a glyph the text needs.
class EFontError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file of the installed font that fontconfig matches best to a pattern
// such as "DejaVu Sans:bold" or "IPAGothic". Throws EFontError when
// fontconfig has no match with a file.
std::string FindFontFile(const std::string& pattern);

// The extent of rendered text in pixels: pen advance, and the lines above
// and below the baseline that the glyphs actually reach.
struct TextExtent {
  int width = 0;
  int ascent = 0;
  int descent = 0;
};

// One FreeType face at one pixel size.
class FontFace {
 public:
  FontFace(const std::string& file, int pixelSize);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // Extra space between letters in pixels (may be negative).
  void SetTracking(int pixels) { m_tracking = pixels; }

  TextExtent Measure(std::string_view utf8) const;
  // The text's anti-aliased coverage in a mask of exactly Measure's width
  // and ascent + descent, the baseline at row ascent. Throws EFontError when
  // the face has no glyph for a character.
  AlphaMask Render(std::string_view utf8) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
  int m_tracking = 0;
};

// Decodes UTF-8 into code points; throws EFontError on broken input.
std::u32string DecodeUtf8(std::string_view utf8);
