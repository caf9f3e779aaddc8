#include "game/frame/play_field.h"

#include <algorithm>
#include <climits>

#include "game/frame/drawn_position.h"
#include "game/frame/frame_text.h"
#include "records/game_record.h"
#include "scene/blend_mode.h"
#include "scene/math_pack.h"

namespace {

constexpr int32_t kWidth = TGameGraphics::kClientWidth;
constexpr int32_t kHeight = TGameGraphics::kClientHeight;
constexpr uint8_t kFilter = 0;  // point sampling: pictures drawn at their own size
constexpr float kZ = 0.0f;

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kHalfBlack = 0x80000000u;  // titles, labels, chord lines
constexpr uint32_t kJudgementLineColor = 0x40000000u;
constexpr uint32_t kBarColor = 0xFFFF0000u;
constexpr uint32_t kDropColor = 0xFF00FFFFu;
constexpr uint32_t kTutorialTextColor = 0xFF000000u;
constexpr uint32_t kPerfectPlayColor = 0x80FF0000u;
constexpr uint32_t kNicePlayColor = 0x80008000u;

constexpr int32_t kRainOverhang = 25;  // the rain picture's right edge beyond the window
constexpr int32_t kBarHeight = 5;
constexpr int32_t kChordLineOffset = 2;  // below the drops' tops
// HIDDEN hides the lower part from here, SUDDEN the upper part (drop tops;
// chord lines lie kChordLineOffset lower).
constexpr int32_t kHiddenDropY = 300;
constexpr int32_t kHiddenLineY = kHiddenDropY + kChordLineOffset;
constexpr int32_t kSplashLifeMs = 1000;
constexpr int32_t kSplashCentreY = TPlayField::kBarTopY - 3;

constexpr int kTutorialTextSize = 12;
constexpr int kResultTextSize = 36;
constexpr int kScenarioTextSize = 15;
constexpr float kTutorialX = 12, kTutorialY = 420;
constexpr float kScenarioX = 15, kScenarioY = 420;
constexpr float kLabelX = 50;
constexpr float kTitleY = 50, kGoodY = 150, kBadY = 200, kAwardY = 250;
constexpr float kGoodTextY = 145, kBadTextY = 195;
// The record lines in the free rows just under the award (which ends at
// 302 with the game's pictures), above the roofs of the background; the
// new-record mark goes on the best line, left of it.
constexpr int kRecordTextSize = 20;
constexpr float kComboTextY = 302, kBestTextY = 326;
constexpr int32_t kNewRecordGap = 16;  // pixels between the mark and the best line
// Result texts and awards end this far right of the rain picture's left edge.
constexpr int32_t kRightAlignOverlap = 50;
// In extended precision on both sides: 9 of 10 is exactly the ratio.
constexpr long double kNicePlayRatio = 0.9L;

bool IsNoteOn(const TMidiEventItemStanderd& item) { return item.Kind == MidiKind::NoteOn; }

}  // namespace

TPlayField::TPlayField(TGameGraphics& Graphics) : m_graphics(Graphics), m_pauseOverlay(Graphics) {
  RainChannels.fill(true);
}

float TPlayField::DropY(int32_t PositionTicks, int32_t Tick, int32_t RainSpeed, int32_t Division,
                        int32_t BallHeight) {
  // The product in integers (64 bits, so that a far-away note cannot wrap
  // onto the screen), the division in floating point, the sum as a float.
  const int64_t product = (static_cast<int64_t>(PositionTicks) - Tick) * RainSpeed;
  return static_cast<float>(static_cast<double>(product) / Division + (kBarTopY - BallHeight));
}

