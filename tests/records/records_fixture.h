// A fresh temporary folder per test, removed afterwards, and a game row
// maker for the records tests.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "records/game_record.h"
#include "records/sha256.h"

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pluv_records_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    dbPath = (folder / "pluvionaut.sqlite").string();
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // A game of a song named by its bytes; the song's file is written into the folder.
  TGameRecord Game(const std::string& songBytes, int good, int bad, int maxCombo, const std::string& fileName) {
    const std::string path = (folder / fileName).string();
    std::ofstream(path, std::ios::binary) << songBytes;
    TGameRecord game;
    game.SongSha256 = TSha256::HexOf(songBytes);
    game.PlayedAt = "2026-12-08T09:00:00Z";
    game.Path = path;
    game.FileName = fileName;
    game.Title = "title of " + fileName;
    game.EndTimeMs = 60000;
    game.Good = good;
    game.Bad = bad;
    game.MaxCombo = maxCombo;
    game.Options.Channels.fill(true);
    return game;
  }

  // A second, raw connection, as another copy of the game would hold.
  sqlite3* RawConnection() {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(dbPath.c_str(), &db), SQLITE_OK);
    return db;
  }
  static std::string RawText(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK);
    std::string text;
    if (sqlite3_step(statement) == SQLITE_ROW) text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return text;
  }

  std::filesystem::path folder;
  std::string dbPath;
};
