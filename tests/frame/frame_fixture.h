// Test helpers for the frame loop: the game's graphics objects on a headless
// 640 x 480 window with the software device, a presentation target that keeps
// the last frame, plain pictures of chosen size and colour in place of the
// game's, and songs built item by item. Main thread.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "game/frame/game_graphics.h"
#include "game/frame/play_field.h"
#include "midi/midi_song.h"
#include "platform/d3d9/present_target.h"
#include "platform/d3d9/software_config.h"
#include "platform/ui/owner_window.h"

// Keeps a copy of the last presented frame.
class TFrameCapture : public IPresentTarget {
 public:
  void PresentFrame(const uint32_t* pixels, int width, int height, int pitchBytes) override {
    Width = width;
    Height = height;
    ++Frames;
    Pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      std::memcpy(Pixels.data() + static_cast<size_t>(y) * width,
                  reinterpret_cast<const uint8_t*>(pixels) + static_cast<size_t>(y) * pitchBytes,
                  static_cast<size_t>(width) * 4);
    }
  }
  // The colour without the alpha byte the back buffer keeps.
  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x] & 0x00FFFFFFu; }

  int Width = 0;
  int Height = 0;
  int Frames = 0;
  std::vector<uint32_t> Pixels;
};

constexpr uint32_t kWhiteRgb = 0xFFFFFFu;
constexpr uint32_t kCyanRgb = 0x00FFFFu;

// True when every channel of rgb lies within tolerance of expected's.
inline bool Near(uint32_t rgb, uint32_t expected, int tolerance = 2) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = static_cast<int>((rgb >> shift) & 0xFFu);
    const int b = static_cast<int>((expected >> shift) & 0xFFu);
    if (a - b > tolerance || b - a > tolerance) return false;
  }
  return true;
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSoftwareD3DConfig();
    graphics = std::make_unique<TGameGraphics>(&window);
    field = std::make_unique<TPlayField>(*graphics);
    RegisterPresentTarget(window.Handle(), &capture);
  }
  void TearDown() override {
    UnregisterPresentTarget(window.Handle(), &capture);
    field.reset();
    graphics.reset();
    ResetSoftwareD3DConfig();
  }

  // Gives texture an image of w x h pixels, every one argb.
  static void Plain(TVXTexture* texture, UINT w, UINT h, uint32_t argb) {
    texture->FillColor = argb;
    texture->SetSize(w, h);
  }
  // Pictures whose pixels the tests can predict: a white 5 x 10 drop, an
  // opaque black 8 x 8 splash, a transparent background, rain picture and
  // ready picture out of the way unless a test sets them.
  void PlainPictures() {
    Plain(graphics->BallTexture, kBallWidth, kBallHeight, 0xFFFFFFFFu);
    Plain(graphics->FlashTexture, 8, 8, 0xFF000000u);
    Plain(graphics->BackTexture, 640, 480, 0x00FFFFFFu);
    Plain(graphics->RainTexture, kRainWidth, 480, 0x00FFFFFFu);
    Plain(graphics->ReadyTexture, 100, 40, 0x00FFFFFFu);
    Plain(graphics->TitleTexture, 100, 40, 0x00FFFFFFu);
  }

  // Appends a note-on of channel (0-15) at tick / time ms on lane.
  TMidiEventItemNoteOn* AddNote(int32_t tick, int32_t timeMs, int channel, int note, int lane) {
    auto* item = new TMidiEventItemNoteOn();
    item->Items = &song.Events;
    item->Tick = tick;
    item->Time = timeMs;
    item->Kind = MidiKind::NoteOn;
    item->Status = static_cast<uint8_t>(0x90 | channel);
    item->Channel = static_cast<uint8_t>(channel);
    item->Data1 = static_cast<uint8_t>(note);
    item->Data2 = 100;
    item->DataCount = 2;
    item->Lane = lane;
    item->Index = song.Events.Add(item);
    return item;
  }
  // Appends an item that is no note (a beat-like meta item).
  void AddOther(int32_t tick, int32_t timeMs) {
    auto* item = new TMidiEventItemStanderd();
    item->Items = &song.Events;
    item->Tick = tick;
    item->Time = timeMs;
    item->Index = song.Events.Add(item);
  }
  void At(int32_t ms, int32_t ticks) {
    song.PositionMs = ms;
    song.PositionTicks = ticks;
  }
  // Draws one frame; true when it drew.
  bool Draw() { return field->Frame(song, input); }

  static constexpr UINT kBallWidth = 5;
  static constexpr UINT kBallHeight = 10;
  static constexpr UINT kRainWidth = 100;

  THeadlessWindow window{TGameGraphics::kClientWidth, TGameGraphics::kClientHeight};
  std::unique_ptr<TGameGraphics> graphics;
  std::unique_ptr<TPlayField> field;
  TFrameCapture capture;
  TMidiSong song;
  TFrameInput input;
};
