#include "board/store.h"

#include <stdexcept>

namespace {

constexpr char kColumns[] = "id, name, score, steps, at, link";

// The order of the board, written once: the higher score first, then the one ranked earlier.
constexpr char kOrder[] = " ORDER BY score DESC, at, id";

Entry ReadEntry(const std::vector<std::string>& row) {
  Entry entry;
  entry.id = std::stoll(row[0]);
  entry.name = row[1];
  entry.score = std::stoi(row[2]);
  entry.steps = std::stoll(row[3]);
  entry.at = std::stoll(row[4]);
  entry.link = row[5];
  return entry;
}

// Brings the schema to its last version, one version at a time, each in one transaction with
// the version it reaches; a database from a newer board is left as it is.
void Migrate(Database* database, const Schema& schema) {
  database->Script(
      "CREATE TABLE IF NOT EXISTS board_schema (version INTEGER NOT NULL);"
      "INSERT INTO board_schema (version) SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM board_schema);");
  const int version = std::stoi(database->Run("SELECT version FROM board_schema", {}).at(0).at(0));
  if (version > schema.versions) {
    throw std::runtime_error("the database holds schema version " + std::to_string(version) +
                             ", newer than this board's " + std::to_string(schema.versions));
  }
  for (int v = version; v < schema.versions; ++v) {
    database->Script(std::string(schema.migrations[v]) +
                     ";UPDATE board_schema SET version = " + std::to_string(v + 1));
  }
}

}  // namespace

std::unique_ptr<Store> Store::Open(const std::string& where, std::string* error) {
  const bool postgres = where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0;
  std::unique_ptr<Database> database =
      postgres ? OpenPostgres(where, error) : OpenSqlite(where, error);
  if (!database) return nullptr;
  try {
    Migrate(database.get(), postgres ? kPostgresSchema : kSqliteSchema);
  } catch (const std::exception& e) {
    *error = e.what();
    return nullptr;
  }
  return std::unique_ptr<Store>(new Store(std::move(database)));
}

bool Store::Add(Entry* entry, const std::string& digest) {
  std::lock_guard<std::mutex> hold(mutex_);
  // One statement: the game is added, or found there already, never both.
  const Database::Rows added = database_->Run(
      "INSERT INTO scores (name, score, steps, at, link, digest) VALUES ($1, $2, $3, $4, $5, $6)"
      " ON CONFLICT (digest) DO NOTHING RETURNING id",
      {entry->name, int64_t{entry->score}, entry->steps, entry->at, entry->link, digest});
  if (added.empty()) {
    entry->id =
        std::stoll(database_->Run("SELECT id FROM scores WHERE digest = $1", {digest}).at(0).at(0));
    return false;
  }
  entry->id = std::stoll(added.at(0).at(0));
  entry->rank = RankOf(*entry);
  return true;
}

std::vector<Entry> Store::Ranked(int64_t since, int limit) {
  std::lock_guard<std::mutex> hold(mutex_);
  std::vector<Entry> entries;
  for (const auto& row : database_->Run(
           std::string("SELECT ") + kColumns + " FROM scores WHERE at >= $1" + kOrder + " LIMIT $2",
           {since, int64_t{limit}})) {
    entries.push_back(ReadEntry(row));
    entries.back().rank = static_cast<int64_t>(entries.size());
  }
  return entries;
}

bool Store::Find(int64_t id, Entry* entry) {
  std::lock_guard<std::mutex> hold(mutex_);
  const Database::Rows rows =
      database_->Run(std::string("SELECT ") + kColumns + " FROM scores WHERE id = $1", {id});
  if (rows.empty()) return false;
  *entry = ReadEntry(rows[0]);
  entry->rank = RankOf(*entry);
  return true;
}

int64_t Store::RankOf(const Entry& entry) {
  return 1 + std::stoll(database_
                            ->Run("SELECT COUNT(*) FROM scores WHERE score > $1 OR (score = $1 AND"
                                  " (at < $2 OR (at = $2 AND id < $3)))",
                                  {int64_t{entry.score}, entry.at, entry.id})
                            .at(0)
                            .at(0));
}