bool TPlayField::Frame(const TMidiSong& Song, const TFrameInput& Input) {
  IDirect3DDevice9* device = m_graphics.VX().Device;
  if (device == nullptr || device->TestCooperativeLevel() != D3D_OK) return false;

  TSnapshot now{Song.PositionMs.load(std::memory_order_relaxed),
                Song.PositionTicks.load(std::memory_order_relaxed),
                Song.EndTime,
                Song.GoodCount.load(std::memory_order_relaxed),
                Song.BadCount.load(std::memory_order_relaxed),
                Song.MaxCombo.load(std::memory_order_relaxed),
                0,
                0};
  const TDrawnPosition drawn = DrawnPosition(now.PositionMs, now.PositionTicks, Input.OffsetSongMs, Song.Division,
                                             Song.Tempo.load(std::memory_order_relaxed));
  now.DrawnMs = drawn.PositionMs;
  now.DrawnTicks = drawn.PositionTicks;
  device->BeginScene();
  m_graphics.Scene->Clear(D3DCLEAR_TARGET, kWhite, 1.0f, 0);
  if (Input.Playing) {
    DrawPlayField(Song, Input, now);
  } else {
    DrawIdleScreens(Input, now);
  }
  m_graphics.Scene->Render();
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
  return true;
}

void TPlayField::DrawPlayField(const TMidiSong& Song, const TFrameInput& Input, const TSnapshot& Now) {
  if (TutorialSong) DrawRainPicture();
  DrawBox(0, kBarTopY, kWidth, 1, kJudgementLineColor);
  const TNQVertex bar[4] = {
      MakeVertex(static_cast<float>(-Input.BarHalfWidth), 0, kBarColor, 0, 0),
      MakeVertex(static_cast<float>(Input.BarHalfWidth) + 1, 0, kBarColor, 0, 0),
      MakeVertex(static_cast<float>(-Input.BarHalfWidth), kBarHeight, kBarColor, 0, 0),
      MakeVertex(static_cast<float>(Input.BarHalfWidth) + 1, kBarHeight, kBarColor, 0, 0)};
  m_graphics.Scene->DrawQuad(MakeVector2(static_cast<float>(Input.MouseX), kBarTopY), bar, nullptr,
                             kBlendTranslucent, kFilter, true, kZ);

  // A song without quarter-note length or events has no drops to place.
  if (Song.Division > 0 && Song.Events.Count() > 0) {
    FirstLiveEvent = std::clamp(FirstLiveEvent, 0, Song.Events.Count() - 1);
    DrawChordLines(Song, Input, Now);
    DrawDropsAndSplashes(Song, Input, Now);
  }

  if (Now.PositionMs == 0 || Input.Pause == TPauseState::Resuming) {
    TVXTexture* ready = m_graphics.ReadyTexture;
    DrawPicture(static_cast<float>(kWidth / 2 - static_cast<int32_t>(ready->Width) / 2),
                static_cast<float>(kHeight / 2 - static_cast<int32_t>(ready->Height) / 2), kHalfBlack, ready);
  }
  if (TutorialSong) DrawTutorialLine(Now);
  if (Input.Pause == TPauseState::Paused) m_pauseOverlay.DrawPaused();
}

bool TPlayField::Landed(const TMidiEventItemNoteOn& Note, const TFrameInput& Input, const TSnapshot& Now) {
  if (!Note.Caught.load(std::memory_order_relaxed)) return false;
  // A positive offset draws behind the clock: a drop caught ahead of its
  // drawn landing is still on its way down. Without one, caught is landed.
  return Input.OffsetSongMs <= 0 || Note.Time < Now.DrawnMs;
}

bool TPlayField::Raining(const TMidiEventItemStanderd& Item) const {
  const auto* note = dynamic_cast<const TMidiEventItemNoteOn*>(&Item);
  if (note == nullptr) return false;
  const int channel = note->GetByte(0) - 0x90;
  return channel >= 0 && channel < kChannelCount && RainChannels[static_cast<size_t>(channel)];
}

