// A thin RAII layer over SQLite's C API: one connection, prepared statements
// with bound values, and transactions that roll back unless committed. Every
// failure throws ERecordsError with SQLite's message and the kind of trouble
// (cannot open, locked, corrupt, full). A connection belongs to one thread at
// a time; statements belong to their connection and must not outlive it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// What went wrong, as far as the game cares: each one switches recording off.
enum class TRecordsFailure { CannotOpen, Locked, Corrupt, Full, NewerSchema, Other };

class ERecordsError : public std::runtime_error {
 public:
  ERecordsError(TRecordsFailure failure, const std::string& message)
      : std::runtime_error(message), m_failure(failure) {}
  TRecordsFailure Failure() const { return m_failure; }

 private:
  TRecordsFailure m_failure;
};

class TSqliteConnection {
 public:
  // Opens (creating when missing) the database file; busyTimeoutMs is how
  // long a statement waits for another connection's lock before it fails.
  TSqliteConnection(const std::string& path, int busyTimeoutMs);
  ~TSqliteConnection();
  TSqliteConnection(const TSqliteConnection&) = delete;
  TSqliteConnection& operator=(const TSqliteConnection&) = delete;

  // Runs one or more statements without results.
  void Execute(std::string_view sql);
  // The single integer the query gives (0 when it gives no row).
  int64_t QueryInteger(std::string_view sql);
  std::string QueryText(std::string_view sql);
  int64_t LastInsertRowId() const;
  sqlite3* Handle() const { return m_db; }
  const std::string& Path() const { return m_path; }

  // Throws the error of result code code (not SQLITE_OK / ROW / DONE).
  [[noreturn]] void Fail(int code, std::string_view doing) const;

 private:
  sqlite3* m_db = nullptr;
  std::string m_path;
};

class TSqliteStatement {
 public:
  TSqliteStatement(TSqliteConnection& connection, std::string_view sql);
  ~TSqliteStatement();
  TSqliteStatement(const TSqliteStatement&) = delete;
  TSqliteStatement& operator=(const TSqliteStatement&) = delete;

  // Parameters are numbered from 1, as in SQLite.
  TSqliteStatement& Bind(int index, int64_t value);
  TSqliteStatement& Bind(int index, double value);
  TSqliteStatement& Bind(int index, std::string_view text);
  TSqliteStatement& BindNull(int index);
  // True while a row is ready; false when the statement is done.
  bool Step();
  // Runs a statement that gives no rows.
  void Run();
  void Reset();

  // Columns of the current row, numbered from 0.
  int64_t Integer(int column) const;
  double Real(int column) const;
  std::string Text(int column) const;
  bool IsNull(int column) const;

 private:
  TSqliteConnection& m_connection;
  sqlite3_stmt* m_statement = nullptr;
};

// BEGIN IMMEDIATE at construction (the write lock is taken at once, so a
// locked database fails here and not half way), ROLLBACK in the destructor
// unless Commit ran.
class TSqliteTransaction {
 public:
  explicit TSqliteTransaction(TSqliteConnection& connection);
  ~TSqliteTransaction();
  TSqliteTransaction(const TSqliteTransaction&) = delete;
  TSqliteTransaction& operator=(const TSqliteTransaction&) = delete;
  void Commit();

 private:
  TSqliteConnection& m_connection;
  bool m_done = false;
};
