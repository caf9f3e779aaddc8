// The game's eleven pictures, drawn in code: what each looks like follows
// from how the game draws it (tint, blending, placement). Build-time tool
// code; any thread.
#pragma once

#include "tools/make_pictures/bmp_writer.h"
#include "tools/make_pictures/picture_canvas.h"

#include <string>
#include <vector>

struct Picture {
  std::string fileName;  // e.g. "ball.bmp"
  BmpKind kind;
  Canvas canvas;
};

// Font files for the lettering: a bold sans for the Latin words, a Japanese
// Gothic for the subtitle.
struct PictureFonts {
  std::string latinBold;
  std::string japanese;
};

// Looks the fonts up through fontconfig (throws EFontError when missing).
PictureFonts FindPictureFonts();

// Scenery (scenery_pictures.cpp).
// One raindrop, 5 pixels wide (the lane pitch): light grey tones with a
// white highlight, its shape in alpha; the game tints it cyan.
Canvas DrawBall();
// A splash on pure white (the game keys white out): every other pixel is a
// blue that shows at the low alpha the splash is drawn with. Stored turned
// by 180 degrees, as the game turns it back.
Canvas DrawFlash();
// A tall strip of rain on a night-blue window for the right edge, its left
// edge fading out in alpha.
Canvas DrawRain();
// 640 x 480 rainy evening over a town: a pale misty sky behind the dark
// lettering at the top, dark water behind the white scenario line at the
// bottom.
Canvas DrawBack();

// Lettering (lettering_pictures.cpp): white RGB, the words in alpha with a
// soft drop shadow, for the game to tint.
// The title over a subtitle (UTF-8) set in the Gothic face.
Canvas DrawTitle(const PictureFonts& fonts, const std::string& subtitle);
Canvas DrawLabel(const PictureFonts& fonts, const std::string& text, int pixelSize, int tracking);

// The desktop icon, size x size pixels (icon_picture.cpp).
Canvas DrawIcon(int size);

// All eleven, named as the game loads them.
std::vector<Picture> DrawAllPictures(const PictureFonts& fonts);
