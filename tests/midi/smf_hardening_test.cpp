// The song reader given what is not a plain Standard MIDI File: pipes,
// devices and folders, RIFF MIDI files, and time signatures of absurd
// denominators.
#include <gtest/gtest.h>

#include <string>

#include "../support/nonregular_files.h"
#include "midi/midi_errors.h"
#include "smf_builder.h"

namespace {

TBytes TwoNoteSong() {
  TTrackBuilder track;
  track.Tempo(0, 400000).NoteOn(0, 0, 60, 100).NoteOff(480, 0, 60).NoteOn(0, 1, 64, 90).NoteOff(240, 1, 64).EndOfTrack();
  return TSmfBuilder().Track(track).Bytes();
}

void AppendLittleEndian32(TBytes& Out, uint32_t Value) {
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

void AppendRiffChunk(TBytes& Out, const std::string& Id, const TBytes& Body, uint32_t DeclaredLength) {
  Out.insert(Out.end(), Id.begin(), Id.end());
  AppendLittleEndian32(Out, DeclaredLength);
  Out.insert(Out.end(), Body.begin(), Body.end());
  if (Body.size() % 2 != 0) Out.push_back(0);  // chunks are padded to an even length
}

// "RIFF" <size> "RMID", an odd-sized chunk before "data" (its padding must
// be skipped), then the "data" chunk.
TBytes RiffMidi(const TBytes& Smf, bool WithData = true, uint32_t DataLength = 0) {
  TBytes body{'R', 'M', 'I', 'D'};
  AppendRiffChunk(body, "DISP", TBytes{1, 0, 0, 0, 'x'}, 5);
  if (WithData) AppendRiffChunk(body, "data", Smf, DataLength != 0 ? DataLength : static_cast<uint32_t>(Smf.size()));
  TBytes file{'R', 'I', 'F', 'F'};
  AppendLittleEndian32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

std::string Refusal(TMidiSong& Song, const std::string& Path) {
  try {
    Song.LoadFromFile(Path);
  } catch (const EMidiFileError& error) {
    return error.what();
  }
  return "";
}

std::string Described(const TMidiSong& Song) {
  std::string all;
  for (int i = 0; i < Song.Events.Count(); ++i) {
    std::string text;
    Song.Events[i]->Describe(text);
    all += std::to_string(Song.Events[i]->Time) + " " + text + "\n";
  }
  return all;
}

}  // namespace

TEST(SmfSpecialFiles, PipesDevicesAndFoldersAreRefusedAtOnceSayingWhatTheyAre) {
  TSpecialFiles files("smf_special");
  TMidiSong song;
  EXPECT_NE(Refusal(song, files.Fifo()).find("named pipe"), std::string::npos);
  EXPECT_NE(Refusal(song, TSpecialFiles::Device()).find("device"), std::string::npos);
  const std::string folder = Refusal(song, files.Folder());
  EXPECT_NE(folder.find("folder"), std::string::npos) << folder;
  EXPECT_EQ(folder.find("too large"), std::string::npos) << folder;
  EXPECT_NE(Refusal(song, files.Folder() + "/missing.mid").find("cannot open"), std::string::npos);
  // The same reader still loads a real file.
  const TBytes smf = TwoNoteSong();
  EXPECT_TRUE(song.LoadFromFile(files.File("song.mid", std::string(smf.begin(), smf.end()))));
}

TEST(SmfRiffMidi, LoadsLikeTheStandardMidiFileInside) {
  TMidiSong plain;
  LoadBytes(plain, TwoNoteSong());
  TMidiSong wrapped;
  LoadBytes(wrapped, RiffMidi(TwoNoteSong()), "song.rmi");
  EXPECT_EQ(Described(wrapped), Described(plain));
  EXPECT_EQ(wrapped.EndTime, plain.EndTime);
  EXPECT_EQ(wrapped.Division, plain.Division);

  // A data chunk announced longer than the file reads as a cut file would.
  TMidiSong cut;
  LoadBytes(cut, RiffMidi(TwoNoteSong(), true, 100000), "cut.rmi");
  EXPECT_EQ(Described(cut), Described(plain));
}

TEST(SmfRiffMidi, AFileWithoutDataIsRefusedByName) {
  TMidiSong song;
  try {
    LoadBytes(song, RiffMidi({}, false), "empty.rmi");
    FAIL() << "a RIFF MIDI file without data loaded";
  } catch (const EMidiFileError& error) {
    EXPECT_NE(std::string(error.what()).find("empty.rmi"), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("\"data\""), std::string::npos);
  }
  // Another RIFF form (a wave file) is not taken for a song.
  TBytes wave = RiffMidi(TwoNoteSong());
  std::copy_n("WAVE", 4, wave.begin() + 8);
  EXPECT_THROW(LoadBytes(song, wave), EMidiFileError);
}

TEST(SmfTimeSignature, AHugeDenominatorPowerIsClampedAndTheTrackGoesOn) {
  for (int power : {31, 32, 200, 255}) {
    TTrackBuilder track;
    track.TimeSignature(0, 3, power).NoteOn(480, 0, 60, 100).NoteOff(480, 0, 60).EndOfTrack();
    TMidiSong song;
    LoadBytes(song, TSmfBuilder().Track(track).Bytes());
    EXPECT_TRUE(song.TrackErrors.empty()) << song.TrackErrors[0];
    const auto signatures = ItemsOf<TMidiEventItemRhythm>(song);
    ASSERT_EQ(signatures.size(), 1u) << power;
    EXPECT_EQ(signatures[0]->Bunshi, 3);
    EXPECT_EQ(signatures[0]->Bunbo, 1 << 30);
    EXPECT_EQ(ItemsOf<TMidiEventItemVibrant>(song).size(), 2u) << "beats stay quarter notes";
    // The notes after the signature are still part of the song.
    EXPECT_EQ(song.Events.Last()->Tick, 960) << power;
  }
}
