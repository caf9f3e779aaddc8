// The Standard MIDI File reader of TMidiSong: header, track chunks, events,
// recognition of sound-module messages, beat generation and the tick-to-
// millisecond conversion through the tempo changes of all tracks.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "midi/midi_errors.h"
#include "midi/midi_file_stream.h"
#include "midi/midi_song.h"
#include "midi/riff_midi.h"
#include "platform/kernel/regular_file.h"

namespace {
constexpr int kHeaderBodyBytes = 6;  // format, track count, division
constexpr int kChunkIdBytes = 4;
constexpr int kRunningStatusLimit = 0x80;  // bytes below it are data, not a status
constexpr int kFirstChannelStatus = 0x80;
constexpr int kLastChannelStatus = 0xEF;
constexpr int32_t kSmpteDivisionFlag = 0x8000;
constexpr int32_t kProgramChangeWaitMs = 10;
constexpr int kBeatsPerBarWithoutSignature = 4;
constexpr long double kMicrosecondsPerMillisecond = 1000.0L;
constexpr long double kMaxTimeMs = std::numeric_limits<int32_t>::max();
// From 2^63 on every long double is a whole number (64-bit mantissa).
constexpr long double kExactIntegerLimit = 9223372036854775808.0L;

// Nearest integer, halves to the even neighbour. Done by hand: the library's
// nearbyintl saves and restores the floating-point environment on every call,
// which made it the most expensive step of loading a large song.
long double Nearest(long double Value) {
  if (!(std::fabs(Value) < kExactIntegerLimit)) return Value;  // already whole (or NaN)
  const long double whole = static_cast<long double>(static_cast<int64_t>(Value));  // toward 0
  const long double rest = Value - whole;  // exact: both share the binade
  const long double away = Value < 0 ? whole - 1 : whole + 1;
  const long double half = 0.5L;
  if (std::fabs(rest) < half) return whole;
  if (std::fabs(rest) > half) return away;
  return std::fmod(whole, 2.0L) == 0 ? whole : away;
}

}  // namespace

void TMidiSong::ClearSong() {
  Tempos.Clear();
  Beats.Clear();
  Rhythms.Clear();
  Lyrics.Clear();
  Markers.Clear();
  CurrentTrack = nullptr;
  CurrentBeat = nullptr;
  CurrentRhythm = nullptr;
  CurrentLyric.clear();
  Events.Clear();
  Tracks.Clear();
  PortConfigs.Clear();
  PortConfigs.EnsurePort(0);
  TrackErrors.clear();
  Format = 0;
  TrackCount = 0;
  Division = 0;
  SongLength = 0;
  EndTime = 0;
  PositionMs.store(0, std::memory_order_relaxed);
  PositionTicks.store(0, std::memory_order_relaxed);
  NextIndex.store(0, std::memory_order_relaxed);
  Tempo.store(kDefaultTempo, std::memory_order_relaxed);
  WaitRemaining = 0;
}

bool TMidiSong::LoadFromFile(const std::string& FileName) {
  const TFileContents file = ReadRegularFile(FileName, kMaxFileBytes);
  if (file.refusal == TFileRefusal::Missing || file.refusal == TFileRefusal::Failed) {
    throw EMidiFileError(FileName + ": cannot open the file (" + file.reason + ")");
  }
  if (!file.Ok()) throw EMidiFileError(FileName + ": " + file.reason);
  return LoadFromMemory(file.bytes.data(), file.bytes.size(), FileName);
}

bool TMidiSong::LoadFromMemory(const uint8_t* Data, size_t Size, const std::string& SourceName) {
  m_sourceName = SourceName;
  ClearSong();
  try {
    if (static_cast<uint64_t>(Size) > static_cast<uint64_t>(kMaxFileBytes)) {
      throw EMidiFileError(SourceName + ": the data is too large (" + std::to_string(Size) +
                           " bytes)");
    }
    // A RIFF MIDI file (.rmi) loads as the Standard MIDI File it wraps.
    TRiffMidiData smf{Data, Size};
    if (IsRiffMidi(Data, Size)) smf = FindRiffMidiData(Data, Size, SourceName);
    TMidiFileStream stream(smf.data, smf.size, SourceName);
    if (!ReadHeader(stream)) {
      throw EMidiFileError(SourceName + ": not a Standard MIDI File (no \"MThd\" header)");
    }
    // Beats step by Division ticks and times divide by it.
    if (Division == 0) throw EMidiFileError(SourceName + ": the header's division is 0");
    if ((Division & kSmpteDivisionFlag) != 0) {
      throw EMidiFileError(SourceName + ": SMPTE time division is not supported");
    }
    for (int i = 0; i < TrackCount; ++i) {
      // Positions beyond the end of the data yield no track.
      if (stream.AtDataEnd()) break;
      ReadTrack(stream, i);
    }
    CurrentTrack = nullptr;

    Events.SortByTime();
    if (Events.Count() == 0) throw EMidiFileError(SourceName + ": the file holds no events");
    SongLength = Events.Last()->Tick;
    GenerateBeats();
    Events.SortByTime();
    ComputeTimes();
    Renumber();
    EndTime = Events.Last()->Time;
  } catch (const EMidiFileError&) {
    CurrentTrack = nullptr;
    throw;
  } catch (const EMidiError& error) {
    CurrentTrack = nullptr;
    throw EMidiFileError(SourceName + ": " + error.what());
  }

  PositionMs.store(0, std::memory_order_relaxed);
  PositionTicks.store(0, std::memory_order_relaxed);
  NextIndex.store(0, std::memory_order_relaxed);
  WaitRemaining = 0;
  UpdateCurrentItems();
  return true;
}

