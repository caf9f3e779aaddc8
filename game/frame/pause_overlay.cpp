#include "game/frame/pause_overlay.h"

#include "scene/blend_mode.h"
#include "scene/math_pack.h"

namespace {
constexpr float kWidth = TGameGraphics::kClientWidth;
constexpr float kHeight = TGameGraphics::kClientHeight;
constexpr uint8_t kFilter = 0;
constexpr float kZ = 0.0f;
}  // namespace

TPauseOverlay::TPauseOverlay(TGameGraphics& Graphics)
    : m_graphics(Graphics), m_texture(Graphics.LoadExtraPicture(kPicture)) {}

void TPauseOverlay::DrawPaused() {
  const TNQVertex dim[4] = {MakeVertex(0, 0, kDimColor, 0, 0), MakeVertex(kWidth, 0, kDimColor, 0, 0),
                            MakeVertex(0, kHeight, kDimColor, 0, 0), MakeVertex(kWidth, kHeight, kDimColor, 0, 0)};
  m_graphics.Scene->DrawQuad(MakeVector2(0, 0), dim, nullptr, kBlendTranslucent, kFilter, true, kZ);
  TVXTexture* picture = m_texture;
  if (picture == nullptr) return;
  // Centred like the ready picture.
  const auto x = static_cast<float>(TGameGraphics::kClientWidth / 2 - static_cast<int>(picture->Width) / 2);
  const auto y = static_cast<float>(TGameGraphics::kClientHeight / 2 - static_cast<int>(picture->Height) / 2);
  m_graphics.Scene->DrawSprite(MakeVector2(x, y), kPictureColor, picture, kBlendTranslucent, kFilter, true, kZ);
}
