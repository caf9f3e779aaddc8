// smfdump: loads a Standard MIDI File with the game's reader and prints its
// song list, one tab-separated line per item (index, tick, ms, track, kind,
// class, description), then a summary line (with the raining note-ons,
// "notes=N"). With --summary only the summary.
// A file that cannot be loaded prints "error: <message>" on stderr, status 1.
#include <cstdio>
#include <string>
#include <string_view>

#include "midi/midi_errors.h"
#include "midi/midi_song.h"
#include "platform/kernel/cp932.h"

namespace {

constexpr int kExitLoadFailed = 1;
constexpr int kExitUsage = 2;
constexpr const char* kUsage =
    "usage: smfdump [--summary] FILE\n"
    "  lists every item of the song FILE (tick, time, class, description), then a summary\n"
    "  line; with --summary only the summary. --help shows this text.\n";

// CP932 text as UTF-8 for the terminal; undecodable bytes and control
// characters (which would break the one-line-per-item layout) as \xNN.
std::string Printable(const std::string& Cp932) {
  const std::string utf8 = Cp932ToUtf8(Cp932);
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// The raining note-ons: every note-on with a velocity above 0, of every channel.
int RainingNotes(const TMidiSong& Song) {
  int notes = 0;
  for (int i = 0; i < Song.Events.Count(); ++i) {
    if (Song.Events[i]->Kind == MidiKind::NoteOn) ++notes;
  }
  return notes;
}

std::string Summary(const TMidiSong& Song) {
  return "division=" + std::to_string(Song.Division) + " tracks=" + std::to_string(Song.Tracks.Count()) +
         " events=" + std::to_string(Song.Events.Count()) + " songlength=" +
         std::to_string(Song.SongLength) + " endtime=" + std::to_string(Song.EndTime) +
         " notes=" + std::to_string(RainingNotes(Song)) + "\n";
}

void PrintItems(const TMidiSong& Song) {
  std::string line;
  std::string text;
  for (int i = 0; i < Song.Events.Count(); ++i) {
    const TMidiEventItemStanderd* item = Song.Events[i];
    std::string_view className = item->ClassName();
    if (!className.empty() && className.front() == 'T') className.remove_prefix(1);
    text.clear();
    item->Describe(text);
    line = std::to_string(i) + '\t' + std::to_string(item->Tick) + '\t' + std::to_string(item->Time) +
           '\t' + std::to_string(item->Track) + '\t' + std::to_string(item->Kind) + '\t' +
           std::string(className) + '\t' + Printable(text) + '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool summaryOnly = false;
  const char* fileName = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--summary") {
      summaryOnly = true;
    } else if (fileName == nullptr) {
      fileName = argv[i];
    } else {
      fileName = nullptr;
      break;
    }
  }
  if (fileName == nullptr) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }

  TMidiSong song;
  try {
    song.LoadFromFile(fileName);
  } catch (const EMidiError& error) {
    std::fprintf(stderr, "error: %s\n", error.what());
    return kExitLoadFailed;
  }
  if (!summaryOnly) PrintItems(song);
  const std::string summary = Summary(song);
  std::fwrite(summary.data(), 1, summary.size(), stdout);
  return 0;
}
