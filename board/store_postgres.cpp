// The board on PostgreSQL, for a board many play on: the same schema and the same statements
// as on SQLite, each committed before it returns.
#include <pqxx/pqxx>
#include <stdexcept>

#include "board/store.h"

namespace {

const char* const kMigrations[] = {
    // 1: the proven games; the digest of a game's link tells the same keys submitted twice
    // (a link can outgrow what an index may hold of a value, its digest never).
    "CREATE TABLE scores (id BIGSERIAL PRIMARY KEY, name TEXT NOT NULL, score INTEGER NOT NULL,"
    " steps BIGINT NOT NULL, at BIGINT NOT NULL, link TEXT NOT NULL,"
    " digest TEXT NOT NULL UNIQUE);"
    "CREATE INDEX scores_rank ON scores (score DESC, at, id);"
    "CREATE INDEX scores_at ON scores (at)",
};

class Postgres : public Database {
 public:
  explicit Postgres(const std::string& url)
      : url_(url), connection_(std::make_unique<pqxx::connection>(url)) {}

  Rows Run(const std::string& sql, const std::vector<Value>& values) override {
    // One statement commits on its own: no BEGIN and COMMIT to wait for around it.
    return Retried([&] {
      pqxx::nontransaction work(*connection_);
      std::vector<std::string> texts;
      texts.reserve(values.size());
      for (const Value& value : values) {
        const int64_t* number = std::get_if<int64_t>(&value);
        texts.push_back(number ? std::to_string(*number) : std::get<std::string>(value));
      }
      const pqxx::result result = work.exec_params(sql, pqxx::prepare::make_dynamic_params(texts));
      work.commit();
      Rows rows;
      for (const auto& row : result) {
        rows.emplace_back();
        for (const auto& field : row) rows.back().emplace_back(field.c_str());
      }
      return rows;
    });
  }

  void Script(const std::string& sql) override {
    Retried([&] {
      pqxx::work work(*connection_);
      work.exec(sql);
      work.commit();
      return Rows();
    });
  }

 private:
  // A server restarted since the last statement: connect again and run it once more. A
  // statement cut off on its way may have gone in already; run again, an insert then finds
  // its own game there, which is on the board as it should be.
  template <typename Work>
  Rows Retried(Work work) {
    try {
      if (!connection_) connection_ = std::make_unique<pqxx::connection>(url_);
      return work();
    } catch (const pqxx::broken_connection&) {
      connection_.reset();
    } catch (const std::exception& e) {
      throw std::runtime_error(std::string("PostgreSQL: ") + e.what());
    }
    try {
      connection_ = std::make_unique<pqxx::connection>(url_);
      return work();
    } catch (const std::exception& e) {
      connection_.reset();
      throw std::runtime_error(std::string("PostgreSQL: ") + e.what());
    }
  }

  std::string url_;
  std::unique_ptr<pqxx::connection> connection_;
};

}  // namespace

const Schema kPostgresSchema = {kMigrations, sizeof kMigrations / sizeof kMigrations[0]};

std::unique_ptr<Database> OpenPostgres(const std::string& url, std::string* error) {
  try {
    return std::make_unique<Postgres>(url);
  } catch (const std::exception& e) {
    *error = std::string("PostgreSQL: ") + e.what();
    return nullptr;
  }
}
