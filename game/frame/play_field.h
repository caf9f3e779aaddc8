// TPlayField: the frame loop's drawing. Holds the window-wide state of the
// frame loop (first live event, rain speed, raining channels, tutorial flag,
// frame count, the four text-line caches) and draws one frame of the title,
// count-in, play field or result screen from the song's playback state.
// Main thread only (the timer thread writes the song's atomics meanwhile).
// Refers to the graphics objects and the song without owning them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/core/lanes.h"
#include "game/core/option_values.h"
#include "game/frame/game_graphics.h"
#include "game/frame/pause_overlay.h"
#include "game/sequencer/pause_state.h"
#include "midi/midi_song.h"

// What a frame takes from the sequencer and the window besides the song.
struct TFrameInput {
  bool Playing = false;
  int32_t PlayCount = 0;     // completed games
  int32_t MouseX = 0;        // cursor x in client pixels
  int32_t BarHalfWidth = 15; // pixels
  bool Hidden = false;       // HIDDEN checked
  bool Sudden = false;       // SUDDEN checked
  // The records beside the result screen: kept at all (the best line and
  // the new-record mark need them), and the song's best game before this
  // one, when it was played before.
  bool RecordsOn = false;
  bool HasBest = false;
  int32_t BestGood = 0;
  int32_t BestBad = 0;
  // The song's difficulty for the game's options, as the result screen
  // shows it ("難易度 3.4" in CP932); empty: no line.
  std::string DifficultyLine;
  // A paused game: dimmed with the pause picture, or the ready picture while
  // it counts in again.
  TPauseState Pause = TPauseState::None;
  // The timing offset in song milliseconds (the offset times the music
  // speed): drops are drawn that far behind the song's position.
  int32_t OffsetSongMs = 0;
};

class TPlayField {
 public:
  static constexpr int32_t kBaseRainSpeed = ::kBaseRainSpeed;  // pixels per quarter note at rain speed 1.0
  static constexpr int32_t kBarTopY = 400;
  static constexpr int32_t kLaneWidth = 5;
  static constexpr int32_t kLaneCount = ::kLaneCount;
  static constexpr int32_t kChannelCount = TMidiSong::kChannelCount;

  explicit TPlayField(TGameGraphics& Graphics);

  // One frame on an active window: when the device passes its
  // cooperative-level test, draws and presents. True when it drew (the
  // window counts its frames itself).
  bool Frame(const TMidiSong& Song, const TFrameInput& Input);

  // The top of a drop at tick Tick when the song is at PositionTicks: at its
  // own tick its bottom touches the bar. Division must be above 0.
  static float DropY(int32_t PositionTicks, int32_t Tick, int32_t RainSpeed, int32_t Division, int32_t BallHeight);

  // Window-wide state of the frame loop.
  int32_t FirstLiveEvent = 0;
  int32_t RainSpeed = kBaseRainSpeed;
  std::array<bool, kChannelCount> RainChannels{};
  bool TutorialSong = false;
  std::string TutorialLineCache, ScenarioLineCache, GoodLineCache, BadLineCache;
  std::string ComboLineCache, BestLineCache, NewRecordLineCache, DifficultyLineCache;
  // The tutorial and scenario scripts, one CP932 line each.
  std::vector<std::string> TutorialLines;
  std::vector<std::string> ScenarioLines;

  // The picture over a paused game.
  TVXTexture* PauseTexture() const { return m_pauseOverlay.Texture(); }

  // How often each text texture was rendered (a cached line is not redrawn).
  int32_t TextRenders() const { return m_textRenders; }
  // The same for the record lines of the result screen.
  int32_t RecordTextRenders() const { return m_recordTextRenders; }

 private:
  // The song's state read once per frame, so that all walks agree.
  struct TSnapshot {
    int32_t PositionMs;
    int32_t PositionTicks;
    int32_t EndTime;
    int32_t GoodCount;
    int32_t BadCount;
    int32_t MaxCombo;
    // Where the drops, chord lines and splashes are drawn (the position
    // moved by the offset).
    int32_t DrawnMs;
    int32_t DrawnTicks;
  };

  void DrawPlayField(const TMidiSong& Song, const TFrameInput& Input, const TSnapshot& Now);
  void DrawIdleScreens(const TFrameInput& Input, const TSnapshot& Now);
  void DrawRainPicture();
  void DrawChordLines(const TMidiSong& Song, const TFrameInput& Input, const TSnapshot& Now);
  void DrawDropsAndSplashes(const TMidiSong& Song, const TFrameInput& Input, const TSnapshot& Now);
  void DrawTutorialLine(const TSnapshot& Now);
  void DrawResultScreen(const TFrameInput& Input, const TSnapshot& Now);
  // Max combo and best Good percentage under the award, right-aligned with
  // the result lines; the new-record mark left of the best; the difficulty
  // on the combo's row, under the labels.
  void DrawRecordLines(const TFrameInput& Input, const TSnapshot& Now, int32_t RightX);
  // Draws Texture with its line (rendered when changed) ending at RightX.
  void DrawRightAligned(TVXTexture* Texture, std::string& Cache, const std::string& Text, int32_t& Width,
                        int32_t RightX, float Y, uint32_t Color);
  // Renders Text into Texture at size Size when it differs from Cache.
  void UpdateTextLine(TVXTexture* Texture, std::string& Cache, const std::string& Text, int Size);
  void RenderTextLine(TVXTexture* Texture, std::string& Cache, const std::string& Text, int Size, int32_t& Renders);
  // A quad covering Texture's image at P.
  void DrawPicture(float X, float Y, uint32_t Color, TVXTexture* Texture, bool Overlay = true);
  void DrawBox(float X, float Y, float Width, float Height, uint32_t Color);
  bool Raining(const TMidiEventItemStanderd& Item) const;
  // Caught and shown as a splash (not as a falling drop) in this frame.
  static bool Landed(const TMidiEventItemNoteOn& Note, const TFrameInput& Input, const TSnapshot& Now);

  TGameGraphics& m_graphics;
  TPauseOverlay m_pauseOverlay;
  int32_t m_textRenders = 0;
  int32_t m_recordTextRenders = 0;
  int32_t m_goodTextWidth = 0;
  int32_t m_badTextWidth = 0;
  int32_t m_comboTextWidth = 0;
  int32_t m_bestTextWidth = 0;
  int32_t m_newRecordTextWidth = 0;
};
