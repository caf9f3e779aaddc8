// The graphics side of the main window as it is built at creation: the
// device wrapper "VX" in window mode at 640 x 480, the scene, the fifteen
// textures (eleven pictures, four blank text lines) and the text writer.
// Main thread only. TGameGraphics owns the wrapper and the text writer; the
// scene and the textures are registered with the wrapper, which frees them
// when it is destroyed (the pointers below stay valid until then).
#pragma once

#include <memory>
#include <string>

#include "game/core/play_field_size.h"
#include "gfx/texture.h"
#include "gfx/vextral.h"
#include "platform/ui/owner_window.h"
#include "scene/scene.h"
#include "scene/text_writer.h"

class TGameGraphics {
 public:
  static constexpr int kClientWidth = kPlayFieldWidth;
  static constexpr int kClientHeight = kPlayFieldHeight;
  static constexpr int kResultLineHeight = 100;  // Good and Bad lines
  static constexpr int kScriptLineHeight = 50;   // tutorial and scenario lines
  static constexpr int kRecordLineHeight = 40;   // max combo, best, new-record and difficulty lines
  static constexpr int kGlyphCacheSize = 16;     // glyphs per bucket
  // Transparent white: the colour of a texture before its picture arrives, so
  // a missing picture draws nothing; also the flash picture's colour key.
  static constexpr DWORD kTransparentWhite = 0x00FFFFFFu;

  // Builds everything on Owner, whose client area becomes 640 x 480. A
  // picture that cannot be read leaves its texture empty (the wrapper's
  // result check logs it); start-up goes on.
  explicit TGameGraphics(TOwnerWindow* Owner);
  // Frees the text writer, then the wrapper (with the scene and textures).
  ~TGameGraphics();
  TGameGraphics(const TGameGraphics&) = delete;
  TGameGraphics& operator=(const TGameGraphics&) = delete;

  TVextral& VX() { return *m_vx; }
  TNQTextWriter& TextWriter() { return *m_textWriter; }

  TNQScene* Scene = nullptr;
  TVXTexture* BallTexture = nullptr;
  TVXTexture* FlashTexture = nullptr;
  TVXTexture* RainTexture = nullptr;
  TVXTexture* BackTexture = nullptr;
  TVXTexture* TitleTexture = nullptr;
  TVXTexture* ResultTexture = nullptr;
  TVXTexture* ReadyTexture = nullptr;
  TVXTexture* GoodTexture = nullptr;
  TVXTexture* BadTexture = nullptr;
  TVXTexture* NicePlayTexture = nullptr;
  TVXTexture* PerfectPlayTexture = nullptr;
  TVXTexture* GoodTextTexture = nullptr;
  TVXTexture* BadTextTexture = nullptr;
  TVXTexture* TutorialTextTexture = nullptr;
  TVXTexture* ScenarioTextTexture = nullptr;
  // Beyond the designed fifteen: the result screen's record lines, made by
  // CreateRecordTextures when a result screen first needs them (creation
  // registers exactly the designed set).
  void CreateRecordTextures();
  TVXTexture* ComboTextTexture = nullptr;
  TVXTexture* BestTextTexture = nullptr;
  TVXTexture* NewRecordTextTexture = nullptr;
  TVXTexture* DifficultyTextTexture = nullptr;

  // A picture beyond the designed fifteen textures, loaded the same way and
  // freed with the others by the wrapper (the parts that draw it ask for it).
  TVXTexture* LoadExtraPicture(const std::string& FileName);
  // The title picture with its subtitle in English (loaded when first
  // asked for; without its file the Japanese one stays) or the designed one.
  void UseEnglishTitle(bool English);

 private:
  TVXTexture* m_japaneseTitle = nullptr;
  TVXTexture* m_englishTitle = nullptr;
  // A texture in the game's formats, transparent white until loaded.
  TVXTexture* NewTexture();
  TVXTexture* LoadPicture(const std::string& FileName);
  TVXTexture* BlankTexture(UINT Width, UINT Height);

  std::unique_ptr<TVextral> m_vx;
  std::unique_ptr<TNQTextWriter> m_textWriter;
};
