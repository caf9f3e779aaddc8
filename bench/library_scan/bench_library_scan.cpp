// bench_library_scan: writes 10,000 Standard MIDI Files of 5 to 50 KB in
// nested folders of a temporary folder, then times the song library's first
// scan of them into a new records file and a refresh with nothing changed
// (both with ScanNow on this thread). Then, in a Qt application on the
// offscreen platform: a first scan into another records file on the
// library's worker thread while a 16 ms timer stands for the frames (the
// longest gap between its ticks), the song-select window opened over the
// 10,000 rows, and each keystroke of a filter typed into it. The files were
// just written, so they are read from the page cache. Not a test: run it by
// hand or through bench.sh in a Release build. Optional argument: the
// number of files.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "game/core/extended_settings.h"
#include "game/library/library_model.h"
#include "game/library/library_window.h"
#include "game/library/song_library.h"
#include "library/library_scanner.h"
#include "library/library_store.h"
#include "records/records_database.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int kDefaultFiles = 10000;
constexpr int kFilesPerFolder = 100;
constexpr int kFoldersPerParent = 10;
constexpr size_t kSmallestBytes = 5 * 1024;
constexpr size_t kLargestBytes = 50 * 1024;
constexpr int kDivision = 480;  // ticks per quarter note

double Ms(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Put32(std::string& bytes, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<char>(value >> shift & 0xFF));
}

void PutVarLen(std::string& bytes, uint32_t value) {
  char groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<char>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (count > 1) bytes.push_back(static_cast<char>(groups[--count] | 0x80));
  bytes.push_back(groups[0]);
}

void PutTrack(std::string& file, const std::string& events) {
  file += "MTrk";
  Put32(file, static_cast<uint32_t>(events.size() + 4));
  file += events;
  file += std::string("\x00\xFF\x2F\x00", 4);
}

// A format 1 song of about targetBytes: a conductor track (name, tempo) and
// one track of notes on a random channel.
std::string Song(int index, size_t targetBytes, std::mt19937& random) {
  std::string conductor;
  const std::string title = "Generated song " + std::to_string(index);
  conductor += std::string("\x00\xFF\x03", 3);
  PutVarLen(conductor, static_cast<uint32_t>(title.size()));
  conductor += title;
  const uint32_t tempo = 300000 + random() % 400000;  // µs per quarter
  conductor += std::string("\x00\xFF\x51\x03", 4);
  conductor.push_back(static_cast<char>(tempo >> 16 & 0xFF));
  conductor.push_back(static_cast<char>(tempo >> 8 & 0xFF));
  conductor.push_back(static_cast<char>(tempo & 0xFF));

  const int channel = static_cast<int>(random() % 16);
  std::string notes;
  notes += std::string("\x00", 1);
  notes.push_back(static_cast<char>(0xC0 | channel));
  notes.push_back(static_cast<char>(random() % 128));
  while (notes.size() + conductor.size() + 40 < targetBytes) {
    const int note = 36 + static_cast<int>(random() % 60);
    PutVarLen(notes, random() % (kDivision / 2));
    notes.push_back(static_cast<char>(0x90 | channel));
    notes.push_back(static_cast<char>(note));
    notes.push_back(static_cast<char>(1 + random() % 127));
    PutVarLen(notes, 1 + random() % (kDivision / 2));
    notes.push_back(static_cast<char>(0x80 | channel));
    notes.push_back(static_cast<char>(note));
    notes.push_back(0);
  }

  std::string file = "MThd";
  Put32(file, 6);
  file += std::string("\x00\x01\x00\x02", 4);
  file.push_back(static_cast<char>(kDivision >> 8));
  file.push_back(static_cast<char>(kDivision & 0xFF));
  PutTrack(file, conductor);
  PutTrack(file, notes);
  return file;
}

// songs/NN/NN/song_NNNNN.mid: ten folders of ten folders of a hundred files.
std::filesystem::path SongPath(const std::filesystem::path& songs, int index) {
  const int folder = index / kFilesPerFolder;
  return songs / ("group" + std::to_string(folder / kFoldersPerParent)) / ("part" + std::to_string(folder % kFoldersPerParent)) /
         ("song_" + std::to_string(index) + ".mid");
}

