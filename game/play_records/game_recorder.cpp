#include "game/play_records/game_recorder.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <utility>

#include "game/core/translatable.h"
#include "library/library_row.h"
#include "library/library_store.h"
#include "records/records_database.h"
#include "records/sha256.h"

TGameRecorder::TGameRecorder(const std::string& databasePath, std::function<void()> switchedOff)
    : m_switchedOff(std::move(switchedOff)) {
  try {
    m_database = std::make_unique<TRecordsDatabase>(databasePath);
  } catch (const std::exception& error) {
    SwitchOff(error.what());
  }
}

TGameRecorder::~TGameRecorder() = default;

const char* TGameRecorder::SwitchedOffText() {
  return Translatable("プレイ記録のファイルが使えなくなっちゃった…。\r\nゲームはこのまま遊べるけど、記録はお休みするね。ごめんね、お兄ちゃん。");
}

const char* TGameRecorder::SwitchedOffCaption() { return Translatable("プレイ記録"); }

void TGameRecorder::SwitchOff(const std::string& reason) {
  const bool wasOn = m_failure.empty();
  m_database.reset();
  m_running.reset();
  if (!wasOn) return;
  m_failure = reason.empty() ? std::string("unknown failure") : reason;
  std::fprintf(stderr, "Recording is off: %s\n", m_failure.c_str());
  if (m_switchedOff) m_switchedOff();
}

void TGameRecorder::SetSong(const std::string& path, const std::string& title, bool tutorial, const TSongFacts* facts) {
  m_songKnown = false;
  const std::optional<std::string> sha = Sha256OfFile(path);
  if (!sha) return;  // read a moment ago, gone now: nothing to keep its games under
  m_song = TGameRecord{};
  m_song.SongSha256 = *sha;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  m_song.Path = error ? path : absolute.lexically_normal().string();
  m_song.FileName = std::filesystem::path(path).filename().string();
  m_song.Title = title;
  m_songKnown = true;
  if (tutorial) m_tutorialSha256 = *sha;
  if (facts != nullptr) PutLibraryRow(*facts);
}

void TGameRecorder::PutLibraryRow(const TSongFacts& facts) {
  struct stat status{};
  if (!m_database || ::stat(m_song.Path.c_str(), &status) != 0) return;
  TLibraryRow row;
  row.Path = m_song.Path;
  row.Size = static_cast<int64_t>(status.st_size);
  row.MtimeNs = static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
  row.SongSha256 = m_song.SongSha256;
  row.Facts = facts;
  try {
    TLibraryStore(*m_database).Put({row});
  } catch (const std::exception& error) {
    SwitchOff(error.what());
  }
}

double TGameRecorder::LibraryDifficulty(const std::string& songSha256) {
  if (!m_database) return -1.0;
  try {
    return TLibraryStore(*m_database).DifficultyOf(songSha256);
  } catch (const std::exception& error) {
    SwitchOff(error.what());
    return -1.0;
  }
}

void TGameRecorder::ClearSong() { m_songKnown = false; }

std::optional<TSongSummary> TGameRecorder::BeginGame(const TGameOptions& options, int32_t endTimeMs) {
  m_running.reset();
  if (!m_songKnown || !m_database) return std::nullopt;
  TGameRecord game = m_song;
  game.Options = options;
  game.EndTimeMs = endTimeMs;
  m_running = game;
  try {
    return m_database->Song(game.SongSha256);
  } catch (const std::exception& error) {
    SwitchOff(error.what());
    return std::nullopt;
  }
}

void TGameRecorder::GameEnded(int32_t good, int32_t bad, int32_t maxCombo, const std::string& barInput) {
  if (!m_running || !m_database) return;
  TGameRecord game = std::move(*m_running);
  m_running.reset();
  game.PlayedAt = TRecordsDatabase::NowIso8601();
  game.Good = good;
  game.Bad = bad;
  game.MaxCombo = maxCombo;
  game.BarInput = barInput;
  try {
    m_database->AddGame(game);
  } catch (const std::exception& error) {
    SwitchOff(error.what());
  }
}

void TGameRecorder::MarkPractice(int32_t fromMs, int32_t toMs, double speed) {
  if (!m_running) return;
  m_running->Practice = true;
  m_running->PracticeFromMs = fromMs;
  m_running->PracticeToMs = toMs;
  m_running->PracticeSpeed = speed;
}

std::vector<TSongSummary> TGameRecorder::RecentSongs() {
  if (!m_database) return {};
  try {
    return m_database->RecentSongs(kRecentSongCount, {m_tutorialSha256});
  } catch (const std::exception& error) {
    SwitchOff(error.what());
    return {};
  }
}

std::vector<TSongSummary> TGameRecorder::Songs() {
  if (!m_database) return {};
  try {
    return m_database->Songs();
  } catch (const std::exception& error) {
    SwitchOff(error.what());
    return {};
  }
}

std::vector<TGameRecord> TGameRecorder::GamesOfSong(const std::string& songSha256) {
  if (!m_database) return {};
  try {
    return m_database->GamesOfSong(songSha256);
  } catch (const std::exception& error) {
    SwitchOff(error.what());
    return {};
  }
}
