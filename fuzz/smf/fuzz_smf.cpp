// libFuzzer target for the Standard MIDI File reader: any bytes must load
// into a consistent song or be refused with an EMidiError, and the loaded
// items must survive being described, performed and looked up.
// Run: fuzz-build/bin/fuzz_smf -dict=fuzz/smf/smf.dict CORPUS_DIR tests/data/midi
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "midi/midi_errors.h"
#include "midi/midi_song.h"

namespace {

void Check(bool Condition) {
  if (!Condition) std::abort();
}

void Exercise(TMidiSong& Song) {
  std::string text;
  for (int i = 0; i < Song.Events.Count(); ++i) {
    TMidiEventItemStanderd* item = Song.Events[i];
    Check(item->Index == i);
    if (i > 0) {
      Check(Song.Events[i - 1]->Tick <= item->Tick);
      Check(Song.Events[i - 1]->Time <= item->Time);
    }
    item->Describe(text);
    item->DescribeBytes(text);
    item->ApplyState();
    item->Execute();
  }
  Check(Song.EndTime == Song.Events.Last()->Time);
  Song.PositionTicks = Song.SongLength / 2;
  Song.UpdateCurrentItems();
  Check(Song.Tempo.load() > 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMidiSong song;
  try {
    song.LoadFromMemory(Data, Size, "fuzz.mid");
  } catch (const EMidiError&) {
    return 0;
  }
  Exercise(song);
  return 0;
}