// The frames' stand-in ticks while the library scans on its worker; the
// scan's time and the longest gap between two ticks.
void TimeScanBesideFrames(TSongLibrary& library, int& status) {
  constexpr int kFrameMs = 16;
  QTimer frames;
  frames.setInterval(kFrameMs);
  QElapsedTimer clock;
  int64_t last = 0;
  int64_t longestGap = 0;
  int64_t ticks = 0;
  QObject::connect(&frames, &QTimer::timeout, [&] {
    const int64_t now = clock.elapsed();
    longestGap = std::max(longestGap, now - last);
    last = now;
    ++ticks;
  });
  library.SetScanEnded([] { QCoreApplication::quit(); });
  clock.start();
  frames.start();
  library.Scan();
  QCoreApplication::exec();
  const double ms = static_cast<double>(clock.elapsed());
  library.SetScanEnded(nullptr);
  const TLibraryScanner::TResult& result = library.LastResult();
  std::printf("%-34s %9.0f ms   read %lld; %lld frame ticks, longest gap %lld ms\n", "first scan on the worker", ms,
              static_cast<long long>(result.Read), static_cast<long long>(ticks), static_cast<long long>(longestGap));
  if (result.DatabaseOff || result.Cancelled) status = 1;
}

// Opens the song-select window over the library's rows, then types a
// filter into it key by key.
void TimeWindow(TSongLibrary& library, TExtendedSettings& settings, int& status) {
  QElapsedTimer clock;
  clock.start();
  TLibraryWindow window(nullptr, library, settings, {});
  window.show();
  QCoreApplication::processEvents();
  const double openMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  std::printf("%-34s %9.1f ms   %d songs\n", "window open", openMs, window.Model().SongCount());
  if (window.Model().SongCount() == 0) status = 1;

  const QString typed = QStringLiteral("song_12 notes>100");
  double slowest = 0;
  double total = 0;
  for (const QChar c : typed) {
    clock.restart();
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(window.FilterBox(), &press);
    QCoreApplication::processEvents();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    slowest = std::max(slowest, ms);
    total += ms;
  }
  std::printf("%-34s %9.2f ms   mean %.2f ms over %lld keys; %d songs left\n", "filter keystroke, slowest", slowest,
              total / static_cast<double>(typed.size()), static_cast<long long>(typed.size()),
              window.Model().ShownCount());
  if (window.FilterBox()->text() != typed) status = 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : kDefaultFiles;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("pluv_bench_library_" + std::to_string(getpid()));
  const std::filesystem::path songs = folder / "songs";
  const std::string database = (folder / "pluvionaut.sqlite").string();

  std::mt19937 random(20261210);
  std::uniform_int_distribution<size_t> size(kSmallestBytes, kLargestBytes);
  int64_t totalBytes = 0;
  const auto writing = TClock::now();
  for (int i = 0; i < files; ++i) {
    const std::filesystem::path path = SongPath(songs, i);
    if (i % kFilesPerFolder == 0) std::filesystem::create_directories(path.parent_path());
    const std::string bytes = Song(i, size(random), random);
    totalBytes += static_cast<int64_t>(bytes.size());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::printf("wrote %d files (%.1f MB) in %.0f ms under %s\n", files, static_cast<double>(totalBytes) / 1e6,
              Ms(TClock::now() - writing), songs.c_str());

  std::atomic<bool> cancel{false};
  std::atomic<int64_t> done{0}, found{0};
  int status = 0;
  auto run = [&](const char* what) {
    done = 0;
    found = 0;
    const auto start = TClock::now();
    const TLibraryScanner::TResult result = TLibraryScanner::ScanNow(database, {songs.string()}, cancel, done, found);
    const double ms = Ms(TClock::now() - start);
    std::printf("%-34s %9.0f ms   read %lld, unchanged %lld, dropped %lld, problems %zu%s\n", what, ms,
                static_cast<long long>(result.Read), static_cast<long long>(result.Unchanged),
                static_cast<long long>(result.Dropped), result.Problems.size(), result.DatabaseOff ? ", DATABASE OFF" : "");
    if (result.DatabaseOff || found != files) status = 1;
  };
  run("first scan (new records file)");
  run("refresh, nothing changed");
  {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TExtendedSettings settings((folder / "pluvionaut.ini").string());
    TSongLibrary library(nullptr, settings, (folder / "worker.sqlite").string());
    library.SetFolders({songs.string()});
    TimeScanBesideFrames(library, status);
    TimeWindow(library, settings, status);
  }
  {
    TRecordsDatabase records(database);
    int64_t errors = 0;
    for (const TLibraryRow& row : TLibraryStore(records).Rows()) errors += row.Error ? 1 : 0;
    std::printf("rows with an error: %lld; records file %.1f MB\n", static_cast<long long>(errors),
                static_cast<double>(std::filesystem::file_size(database)) / 1e6);
    if (errors != 0) status = 1;
  }
  std::filesystem::remove_all(folder);
  return status;
}