void TPlayField::DrawChordLines(const TMidiSong& Song, const TFrameInput& Input, const TSnapshot& Now) {
  const int32_t ballWidth = static_cast<int32_t>(m_graphics.BallTexture->Width);
  const int32_t ballHeight = static_cast<int32_t>(m_graphics.BallTexture->Height);
  const int32_t count = Song.Events.Count();
  int32_t hi = 0;
  int32_t lo = kLaneCount;
  for (int32_t i = FirstLiveEvent; i < count; ++i) {
    const TMidiEventItemStanderd& item = *Song.Events[i];
    const float y = DropY(Now.DrawnTicks, item.Tick, RainSpeed, Song.Division, ballHeight) + kChordLineOffset;
    if (y < 0 || (Input.Sudden && y < kHiddenLineY)) break;
    if (y <= kHeight && (y < kHiddenLineY || !Input.Hidden) && IsNoteOn(item) && Raining(item)) {
      const auto& note = static_cast<const TMidiEventItemNoteOn&>(item);
      // A drop caught ahead of its drawn landing (a positive offset) is still
      // on its way down.
      if (!Landed(note, Input, Now)) {
        const int32_t lane = note.Lane.load(std::memory_order_relaxed);
        hi = std::max(hi, lane);
        lo = std::min(lo, lane);
      }
    }
    if (i == count - 1 || Song.Events[i + 1]->Time > item.Time) {
      if (lo < hi) {
        const float length = static_cast<float>((hi - lo) * ballWidth);
        const TNQVertex line[4] = {MakeVertex(0, 0, kHalfBlack, 0, 0), MakeVertex(length, 0, kHalfBlack, 0, 0),
                                   MakeVertex(0, 1, kHalfBlack, 0, 0), MakeVertex(length, 1, kHalfBlack, 0, 0)};
        m_graphics.Scene->DrawQuad(MakeVector2(static_cast<float>(lo * ballWidth), y), line, nullptr,
                                   kBlendTranslucent, kFilter, true, kZ);
      }
      hi = 0;
      lo = kLaneCount;
    }
  }
}

void TPlayField::DrawDropsAndSplashes(const TMidiSong& Song, const TFrameInput& Input, const TSnapshot& Now) {
  TVXTexture* ball = m_graphics.BallTexture;
  TVXTexture* flash = m_graphics.FlashTexture;
  const int32_t ballHeight = static_cast<int32_t>(ball->Height);
  const int32_t count = Song.Events.Count();
  int32_t first = count - 1;
  for (int32_t j = FirstLiveEvent; j < count; ++j) {
    const TMidiEventItemStanderd& item = *Song.Events[j];
    const float y = DropY(Now.DrawnTicks, item.Tick, RainSpeed, Song.Division, ballHeight);
    if (y < static_cast<float>(-ballHeight)) {
      first = std::min(first, j);  // this drop and all later ones are above the window
      break;
    }
    if (!IsNoteOn(item) || !Raining(item)) continue;
    const auto& note = static_cast<const TMidiEventItemNoteOn&>(item);
    const int32_t lane = note.Lane.load(std::memory_order_relaxed);
    if (Landed(note, Input, Now)) {
      if (Now.DrawnMs - item.Time >= kSplashLifeMs) continue;
      first = std::min(first, j);
      const TSplashLook look = SplashLook(Now.DrawnMs - item.Time);
      const auto s = static_cast<float>(look.HalfSize);
      const TNQVertex quad[4] = {MakeVertex(s, s, look.Color, 0, 0), MakeVertex(-s, s, look.Color, flash->MaxU, 0),
                                 MakeVertex(s, -s, look.Color, 0, flash->MaxV),
                                 MakeVertex(-s, -s, look.Color, flash->MaxU, flash->MaxV)};
      m_graphics.Scene->DrawQuad(MakeVector2(static_cast<float>(lane * kLaneWidth + 2), kSplashCentreY), quad, flash,
                                 kBlendTranslucent, kFilter, true, kZ);
    } else if (y < kHeight) {
      first = std::min(first, j);
      const bool shown = y < kHiddenDropY ? !Input.Sudden : !Input.Hidden;
      if (shown) {
        m_graphics.Scene->DrawSprite(MakeVector2(static_cast<float>(lane * kLaneWidth), y), kDropColor, ball,
                                     kBlendTranslucent, kFilter, true, kZ);
      }
    }
  }
  FirstLiveEvent = first;
}

void TPlayField::DrawTutorialLine(const TSnapshot& Now) {
  const int32_t index = TutorialLineIndex(static_cast<int32_t>(TutorialLines.size()), Now.PositionMs, Now.EndTime);
  static const std::string kNoLine;
  const std::string& line = index < 0 ? kNoLine : TutorialLines[static_cast<size_t>(index)];
  UpdateTextLine(m_graphics.TutorialTextTexture, TutorialLineCache, line, kTutorialTextSize);
  m_graphics.Scene->DrawSprite(MakeVector2(kTutorialX, kTutorialY), kTutorialTextColor,
                               m_graphics.TutorialTextTexture, kBlendTranslucent, kFilter, true, kZ);
}

