// TPauseOverlay: what a paused game draws over its frozen play field: the
// field dimmed and the pause picture in the middle. Main thread only, inside
// a frame between BeginScene and Render. Refers to the window's graphics;
// its texture belongs to the device wrapper like every other.
#pragma once

#include "game/frame/game_graphics.h"

class TPauseOverlay {
 public:
  // A translucent black over the whole field, and the lettering in white.
  static constexpr uint32_t kDimColor = 0x80000000u;
  static constexpr uint32_t kPictureColor = 0xFFFFFFFFu;

  static constexpr char kPicture[] = "bmp\\pause.bmp";

  // Loads the pause picture on the window's device (a missing file leaves it empty).
  explicit TPauseOverlay(TGameGraphics& Graphics);

  void DrawPaused();
  TVXTexture* Texture() const { return m_texture; }

 private:
  TGameGraphics& m_graphics;
  TVXTexture* m_texture = nullptr;  // registered with the wrapper, which frees it
};