bool TMidiSong::ReadHeader(TMidiFileStream& Stream) {
  if (Stream.BytesLeft() < static_cast<size_t>(kChunkIdBytes)) return false;
  if (Stream.ReadText(kChunkIdBytes) != "MThd") return false;
  const uint32_t length = Stream.ReadInt(4);
  Format = static_cast<int32_t>(Stream.ReadInt(2));
  TrackCount = static_cast<int32_t>(Stream.ReadInt(2));
  Division = static_cast<int32_t>(Stream.ReadInt(2));
  // A longer header keeps more fields that we do not know: the first track
  // chunk starts after them.
  if (length > static_cast<uint32_t>(kHeaderBodyBytes)) Stream.Skip(length - kHeaderBodyBytes);
  return true;
}

bool TMidiSong::ReadTrack(TMidiFileStream& Stream, int TrackNumber) {
  try {
    // Not "MTrk": no record, and the chunk is not skipped.
    if (Stream.ReadText(kChunkIdBytes) != "MTrk") return false;
  } catch (const EMidiError&) {
    return false;
  }
  auto record = std::make_unique<TMidiEventItemTrack>();
  record->Items = &Tracks;
  CurrentTrack = record.get();
  Tracks.Add(record.release());

  try {
    const uint32_t length = Stream.ReadInt(4);
    if (length == 0) return true;
    constexpr uint32_t kMaxRemaining = std::numeric_limits<int32_t>::max();
    Stream.SetRemaining(static_cast<int32_t>(length < kMaxRemaining ? length : kMaxRemaining));

    int64_t tick = 0;
    int eventNumber = 0;
    int previousStatus = 0;
    bool finished = false;
    while (!finished && !Stream.AtTrackEnd()) {
      tick += Stream.ReadVarLen();
      if (tick > std::numeric_limits<int32_t>::max()) Stream.Fail("tick beyond 2147483647");
      int status = static_cast<int>(Stream.ReadInt(1));
      if (status < kRunningStatusLimit) {
        Stream.StepBack();
        status = previousStatus;
      }
      finished = ParseEvent(Events, Stream, TrackNumber, eventNumber, status,
                            static_cast<int32_t>(tick));
      ++eventNumber;
      previousStatus = status;
    }
  } catch (const EMidiError& error) {
    // The track ends here; what it read so far stays in the song.
    TrackErrors.push_back("track " + std::to_string(TrackNumber) + ": " + error.what());
  }
  return true;
}

bool TMidiSong::ParseEvent(TMidiEventItems& Items, TMidiFileStream& Stream, int Track,
                           int EventNumber, int Status, int Tick) {
  if (Status >= kFirstChannelStatus && Status <= kLastChannelStatus) {
    TMidiEventItemShort temp;
    const bool result = temp.ReadFromStream(Stream, Status, Track);
    temp.Items = &Items;
    temp.Index = EventNumber;
    temp.Tick = Tick;
    temp.Track = Track;

    std::unique_ptr<TMidiEventItemShort> item;
    switch (temp.Kind) {
      case MidiKind::NoteOn: item = std::make_unique<TMidiEventItemNoteOn>(); break;
      case MidiKind::NoteOff: item = std::make_unique<TMidiEventItemNoteOff>(); break;
      case MidiKind::ControlChange: item = std::make_unique<TMidiEventItemCtrlChange>(); break;
      case MidiKind::ProgramChange:
        temp.Wait = kProgramChangeWaitMs;
        item = std::make_unique<TMidiEventItemProgramChange>();
        break;
      case MidiKind::PitchBend: item = std::make_unique<TMidiEventItemPitchBend>(); break;
      default: item = std::make_unique<TMidiEventItemShort>(); break;
    }
    item->AssignShort(temp);
    item->Decode();
    // A track number without its record (a chunk position was not "MTrk")
    // fails here and ends this track.
    Tracks.Track(Track)->ChannelEvents.Add(item.get());
    Items.Add(item.release());
    return result;
  }

  TMidiEventItemLong temp;
  const bool result = temp.ReadFromStream(Stream, Status, Track);
  MatchWaitItems(temp);
  temp.Items = &Items;
  temp.Index = EventNumber;
  temp.Tick = Tick;
  temp.Track = Track;

  std::unique_ptr<TMidiEventItemLong> item;
  switch (temp.Kind) {
    case MidiKind::GMReset: item = std::make_unique<TMidiEventItemGMReset>(); break;
    case MidiKind::GSReset: item = std::make_unique<TMidiEventItemGSReset>(); break;
    case MidiKind::Tempo: item = std::make_unique<TMidiEventItemTempo>(); break;
    case MidiKind::TrackName: item = std::make_unique<TMidiEventItemTrackName>(); break;
    case MidiKind::Lyric: item = std::make_unique<TMidiEventItemLyric>(); break;
    case MidiKind::Marker: item = std::make_unique<TMidiEventItemMarker>(); break;
    case MidiKind::TimeSignature: item = std::make_unique<TMidiEventItemRhythm>(); break;
    case MidiKind::Port: item = std::make_unique<TMidiEventItemPort>(); break;
    case MidiKind::LcdDot: item = std::make_unique<TMidiEventItemLcdDot>(); break;
    case MidiKind::LcdStr: item = std::make_unique<TMidiEventItemLcdStr>(); break;
    default: item = std::make_unique<TMidiEventItemLong>(); break;
  }
  item->AssignLong(std::move(temp));
  item->Decode();
  Items.Add(item.release());
  return result;
}