void TPlayField::DrawIdleScreens(const TFrameInput& Input, const TSnapshot& Now) {
  DrawPicture(0, 0, kWhite, m_graphics.BackTexture, false);
  DrawRainPicture();
  if (Now.PositionMs >= Now.EndTime && Now.GoodCount + Now.BadCount > 0) {
    DrawResultScreen(Input, Now);
  } else {
    DrawPicture(kLabelX, kTitleY, kHalfBlack, m_graphics.TitleTexture);
  }
}

void TPlayField::DrawResultScreen(const TFrameInput& Input, const TSnapshot& Now) {
  const int32_t total = Now.GoodCount + Now.BadCount;
  const int32_t rainLeft = kWidth - static_cast<int32_t>(m_graphics.RainTexture->Width);
  DrawPicture(kLabelX, kTitleY, kHalfBlack, m_graphics.ResultTexture);
  DrawPicture(kLabelX, kGoodY, kHalfBlack, m_graphics.GoodTexture);

  const std::string goodLine = ResultLineText(Now.GoodCount, total);
  if (goodLine != GoodLineCache) {
    UpdateTextLine(m_graphics.GoodTextTexture, GoodLineCache, goodLine, kResultTextSize);
    m_goodTextWidth = m_graphics.TextWriter().TextWidth(goodLine);
  }
  DrawPicture(static_cast<float>(rainLeft - m_goodTextWidth + kRightAlignOverlap), kGoodTextY, kHalfBlack,
              m_graphics.GoodTextTexture);

  DrawPicture(kLabelX, kBadY, kHalfBlack, m_graphics.BadTexture);
  const std::string badLine = ResultLineText(Now.BadCount, total);
  if (badLine != BadLineCache) {
    UpdateTextLine(m_graphics.BadTextTexture, BadLineCache, badLine, kResultTextSize);
    m_badTextWidth = m_graphics.TextWriter().TextWidth(badLine);
  }
  DrawPicture(static_cast<float>(rainLeft - m_badTextWidth + kRightAlignOverlap), kBadTextY, kHalfBlack,
              m_graphics.BadTextTexture);

  TVXTexture* award = nullptr;
  uint32_t awardColor = 0;
  if (Now.BadCount == 0) {
    award = m_graphics.PerfectPlayTexture;
    awardColor = kPerfectPlayColor;
  } else if (static_cast<long double>(Now.GoodCount) / total >= kNicePlayRatio) {
    award = m_graphics.NicePlayTexture;
    awardColor = kNicePlayColor;
  }
  if (award != nullptr) {
    DrawPicture(static_cast<float>(rainLeft - static_cast<int32_t>(award->Width) + kRightAlignOverlap), kAwardY,
                awardColor, award);
  }

  DrawRecordLines(Input, Now, rainLeft + kRightAlignOverlap);

  const int32_t scenario = ScenarioLineIndex(static_cast<int32_t>(ScenarioLines.size()), Input.PlayCount);
  if (scenario >= 0) {
    UpdateTextLine(m_graphics.ScenarioTextTexture, ScenarioLineCache, ScenarioLines[static_cast<size_t>(scenario)],
                   kScenarioTextSize);
    m_graphics.Scene->DrawSprite(MakeVector2(kScenarioX, kScenarioY), kWhite, m_graphics.ScenarioTextTexture,
                                 kBlendTranslucent, kFilter, true, kZ);
  }
}

