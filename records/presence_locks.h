// TPresenceLocks: read locks on the records file and its shared-memory index
// that tell other programs the records are in use, held through file
// descriptions of their own (Linux open-file-description locks).
//
// SQLite's own locks are POSIX record locks, which belong to the process:
// any close() of any descriptor of the file in this process drops them,
// whoever opened it (a file dialog reading the folder for icons, a song
// loader handed the wrong file). A reader in another process then finds
// no lock, takes itself for the last user, folds the journal into the file
// and deletes it while the game still writes into it. These locks cover the
// bytes such a reader must lock exclusively first: the shared range of the
// database file (before it folds the journal away) and the index's
// "dead man switch" byte (before it truncates the index). No close
// elsewhere can drop them; they go with this object.
// One thread (the records' own); failures are not fatal: the records work
// without them, as they did before.
#pragma once

#include <string>

class TPresenceLocks {
 public:
  TPresenceLocks() = default;
  ~TPresenceLocks();
  TPresenceLocks(const TPresenceLocks&) = delete;
  TPresenceLocks& operator=(const TPresenceLocks&) = delete;

  // Takes the locks for the database at path (and its "-shm" index when it
  // exists); an empty text when they are held, else why not.
  std::string Hold(const std::string& path);
  void Release();
  bool HoldsDatabase() const { return m_database >= 0; }
  bool HoldsIndex() const { return m_index >= 0; }

 private:
  int m_database = -1;
  int m_index = -1;
};