void TMidiSong::MatchWaitItems(TMidiEventItemLong& Item) {
  const std::vector<int32_t>& bytes = Item.Bytes.Data();
  for (int i = 0; i < WaitItems.Count(); ++i) {
    const TMidiWaitItem& pattern = WaitItems[i];
    const std::vector<int32_t>& head = pattern.Pattern.Data();
    if (bytes.size() < head.size()) continue;
    if (!std::equal(head.begin(), head.end(), bytes.begin())) continue;
    Item.Wait = pattern.Wait;
    Item.Kind = pattern.Kind;
  }
}

void TMidiSong::GenerateBeats() {
  if (SongLength <= 0) return;
  const int64_t beatCount = (static_cast<int64_t>(SongLength) + Division - 1) / Division;
  if (beatCount > MaxBeatItems) {
    throw EMidiFileError(m_sourceName + ": the song is too long (" + std::to_string(beatCount) +
                         " quarter notes)");
  }
  Events.Reserve(static_cast<size_t>(Events.Count() + beatCount));
  Beats.Reserve(static_cast<size_t>(beatCount));

  // Without any time signature the song counts in 4/4 from tick 0.
  TItemAtCursor signatureAt(Rhythms);
  int32_t beat = 0;
  int32_t bar = 0;
  for (int64_t t = 0; t < SongLength; t += Division) {
    const auto* signature = static_cast<const TMidiEventItemRhythm*>(
        signatureAt.At(static_cast<int32_t>(t)));
    const int32_t beatsPerBar =
        signature != nullptr ? signature->Bunshi : kBeatsPerBarWithoutSignature;
    auto item = std::make_unique<TMidiEventItemVibrant>();
    item->Items = &Events;
    item->Tick = static_cast<int32_t>(t);
    item->Rhythm = beat;
    item->Vibrant = bar;
    Beats.Add(item.get());
    Events.Add(item.release());
    ++beat;
    if (beat >= beatsPerBar) {
      beat = 0;
      ++bar;
    }
  }
}

void TMidiSong::ComputeTimes() {
  if (Division <= 0) throw EMidiFileError(m_sourceName + ": the header's division is 0");
  // Milliseconds per tick, held in single precision; the products are formed
  // in extended precision and the rounding restarts at every tempo change.
  const int32_t divisionTimesThousand = Division * 1000;
  float factor = static_cast<float>((1.0L / Division) * kDefaultTempo / kMicrosecondsPerMillisecond);
  long double sum = 0;
  int64_t lastTick = 0;
  for (TMidiEventItemStanderd* item : Events) {
    if (item->Kind == MidiKind::Tempo) {
      const auto* tempo = dynamic_cast<const TMidiEventItemTempo*>(item);
      // A tempo of 0 could time nothing: it changes nothing.
      if (tempo != nullptr && tempo->Tempo != 0) {
        sum += Nearest(static_cast<long double>(factor) * (item->Tick - lastTick));
        lastTick = item->Tick;
        factor = static_cast<float>(static_cast<long double>(tempo->Tempo) / divisionTimesThousand);
      }
    }
    const long double time = sum + Nearest(static_cast<long double>(factor) * (item->Tick - lastTick));
    if (time > kMaxTimeMs) {
      throw EMidiFileError(m_sourceName + ": the song lasts longer than 2147483647 ms");
    }
    item->Time = static_cast<int32_t>(time);
  }
}

void TMidiSong::Renumber() {
  int32_t position = 0;
  for (TMidiEventItemStanderd* item : Events) item->Index = position++;
}
