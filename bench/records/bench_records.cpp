// bench_records: builds a records file of 10,000 games over 1,000 songs in a
// temporary folder, then reports how long writing one more game takes
// (median, 99th percentile, maximum), how long the queries behind the window
// and the recent songs take, and how long the records window takes from
// creation to its first shown state (offscreen Qt). Not a test: run it by
// hand or through bench.sh in a Release build.
#include <QApplication>
#include <QTableView>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "game/play_records/game_recorder.h"
#include "game/play_records/records_window.h"
#include "records/records_database.h"
#include "records/sha256.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int kSongs = 1000;
constexpr int kGames = 10000;
constexpr int kWrites = 200;  // measured writes on top of the generated games
constexpr int kRuns = 20;     // measured runs of each query and window opening

double Ms(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct TFigures {
  double Median, P99, Max;
};

TFigures Summarise(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  const size_t p99 = std::min(ms.size() - 1, static_cast<size_t>(static_cast<double>(ms.size()) * 0.99));
  return {ms[ms.size() / 2], ms[p99], ms.back()};
}

void Report(const char* what, const std::vector<double>& ms) {
  const TFigures f = Summarise(ms);
  std::printf("%-44s median %8.3f ms   p99 %8.3f ms   max %8.3f ms   (%zu runs)\n", what, f.Median, f.P99, f.Max,
              ms.size());
}

std::vector<double> Time(int runs, const std::function<void()>& work) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = TClock::now();
    work();
    ms.push_back(Ms(TClock::now() - start));
  }
  return ms;
}

TGameRecord GeneratedGame(const std::filesystem::path& folder, int index) {
  const int song = index % kSongs;
  TGameRecord game;
  game.SongSha256 = TSha256::HexOf("song " + std::to_string(song));
  game.PlayedAt = "2026-12-08T09:00:00Z";
  game.FileName = "song" + std::to_string(song) + ".mid";
  game.Path = (folder / game.FileName).string();
  game.Title = "Song number " + std::to_string(song);
  game.EndTimeMs = 180000;
  game.Good = 300 + index % 200;
  game.Bad = index % 50;
  game.MaxCombo = 20 + index % 300;
  game.Options.Channels.fill(true);
  return game;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("pluv_bench_records_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "pluvionaut.sqlite").string();
  // Half the songs still have their files, for the recent songs.
  for (int song = 0; song < kSongs; song += 2) std::ofstream(folder / ("song" + std::to_string(song) + ".mid")) << song;

  const auto generating = TClock::now();
  {
    TRecordsDatabase records(path);
    for (int i = 0; i < kGames; ++i) records.AddGame(GeneratedGame(folder, i));
  }
  std::printf("generated %d games of %d songs in %.0f ms (%s, %.1f MB)\n", kGames, kSongs,
              Ms(TClock::now() - generating), path.c_str(),
              static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0));

  {
    TRecordsDatabase records(path);
    int next = kGames;
    Report("write one game (one transaction)", Time(kWrites, [&] { records.AddGame(GeneratedGame(folder, next++)); }));
    Report("song summaries (1,000 songs)", Time(kRuns, [&] { records.Songs(); }));
    Report("games of one song", Time(kRuns, [&] { records.GamesOfSong(TSha256::HexOf("song 7")); }));
    Report("recent songs (8 whose files exist)", Time(kRuns, [&] { records.RecentSongs(8); }));
  }

  TGameRecorder recorder(path);
  Report("records window: created, filled and shown", Time(kRuns, [&] {
           TRecordsWindow window(nullptr, recorder, [](const QString&) {});
           window.show();
           QApplication::processEvents();
           if (window.SongTable()->model()->rowCount() != kSongs) std::abort();
         }));
  std::filesystem::remove_all(folder);
  return 0;
}
