// The records' schema and its history: version 1 kept the games alone;
// version 2 added the song summaries and the index the window reads by;
// version 3 the input that moved the bar in each game;
// version 4 marks practice games with the range they played and their speed;
// version 5 the song library: one row per file of the song folders.
// A database is brought to the newest version step by step, each step in
// its own transaction, the version kept in SQLite's user_version. Called by
// TRecordsDatabase on its connection's thread.
#pragma once

#include "records/sqlite_connection.h"

namespace RecordsSchema {

inline constexpr int kNewestVersion = 5;

// The version the file is at (0 for a new, empty file).
int Version(TSqliteConnection& connection);
// Migrates from the file's version to kNewestVersion; throws ERecordsError
// (NewerSchema for a file written by a newer game, which is left alone).
void Migrate(TSqliteConnection& connection);
// Only the first version's tables, for tests of the migration.
void CreateVersion1(TSqliteConnection& connection);

}  // namespace RecordsSchema
