// gdi_render_text: renders a line of text through the GDI glyph functions
// into a PGM picture, to look at the glyphs.
//   gdi_render_text OUT.pgm "FACE" SIZE_POINTS "TEXT" [b][i][u][s][m]
// FACE and TEXT are UTF-8 (converted to CP932 as the game gives them); the
// flags ask for bold, italic, underline, strike-out and the 1-bit format.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/gdi/graphics.h"
#include "platform/kernel/cp932.h"
#include "text_raster.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s OUT.pgm FACE SIZE TEXT [biusm]\n", argv[0]);
    return 2;
  }
  const std::string flags = argc > 5 ? argv[5] : "";
  TCanvas canvas;
  canvas.Font().SetName(Utf8ToCp932(argv[2]));
  canvas.Font().SetSize(std::atoi(argv[3]));
  TFontStyles style;
  if (flags.find('b') != std::string::npos) style.Include(fsBold);
  if (flags.find('i') != std::string::npos) style.Include(fsItalic);
  if (flags.find('u') != std::string::npos) style.Include(fsUnderline);
  if (flags.find('s') != std::string::npos) style.Include(fsStrikeOut);
  canvas.Font().SetStyle(style);
  const unsigned format = flags.find('m') != std::string::npos ? GGO_BITMAP : GGO_GRAY8_BITMAP;
  GreyImage image;
  constexpr int kMargin = 4;
  if (!RenderLine(canvas.Handle(), Utf8ToCp932(argv[4]), format, kMargin, image)) {
    std::fprintf(stderr, "rendering failed\n");
    return 1;
  }
  if (!WritePgm(argv[1], image)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  TEXTMETRICA tm{};
  GetTextMetricsA(canvas.Handle(), &tm);
  std::printf("%d x %d, ascent %d, descent %d, height %d, width %d\n", image.width, image.height,
              static_cast<int>(tm.tmAscent), static_cast<int>(tm.tmDescent), static_cast<int>(tm.tmHeight),
              canvas.TextWidth(Utf8ToCp932(argv[4])));
  return 0;
}
