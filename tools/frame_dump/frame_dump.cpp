// frame_dump: draws the title screen, the count-in, a moment of the tutorial game with
// caught splashes, and the result screen through the real pictures, writes
// each to a PNG file, then times the play-field frame. Run from the folder
// that holds bmp\ and dat\ (build/bin).
//   frame_dump [output prefix]   (default "frame_")
#include <chrono>
#include <cstdio>
#include <string>

#include "game/frame/frame_text.h"
#include "game/frame/game_graphics.h"
#include "game/frame/play_field.h"
#include "midi/midi_song.h"
#include "platform/d3d9/present_target.h"
#include "platform/kernel/paths.h"
#include "platform/ui/owner_window.h"

namespace {

constexpr int kTimedFrames = 300;
constexpr const char* kUsage =
    "usage: frame_dump [OUTPUT_PREFIX]\n"
    "  draws the title, the count-in, a moment of the tutorial game and the result screen\n"
    "  into OUTPUT_PREFIX*.png (default frame_), then times the play-field frame. Run it\n"
    "  from the folder holding bmp/ and dat/. --help shows this text.\n";
constexpr int kTutorialScenarioGames = 3;

class TDiscardTarget : public IPresentTarget {
 public:
  void PresentFrame(const uint32_t*, int, int, int) override {}
};

// Draws one frame into "<prefix><name>0.png".
void Dump(TPlayField& field, const TMidiSong& song, const TFrameInput& input, HWND window, const std::string& prefix,
          const char* name) {
  TImageDumpTarget target(prefix + name, TImageDumpTarget::TKind::Png);
  RegisterPresentTarget(window, &target);
  const bool drew = field.Frame(song, input);
  UnregisterPresentTarget(window, &target);
  std::printf("%s%s0.png: %s\n", prefix.c_str(), name, drew && target.FramesWritten() == 1 ? "written" : "FAILED");
}

double TimeFrames(TPlayField& field, const TMidiSong& song, const TFrameInput& input, HWND window) {
  TDiscardTarget target;
  RegisterPresentTarget(window, &target);
  const int first = field.FirstLiveEvent;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kTimedFrames; ++i) {
    field.FirstLiveEvent = first;
    field.Frame(song, input);
  }
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  UnregisterPresentTarget(window, &target);
  return spent.count() / kTimedFrames;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const std::string prefix = argc > 1 ? argv[1] : "frame_";
  THeadlessWindow window(TGameGraphics::kClientWidth, TGameGraphics::kClientHeight);
  TGameGraphics graphics(&window);
  TPlayField field(graphics);
  field.TutorialLines = ReadScriptFile("dat\\tutorial.dat");
  field.ScenarioLines = ReadScriptFile("dat\\scenario.dat");
  field.TutorialSong = true;

  TMidiSong song;
  try {
    song.LoadFromFile(TranslatePath("dat\\tutorialmid.dat"));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "frame_dump: %s\n", e.what());
    return 1;
  }
  for (TMidiEventItemStanderd* item : song.Events) {
    if (auto* note = dynamic_cast<TMidiEventItemNoteOn*>(item)) note->Lane = note->GetByte(1);
  }

  TFrameInput input;
  input.MouseX = 300;
  Dump(field, song, input, window.Handle(), prefix, "title");

  // The count-in: the ready picture over the empty field, tutorial line 0.
  input.Playing = true;
  Dump(field, song, input, window.Handle(), prefix, "ready");

  // A third into the tutorial game: the notes of the last second caught
  // but every third, older ones long gone.
  const int32_t moment = song.EndTime / 3;
  int32_t ticks = 0;
  for (TMidiEventItemStanderd* item : song.Events) {
    if (item->Time > moment) break;
    ticks = item->Tick;
  }
  song.PositionMs = moment;
  song.PositionTicks = ticks;
  int judged = 0;
  for (TMidiEventItemStanderd* item : song.Events) {
    auto* note = dynamic_cast<TMidiEventItemNoteOn*>(item);
    if (note == nullptr || item->Time > moment) continue;
    note->Caught = (judged++ % 3) != 0;
  }
  input.Playing = true;
  Dump(field, song, input, window.Handle(), prefix, "play");
  const double playMs = TimeFrames(field, song, input, window.Handle());

  input.Playing = false;
  input.PlayCount = kTutorialScenarioGames;
  song.PositionMs = song.EndTime;
  // A nice play (one miss in twenty), to show the award.
  song.BadCount = judged / 20;
  song.GoodCount = judged - judged / 20;
  Dump(field, song, input, window.Handle(), prefix, "result");
  const double resultMs = TimeFrames(field, song, input, window.Handle());

  std::printf("play-field frame: %.3f ms, result frame: %.3f ms (mean of %d, wall clock)\n", playMs, resultMs,
              kTimedFrames);
  return 0;
}
