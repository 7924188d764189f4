// Where the board keeps its games: one small interface over SQLite (a file, by default) and
// PostgreSQL (a postgresql:// URL), with the same schema and the same answers. Every game on
// the board is a proven one; each entry keeps the game itself, as its link.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

struct Entry {
  int64_t id = 0;
  std::string name;
  int score = 0;
  int64_t steps = 0;
  int64_t at = 0;    // when it was ranked, milliseconds since 1970 (UTC)
  std::string link;  // the game: what follows '#' in the page's address
  int64_t rank = 0;  // 1 for the best: by score, then the earlier, then the lower id
};

// One connection to a database, one statement at a time. Failures throw std::runtime_error.
struct Database {
  using Value = std::variant<int64_t, std::string>;
  using Rows = std::vector<std::vector<std::string>>;
  virtual ~Database() = default;
  // One statement, its parameters written $1, $2...; committed once it returns.
  virtual Rows Run(const std::string& sql, const std::vector<Value>& values) = 0;
  // Statements without parameters, all or none of them.
  virtual void Script(const std::string& sql) = 0;
};

// What the schema has been at each version, for each kind of database: a database is brought
// from its own version to the last at start-up.
struct Schema {
  const char* const* migrations;  // migrations[v] takes version v to v + 1
  int versions;
};

std::unique_ptr<Database> OpenSqlite(const std::string& path, std::string* error);
std::unique_ptr<Database> OpenPostgres(const std::string& url, std::string* error);
extern const Schema kSqliteSchema;
extern const Schema kPostgresSchema;

class Store {
 public:
  // A postgresql:// (or postgres://) URL, or else an SQLite file, created if need be; the
  // schema is migrated before it returns. Null, with *error, when it cannot be opened.
  static std::unique_ptr<Store> Open(const std::string& where, std::string* error);

  // Adds a proven game, committed before it returns true with its id. False, with the id of
  // the entry already there, when the board holds that very game (the same keys).
  bool Add(Entry* entry, const std::string& digest);
  // The best since `since` (milliseconds since 1970), at most `limit`, ranked among them.
  std::vector<Entry> Ranked(int64_t since, int limit);
  // One entry with its rank on the whole board; false where there is none.
  bool Find(int64_t id, Entry* entry);

 private:
  explicit Store(std::unique_ptr<Database> database) : database_(std::move(database)) {}
  int64_t RankOf(const Entry& entry);

  std::mutex mutex_;  // one statement at a time on the one connection
  std::unique_ptr<Database> database_;
};
