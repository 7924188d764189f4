// The board on SQLite: one file, written ahead and synced at every commit, so that an entry
// acknowledged is on the disk whatever happens to the server after.
#include <sqlite3.h>

#include <stdexcept>

#include "board/store.h"

namespace {

const char* const kMigrations[] = {
    // 1: the proven games; the digest of a game's link tells the same keys submitted twice.
    "CREATE TABLE scores (id INTEGER PRIMARY KEY, name TEXT NOT NULL, score INTEGER NOT NULL,"
    " steps INTEGER NOT NULL, at INTEGER NOT NULL, link TEXT NOT NULL,"
    " digest TEXT NOT NULL UNIQUE);"
    "CREATE INDEX scores_rank ON scores (score DESC, at, id);"
    "CREATE INDEX scores_at ON scores (at)",
};

class Sqlite : public Database {
 public:
  explicit Sqlite(sqlite3* db) : db_(db) {}
  ~Sqlite() override { sqlite3_close_v2(db_); }

  Rows Run(const std::string& sql, const std::vector<Value>& values) override {
    sqlite3_stmt* statement = nullptr;
    Check(sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr));
    Rows rows;
    int status = SQLITE_OK;
    for (size_t i = 0; i < values.size() && status == SQLITE_OK; ++i) {
      const int at = sqlite3_bind_parameter_index(statement, ("$" + std::to_string(i + 1)).c_str());
      if (const int64_t* number = std::get_if<int64_t>(&values[i])) {
        status = sqlite3_bind_int64(statement, at, *number);
      } else {
        const std::string& text = std::get<std::string>(values[i]);
        status = sqlite3_bind_text(statement, at, text.data(), static_cast<int>(text.size()),
                                   SQLITE_TRANSIENT);
      }
    }
    while (status == SQLITE_OK || status == SQLITE_ROW) {
      status = sqlite3_step(statement);
      if (status != SQLITE_ROW) break;
      rows.emplace_back();
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const unsigned char* text = sqlite3_column_text(statement, c);
        rows.back().emplace_back(text ? reinterpret_cast<const char*>(text) : "");
      }
    }
    sqlite3_finalize(statement);
    if (status != SQLITE_DONE) Check(status);
    return rows;
  }

  void Script(const std::string& sql) override {
    Check(sqlite3_exec(db_, ("BEGIN IMMEDIATE;" + sql + ";COMMIT").c_str(), nullptr, nullptr,
                       nullptr),
          true);
  }

 private:
  void Check(int status, bool rollback = false) {
    if (status == SQLITE_OK || status == SQLITE_DONE) return;
    const std::string message = sqlite3_errmsg(db_);
    if (rollback && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", 0, 0, 0);
    throw std::runtime_error("SQLite: " + message);
  }

  sqlite3* db_;
};

}  // namespace

const Schema kSqliteSchema = {kMigrations, sizeof kMigrations / sizeof kMigrations[0]};

std::unique_ptr<Database> OpenSqlite(const std::string& path, std::string* error) {
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    *error = path + ": " + (db ? sqlite3_errmsg(db) : "cannot be opened");
    sqlite3_close_v2(db);
    return nullptr;
  }
  auto database = std::make_unique<Sqlite>(db);
  // Write-ahead, synced at every commit: a commit is on the disk before the board answers,
  // and readers never wait on the writer. Another process holding the file is waited for.
  sqlite3_busy_timeout(db, 5000);
  try {
    const auto mode = database->Run("PRAGMA journal_mode = WAL", {});
    database->Run("PRAGMA synchronous = FULL", {});
    if (mode.empty() || mode[0][0] != "wal") throw std::runtime_error("cannot write ahead");
  } catch (const std::exception& e) {
    *error = path + ": " + e.what();
    return nullptr;
  }
  return database;
}
