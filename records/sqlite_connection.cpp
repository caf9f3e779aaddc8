#include "records/sqlite_connection.h"

#include <sqlite3.h>

namespace {

TRecordsFailure FailureOf(int code) {
  switch (code & 0xFF) {  // the primary code of an extended one
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
      return TRecordsFailure::CannotOpen;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return TRecordsFailure::Locked;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return TRecordsFailure::Corrupt;
    case SQLITE_FULL:
      return TRecordsFailure::Full;
    default:
      return TRecordsFailure::Other;
  }
}

}  // namespace

TSqliteConnection::TSqliteConnection(const std::string& path, int busyTimeoutMs) : m_path(path) {
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  const int code = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
  if (code != SQLITE_OK) {
    const std::string message = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
    sqlite3_close(m_db);
    m_db = nullptr;
    throw ERecordsError(TRecordsFailure::CannotOpen, "cannot open the records " + path + ": " + message);
  }
  sqlite3_extended_result_codes(m_db, 1);
  sqlite3_busy_timeout(m_db, busyTimeoutMs);
}

TSqliteConnection::~TSqliteConnection() {
  // Statements are finalised by their owners first; close_v2 copes with any left.
  sqlite3_close_v2(m_db);
}

void TSqliteConnection::Fail(int code, std::string_view doing) const {
  const std::string detail = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
  throw ERecordsError(FailureOf(code), "records " + m_path + ": " + std::string(doing) + ": " + detail);
}

void TSqliteConnection::Execute(std::string_view sql) {
  char* error = nullptr;
  const std::string text(sql);
  const int code = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &error);
  sqlite3_free(error);
  if (code != SQLITE_OK) Fail(code, text.substr(0, text.find('\n')));
}

int64_t TSqliteConnection::QueryInteger(std::string_view sql) {
  TSqliteStatement statement(*this, sql);
  return statement.Step() ? statement.Integer(0) : 0;
}

std::string TSqliteConnection::QueryText(std::string_view sql) {
  TSqliteStatement statement(*this, sql);
  return statement.Step() ? statement.Text(0) : std::string();
}

int64_t TSqliteConnection::LastInsertRowId() const { return sqlite3_last_insert_rowid(m_db); }

TSqliteStatement::TSqliteStatement(TSqliteConnection& connection, std::string_view sql) : m_connection(connection) {
  const int code = sqlite3_prepare_v2(connection.Handle(), sql.data(), static_cast<int>(sql.size()), &m_statement,
                                      nullptr);
  if (code != SQLITE_OK) connection.Fail(code, "preparing " + std::string(sql.substr(0, sql.find('\n'))));
}

TSqliteStatement::~TSqliteStatement() { sqlite3_finalize(m_statement); }

TSqliteStatement& TSqliteStatement::Bind(int index, int64_t value) {
  const int code = sqlite3_bind_int64(m_statement, index, value);
  if (code != SQLITE_OK) m_connection.Fail(code, "binding a value");
  return *this;
}

TSqliteStatement& TSqliteStatement::Bind(int index, double value) {
  const int code = sqlite3_bind_double(m_statement, index, value);
  if (code != SQLITE_OK) m_connection.Fail(code, "binding a value");
  return *this;
}

TSqliteStatement& TSqliteStatement::Bind(int index, std::string_view text) {
  const int code =
      sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  if (code != SQLITE_OK) m_connection.Fail(code, "binding a text");
  return *this;
}

TSqliteStatement& TSqliteStatement::BindNull(int index) {
  const int code = sqlite3_bind_null(m_statement, index);
  if (code != SQLITE_OK) m_connection.Fail(code, "binding a null");
  return *this;
}

bool TSqliteStatement::Step() {
  const int code = sqlite3_step(m_statement);
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  m_connection.Fail(code, "running a statement");
}

void TSqliteStatement::Run() {
  while (Step()) {
  }
}

void TSqliteStatement::Reset() {
  sqlite3_reset(m_statement);
  sqlite3_clear_bindings(m_statement);
}

int64_t TSqliteStatement::Integer(int column) const { return sqlite3_column_int64(m_statement, column); }

double TSqliteStatement::Real(int column) const { return sqlite3_column_double(m_statement, column); }

std::string TSqliteStatement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
  if (text == nullptr) return {};
  return std::string(text, static_cast<size_t>(sqlite3_column_bytes(m_statement, column)));
}

bool TSqliteStatement::IsNull(int column) const { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }

TSqliteTransaction::TSqliteTransaction(TSqliteConnection& connection) : m_connection(connection) {
  m_connection.Execute("BEGIN IMMEDIATE");
}

TSqliteTransaction::~TSqliteTransaction() {
  if (m_done) return;
  // A failed statement may already have ended the transaction; nothing to say then.
  sqlite3_exec(m_connection.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TSqliteTransaction::Commit() {
  m_connection.Execute("COMMIT");
  m_done = true;
}
