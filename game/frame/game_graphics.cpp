#include "game/frame/game_graphics.h"

#include <vector>

#include "platform/kernel/cp932.h"

namespace {

// Preferred first: full alpha for the soft edges of drops and splashes.
const std::vector<D3DFORMAT> kTextureFormats{D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};
constexpr DWORD kTextureUsage = 0;
constexpr UINT kTextureLevels = 0;  // a full chain, as the device decides
constexpr D3DFORMAT kGlyphFormat = D3DFMT_A8R8G8B8;
constexpr UINT kPresentationInterval = 0;
constexpr int32_t kSwapEffect = 1;  // discard
constexpr int32_t kMultiSampleType = 0;
constexpr UINT kAdapter = 0;

}  // namespace

TGameGraphics::TGameGraphics(TOwnerWindow* Owner) {
  m_vx = std::make_unique<TVextral>(Owner);
  m_vx->Name = "VX";
  m_vx->UseREFDevice = false;
  m_vx->UseSoftwareVertexProcessing = false;
  m_vx->SetDebugOption(TVXDebugOption{});
  m_vx->Loaded();
  m_vx->InitWindowMode(kClientWidth, kClientHeight, {}, kPresentationInterval, kSwapEffect, kMultiSampleType,
                       kAdapter);

  Scene = new TNQScene(m_vx.get(), "");  // freed by the wrapper

  BallTexture = LoadPicture("bmp\\ball.bmp");
  FlashTexture = LoadPicture("bmp\\flash.bmp");
  // The splash picture is drawn on white: its white becomes transparent and
  // every other pixel opaque.
  FlashTexture->SetColorKey(
      RECT{0, 0, static_cast<LONG>(FlashTexture->Width), static_cast<LONG>(FlashTexture->Height)},
      kTransparentWhite);
  RainTexture = LoadPicture("bmp\\rain.bmp");
  BackTexture = LoadPicture("bmp\\back.bmp");
  TitleTexture = LoadPicture("bmp\\title.bmp");
  m_japaneseTitle = TitleTexture;
  ResultTexture = LoadPicture("bmp\\result.bmp");
  ReadyTexture = LoadPicture("bmp\\ready.bmp");
  GoodTexture = LoadPicture("bmp\\good.bmp");
  BadTexture = LoadPicture("bmp\\bad.bmp");
  NicePlayTexture = LoadPicture("bmp\\niceplay.bmp");
  PerfectPlayTexture = LoadPicture("bmp\\perfectplay.bmp");
  GoodTextTexture = BlankTexture(kClientWidth, kResultLineHeight);
  BadTextTexture = BlankTexture(kClientWidth, kResultLineHeight);
  TutorialTextTexture = BlankTexture(kClientWidth, kScriptLineHeight);
  ScenarioTextTexture = BlankTexture(kClientWidth, kScriptLineHeight);

  m_textWriter = std::make_unique<TNQTextWriter>(m_vx.get(), kGlyphFormat, kGlyphCacheSize);
  m_textWriter->GetFont().SetName(Utf8ToCp932("ＭＳ ゴシック"));
}

TGameGraphics::~TGameGraphics() {
  m_textWriter.reset();
  m_vx.reset();
}

void TGameGraphics::CreateRecordTextures() {
  if (ComboTextTexture != nullptr) return;
  ComboTextTexture = BlankTexture(kClientWidth, kRecordLineHeight);
  BestTextTexture = BlankTexture(kClientWidth, kRecordLineHeight);
  NewRecordTextTexture = BlankTexture(kClientWidth, kRecordLineHeight);
  DifficultyTextTexture = BlankTexture(kClientWidth, kRecordLineHeight);
}

TVXTexture* TGameGraphics::NewTexture() {
  auto* texture = new TVXTexture(m_vx.get(), kTextureFormats, kTextureUsage, D3DPOOL_MANAGED, kTextureLevels, "");
  texture->FillColor = kTransparentWhite;
  return texture;
}

TVXTexture* TGameGraphics::LoadPicture(const std::string& FileName) {
  TVXTexture* texture = NewTexture();
  texture->LoadFromFile(FileName);
  return texture;
}

TVXTexture* TGameGraphics::LoadExtraPicture(const std::string& FileName) { return LoadPicture(FileName); }

void TGameGraphics::UseEnglishTitle(bool English) {
  if (English && m_englishTitle == nullptr) m_englishTitle = LoadExtraPicture("bmp\\title_en.bmp");
  const bool loaded = m_englishTitle != nullptr && m_englishTitle->Width > 0;
  TitleTexture = English && loaded ? m_englishTitle : m_japaneseTitle;
}

TVXTexture* TGameGraphics::BlankTexture(UINT Width, UINT Height) {
  TVXTexture* texture = NewTexture();
  texture->SetSize(Width, Height);
  return texture;
}