void TPlayField::DrawRecordLines(const TFrameInput& Input, const TSnapshot& Now, int32_t RightX) {
  m_graphics.CreateRecordTextures();
  DrawRightAligned(m_graphics.ComboTextTexture, ComboLineCache, MaxComboText(Now.MaxCombo), m_comboTextWidth, RightX,
                   kComboTextY, kHalfBlack);
  if (!Input.DifficultyLine.empty()) {
    if (Input.DifficultyLine != DifficultyLineCache) {
      RenderTextLine(m_graphics.DifficultyTextTexture, DifficultyLineCache, Input.DifficultyLine, kRecordTextSize,
                     m_recordTextRenders);
    }
    DrawPicture(kLabelX, kComboTextY, kHalfBlack, m_graphics.DifficultyTextTexture);
  }
  if (!Input.RecordsOn) return;
  // The best so far includes this game; it is a new record only when it
  // beats an earlier game (a first game has nothing to beat).
  const bool newRecord = Input.HasBest && BetterRatio(Now.GoodCount, Now.BadCount, Input.BestGood, Input.BestBad);
  const bool bestIsThisGame = !Input.HasBest || newRecord;
  const std::string best = bestIsThisGame ? BestText(Now.GoodCount, Now.BadCount) : BestText(Input.BestGood, Input.BestBad);
  DrawRightAligned(m_graphics.BestTextTexture, BestLineCache, best, m_bestTextWidth, RightX, kBestTextY, kHalfBlack);
  if (newRecord) {
    DrawRightAligned(m_graphics.NewRecordTextTexture, NewRecordLineCache, NewRecordText(), m_newRecordTextWidth,
                     RightX - m_bestTextWidth - kNewRecordGap, kBestTextY, kPerfectPlayColor);
  }
}

void TPlayField::DrawRightAligned(TVXTexture* Texture, std::string& Cache, const std::string& Text, int32_t& Width,
                                  int32_t RightX, float Y, uint32_t Color) {
  if (Text != Cache) {
    RenderTextLine(Texture, Cache, Text, kRecordTextSize, m_recordTextRenders);
    Width = m_graphics.TextWriter().TextWidth(Text);
  }
  DrawPicture(static_cast<float>(RightX - Width), Y, Color, Texture);
}

void TPlayField::DrawRainPicture() {
  TVXTexture* rain = m_graphics.RainTexture;
  const auto w = static_cast<float>(rain->Width);
  const TNQVertex quad[4] = {MakeVertex(-w, 0, kWhite, 0, 0), MakeVertex(0, 0, kWhite, rain->MaxU, 0),
                             MakeVertex(-w, kHeight, kWhite, 0, rain->MaxV),
                             MakeVertex(0, kHeight, kWhite, rain->MaxU, rain->MaxV)};
  m_graphics.Scene->DrawQuad(MakeVector2(kWidth + kRainOverhang, 0), quad, rain, kBlendTranslucent, kFilter, true,
                             kZ);
}

void TPlayField::UpdateTextLine(TVXTexture* Texture, std::string& Cache, const std::string& Text, int Size) {
  RenderTextLine(Texture, Cache, Text, Size, m_textRenders);
}

void TPlayField::RenderTextLine(TVXTexture* Texture, std::string& Cache, const std::string& Text, int Size,
                                int32_t& Renders) {
  TNQTextWriter& writer = m_graphics.TextWriter();
  writer.GetFont().SetSize(Size);
  if (Text == Cache) return;
  Texture->Fill(RECT{0, 0, static_cast<LONG>(Texture->AllocWidth), static_cast<LONG>(Texture->AllocHeight)},
                TGameGraphics::kTransparentWhite, false);
  Cache = Text;
  writer.DrawText(0, 0, Text, Texture);
  ++Renders;
}

void TPlayField::DrawPicture(float X, float Y, uint32_t Color, TVXTexture* Texture, bool Overlay) {
  m_graphics.Scene->DrawSprite(MakeVector2(X, Y), Color, Texture, kBlendTranslucent, kFilter, Overlay, kZ);
}

void TPlayField::DrawBox(float X, float Y, float Width, float Height, uint32_t Color) {
  const TNQVertex quad[4] = {MakeVertex(0, 0, Color, 0, 0), MakeVertex(Width, 0, Color, 0, 0),
                             MakeVertex(0, Height, Color, 0, 0), MakeVertex(Width, Height, Color, 0, 0)};
  m_graphics.Scene->DrawQuad(MakeVector2(X, Y), quad, nullptr, kBlendTranslucent, kFilter, true, kZ);
}
