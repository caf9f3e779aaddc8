#include "tools/make_pictures/font_text.h"
#include "tools/make_pictures/pictures.h"

#include <algorithm>
#include <cmath>

namespace {

// Room around the words for the shadow and the blur.
constexpr int kMargin = 8;
constexpr int kShadowOffset = 3;
constexpr int kShadowBlur = 2;
constexpr float kShadowAlpha = 0.35F;

constexpr int kTitlePixels = 76;
constexpr int kTitleTracking = 1;
constexpr int kSubtitlePixels = 22;
constexpr int kSubtitleTracking = 2;
constexpr int kRuleGap = 8;          // between the title's baseline area and the rule
constexpr double kRuleWidth = 2.5;
constexpr char kSubtitle[] = "ルフナと雨のリズムゲーム";
constexpr char kEnglishSubtitle[] = "Rufuna's rhythm game of rain";

const Rgba kWhite = Hex(0xFFFFFF);

// Transparent white: the colour a tinted picture holds where it is empty, so
// that filtering at the letters' edges never pulls in a dark fringe.
Rgba Clear() { return Rgba{1.0F, 1.0F, 1.0F, 0.0F}; }

// Composes the lettering mask over a soft shadow into a picture of the
// mask's size plus the margins.
Canvas ShadowedPicture(const AlphaMask& shape) {
  const int width = shape.Width() + 2 * kMargin + kShadowOffset;
  const int height = shape.Height() + 2 * kMargin + kShadowOffset;
  AlphaMask placed(width, height);
  placed.AddMax(shape, kMargin, kMargin);
  AlphaMask shadow(width, height);
  shadow.AddMax(shape, kMargin + kShadowOffset, kMargin + kShadowOffset);
  shadow = shadow.Blurred(kShadowBlur);

  Canvas picture(width, height, Clear());
  picture.BlendMask(shadow, 0, 0, Rgba{1.0F, 1.0F, 1.0F, kShadowAlpha});
  picture.BlendMask(placed, 0, 0, kWhite);
  return picture;
}

// A small raindrop shape (point up) drawn into a mask.
void AddDrop(AlphaMask& mask, double cx, double bottom, double radius) {
  const double circleY = bottom - radius;
  const double tipY = circleY - radius * 2.1;
  constexpr int kSamples = 4;
  for (int y = static_cast<int>(tipY) - 1; y <= static_cast<int>(bottom) + 1; ++y) {
    for (int x = static_cast<int>(cx - radius) - 1; x <= static_cast<int>(cx + radius) + 1; ++x) {
      if (x < 0 || y < 0 || x >= mask.Width() || y >= mask.Height()) continue;
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double px = x + (sx + 0.5) / kSamples;
          const double py = y + (sy + 0.5) / kSamples;
          const double dx = px - cx;
          bool inside = dx * dx + (py - circleY) * (py - circleY) <= radius * radius;
          if (!inside && py >= tipY && py <= circleY) {
            inside = std::fabs(dx) <= radius * std::pow((py - tipY) / (circleY - tipY), 0.8);
          }
          if (inside) ++hits;
        }
      }
      float& v = mask.Ref(x, y);
      v = std::max(v, static_cast<float>(hits) / (kSamples * kSamples));
    }
  }
}

// A horizontal bar of the given thickness, anti-aliased at its ends and edges.
void AddRule(AlphaMask& mask, double x0, double x1, double centreY, double thickness) {
  for (int y = 0; y < mask.Height(); ++y) {
    const double vertical = std::clamp(thickness / 2.0 + 0.5 - std::fabs(y + 0.5 - centreY), 0.0, 1.0);
    if (vertical <= 0.0) continue;
    for (int x = 0; x < mask.Width(); ++x) {
      const double horizontal = std::clamp(std::min(x + 1.0 - x0, x1 - x), 0.0, 1.0);
      float& v = mask.Ref(x, y);
      v = std::max(v, static_cast<float>(vertical * horizontal));
    }
  }
}

}  // namespace

PictureFonts FindPictureFonts() {
  return PictureFonts{FindFontFile("DejaVu Sans:bold"), FindFontFile("IPAGothic:lang=ja")};
}

Canvas DrawLabel(const PictureFonts& fonts, const std::string& text, int pixelSize, int tracking) {
  FontFace face(fonts.latinBold, pixelSize);
  face.SetTracking(tracking);
  return ShadowedPicture(face.Render(text));
}

Canvas DrawTitle(const PictureFonts& fonts, const std::string& subtitleText) {
  FontFace titleFace(fonts.latinBold, kTitlePixels);
  titleFace.SetTracking(kTitleTracking);
  FontFace subtitleFace(fonts.japanese, kSubtitlePixels);
  subtitleFace.SetTracking(kSubtitleTracking);
  const AlphaMask title = titleFace.Render("Pluvionaut");
  const AlphaMask subtitle = subtitleFace.Render(subtitleText);

  // The title; under it a rule that ends in a falling drop, and the
  // subtitle set to the right beneath.
  const double dropRadius = 4.0;
  const int ruleY = title.Height() + kRuleGap;
  const int width = std::max(title.Width(), subtitle.Width()) + static_cast<int>(dropRadius * 3);
  const int height = ruleY + kRuleGap + subtitle.Height() + static_cast<int>(dropRadius);
  AlphaMask shape(width, height);
  shape.AddMax(title, 0, 0);
  const double ruleEnd = title.Width() - subtitle.Width() - 14.0;
  AddRule(shape, 2.0, ruleEnd, ruleY, kRuleWidth);
  AddDrop(shape, ruleEnd + 8.0, ruleY + dropRadius + 2.0, dropRadius);
  shape.AddMax(subtitle, title.Width() - subtitle.Width(), ruleY - subtitle.Height() / 2 + 2);
  return ShadowedPicture(shape);
}

std::vector<Picture> DrawAllPictures(const PictureFonts& fonts) {
  std::vector<Picture> pictures;
  pictures.push_back({"ball.bmp", BmpKind::Alpha32, DrawBall()});
  pictures.push_back({"flash.bmp", BmpKind::Opaque24, DrawFlash()});
  pictures.push_back({"rain.bmp", BmpKind::Alpha32, DrawRain()});
  pictures.push_back({"back.bmp", BmpKind::Opaque24, DrawBack()});
  pictures.push_back({"title.bmp", BmpKind::Alpha32, DrawTitle(fonts, kSubtitle)});
  // Beyond the designed eleven: the title with its subtitle in English.
  pictures.push_back({"title_en.bmp", BmpKind::Alpha32, DrawTitle(fonts, kEnglishSubtitle)});
  pictures.push_back({"result.bmp", BmpKind::Alpha32, DrawLabel(fonts, "RESULT", 56, 4)});
  pictures.push_back({"ready.bmp", BmpKind::Alpha32, DrawLabel(fonts, "READY", 64, 6)});
  // Beyond the designed eleven: the lettering over a paused game.
  pictures.push_back({"pause.bmp", BmpKind::Alpha32, DrawLabel(fonts, "PAUSE", 64, 6)});
  pictures.push_back({"good.bmp", BmpKind::Alpha32, DrawLabel(fonts, "Good", 38, 1)});
  pictures.push_back({"bad.bmp", BmpKind::Alpha32, DrawLabel(fonts, "Bad", 38, 1)});
  pictures.push_back({"niceplay.bmp", BmpKind::Alpha32, DrawLabel(fonts, "NICE PLAY!", 44, 2)});
  pictures.push_back({"perfectplay.bmp", BmpKind::Alpha32, DrawLabel(fonts, "PERFECT PLAY!!", 44, 2)});
  return pictures;
}
