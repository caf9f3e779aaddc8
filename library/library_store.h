// TLibraryStore: the song library's table in the records database (the
// schema's library step): one row per file path with its size, mtime,
// identity and facts or error. Works on a records connection of its
// caller's thread (the scanner's worker opens its own).
#pragma once

#include <string>
#include <vector>

#include "library/library_row.h"

class TRecordsDatabase;

class TLibraryStore {
 public:
  explicit TLibraryStore(TRecordsDatabase& database);

  // Every row with its song's figures from the games (a LEFT JOIN on songs).
  std::vector<TLibraryRow> Rows();
  // The stored size and mtime of a path; false when it has no row.
  bool Stamp(const std::string& path, int64_t& size, int64_t& mtimeNs);
  // Inserts or replaces rows, in one transaction.
  void Put(const std::vector<TLibraryRow>& rows);
  // Deletes the rows of these paths, in one transaction.
  void Remove(const std::vector<std::string>& paths);
  // Every stored path (for the refresh's drop of files gone).
  std::vector<std::string> Paths();
  // The difficulty stored for a song identity (the highest among its paths); < 0 when none.
  double DifficultyOf(const std::string& songSha256);

 private:
  TRecordsDatabase& m_database;
};
