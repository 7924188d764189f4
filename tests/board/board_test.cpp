// The board over HTTP, the same tests against SQLite and against a PostgreSQL of the test's
// own: every status a submission can get, with real, damaged, forged, later-in-session and
// hostile games and names; the ranking; and kill -9 in the middle of a stream of submissions.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "board/store.h"
#include "demo/link.h"
#include "demo/replay.h"
#include "game/world.h"
#include "tests/board/board_process.h"
#include "tests/fuzz/as_file.h"

namespace {

using nlohmann::json;

Postgres* g_postgres = nullptr;

struct PostgresEnvironment : testing::Environment {
  Postgres postgres;
  void SetUp() override {
    postgres = StartPostgres();
    g_postgres = &postgres;
  }
  void TearDown() override { StopPostgres(&postgres); }
};

// The first game of the ordinary session, edited and its link made right again.
std::string Edited(void (*edit)(Recording*)) {
  Recording game;
  std::string error;
  DecodeLink(FirstGameLink(), &game, &error);
  edit(&game);
  return EncodeLink(game);
}

class BoardTest : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::string test = "board_" + name.substr(0, name.find('/'));
    if (std::string(GetParam()) == "sqlite") {
      db_ = test + ".sqlite";
      for (const char* end : {"", "-wal", "-shm"}) std::remove((db_ + end).c_str());
    } else {
      if (g_postgres->url.empty()) GTEST_SKIP() << "no PostgreSQL: " << g_postgres->why;
      for (char& c : test) c = static_cast<char>(std::tolower(c));
      db_ = FreshDatabase(*g_postgres, test);
    }
  }
  bool Start() { return StartBoard(db_, {}, &board_); }
  void TearDown() override { StopBoard(&board_, SIGTERM); }

  std::string db_;
  BoardProcess board_;
};

// Status, then the body's "error", or its JSON whole.
std::string Answer(const httplib::Result& result) {
  if (!result) return "no answer";
  const json body = json::parse(result->body, nullptr, false);
  return std::to_string(result->status) + " " +
         (body.is_object() && body.contains("error") ? body["error"].get<std::string>()
                                                     : body.dump());
}

TEST_P(BoardTest, EachSubmissionGetsItsStatus) {
  ASSERT_TRUE(Start()) << db_;
  auto client = ClientFrom(board_.url, 2);
  // A recording's text ranks its first game; that game again, as a link, is the same game.
  EXPECT_EQ(Answer(Submit(client, "ada", OrdinaryText())), R"(201 {"id":1,"rank":1,"score":700})");
  EXPECT_EQ(Answer(Submit(client, "ada", "https://example.org/driftbeam/#" + FirstGameLink())),
            "409 this game is on the board already");

  std::string damaged = FirstGameLink();
  damaged[damaged.size() / 2] = damaged[damaged.size() / 2] == 'A' ? 'B' : 'A';
  std::string text = OrdinaryText();
  const size_t world = text.find("world ", text.find("\nc 100 ")) + 6;
  text[world] = text[world] == '0' ? '1' : '0';
  const std::string tooLong = std::string((1 << 20) + 1, 'A');
  // A session killed after its first game ended holds all of that game.
  const std::string cutAfterFirst = OrdinaryText().substr(0, OrdinaryText().find("\nc 800 ") + 1);
  const struct {
    std::string game, answer;
  } kGames[] = {
      {cutAfterFirst, "409 this game is on the board already"},
      {damaged, "422 link: damaged"},
      // Forged: the score at the end raised, the link's checksum made right.
      {Edited([](Recording* g) { g->end.score += 100; }),
       "422 link: differs from the recording at step 730"},
      {Sealed(text), "422 recording: differs from the recording at step 100"},
      {Edited([](Recording* g) { g->draws = 12345; }),
       "422 link: a later game of its session: only a session's first game ranks"},
      {Edited([](Recording* g) { g->best = 700; }),
       "422 link: a later game of its session: only a session's first game ranks"},
      {Edited([](Recording* g) { g->end.step = 180001; }),
       "413 link: longer than 30 minutes of play"},
      {"driftbeam-recording 2 game 1.1.0 draws 0 best 0 *ab3b346c\n",
       "422 recording: replays exactly up to step 0, where the recording ends: the game was cut "
       "off"},
      {Slurp(std::string(DEMO_TEST_DIR) + "/1.0/ordinary.rec"),
       "422 recording: made by driftbeam 1.0.0 on the C library's maths: only games of driftbeam "
       "1.1.0 and later rank"},
      {tooLong, "413 the body is larger than 1 MB"},
  };
  for (const auto& game : kGames) {
    auto other = ClientFrom(board_.url, 3);
    EXPECT_EQ(Answer(Submit(other, "bob", game.game)), game.answer) << game.game.substr(0, 80);
  }

  // Names are text of 1 to 20 printable characters (none at all is refused below); markup is
  // text like any other.
  const struct {
    std::string name, answer;
  } kNames[] = {
      {"   ", "400 a name is needed"},
      {std::string(21, 'x'), "400 a name has at most 20 characters"},
      {"a\x07"
       "b",
       "400 a name holds only characters that print"},
      {"\xe2\x80\xae"
       "evil",
       "400 a name holds only characters that print"},
      {"<script>", "201"},
      {std::string(18, 'x') + "\xc3\xab\xc3\xab", "201"},  // 20 characters, 22 bytes
  };
  int step = 0;
  for (const auto& name : kNames) {
    auto other = ClientFrom(board_.url, 4 + step);
    const std::string answer = Answer(Submit(other, name.name, Variant(step++, 97)));
    EXPECT_EQ(answer.substr(0, name.answer.size()), name.answer) << name.name;
  }
  auto list = client.Get("/api/scores?limit=3");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->get_header_value("Content-Type"), "application/json");
  EXPECT_EQ(json::parse(list->body)[1]["name"], "<script>");

  const struct {
    std::string body, answer;
  } kBodies[] = {
      {"not json", "400 the body is not a JSON object"},
      {R"({"name": "ada"})", R"(400 the body needs "name" and "game", both strings)"},
      {R"({"name": "\u0000", "game": "x"})", "400 a name holds only characters that print"},
  };
  for (const auto& body : kBodies) {
    auto other = ClientFrom(board_.url, 30);
    EXPECT_EQ(Answer(other.Post("/api/scores", body.body, "application/json")), body.answer);
  }
  // Ten submissions a minute from one address, whatever they hold.
  auto eager = ClientFrom(board_.url, 31);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Answer(Submit(eager, "", "x")), "400 a name is needed");
  const auto refused = Submit(eager, "eve", Variant(700, 98));
  EXPECT_EQ(Answer(refused), "429 too many submissions from this address: wait a little");
  EXPECT_EQ(refused->get_header_value("Retry-After"), "6");

  // One entry, and its recording as a file the desktop's check reads.
  EXPECT_EQ(Answer(client.Get("/api/scores/99")), "404 no such entry");
  const json one = json::parse(client.Get("/api/scores/1")->body);
  EXPECT_EQ(one["rank"], 1);
  EXPECT_EQ(one["steps"], 730);
  EXPECT_EQ(one["link"], FirstGameLink());
  const std::string file = "board_test_" + std::string(GetParam()) + ".rec";
  std::ofstream(file) << client.Get("/api/scores/1.rec")->body;
  std::string line;
  EXPECT_TRUE(CheckRecording(file.c_str(), &line));
  FreeWorld();
  EXPECT_EQ(line, file + ": 1 game, best score 700, 730 steps: replays exactly");
  // Each file is a replay on a checker: one address gets 30 a minute, its submissions apart.
  for (int i = 1; i < 30; ++i) ASSERT_EQ(client.Get("/api/scores/1.rec")->status, 200) << i;
  EXPECT_EQ(Answer(client.Get("/api/scores/1.rec")),
            "429 too many files from this address: wait a little");
}

// Seeded through the store as a board of last week would have them, then ranked over HTTP.
TEST_P(BoardTest, RanksByScoreThenTimeOverEachPeriod) {
  const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  const int64_t day = 24 * 3600 * 1000;
  {
    std::string error;
    auto store = Store::Open(db_, &error);
    ASSERT_TRUE(store) << error;
    Entry old{0, "eight days", 900, 1000, now - 8 * day, "old", 0};
    Entry recent{0, "two days", 800, 1000, now - 2 * day, "recent", 0};
    ASSERT_TRUE(store->Add(&old, "digest of old"));
    ASSERT_TRUE(store->Add(&recent, "digest of recent"));
    EXPECT_FALSE(store->Add(&recent, "digest of old"));
    EXPECT_EQ(recent.id, old.id);
  }
  ASSERT_TRUE(Start()) << db_;
  auto client = ClientFrom(board_.url, 2);
  std::vector<std::string> ids;
  for (int step : {5, 3, 9}) {
    const auto result = Submit(client, "v" + std::to_string(step), Variant(step, 97));
    ASSERT_EQ(result->status, 201);
    ids.push_back(json::parse(result->body)["id"].dump());
  }
  const auto names = [&](const std::string& query) {
    std::string out;
    const auto result = client.Get("/api/scores" + query);
    for (const json& e : json::parse(result->body)) {
      out += std::to_string(e["rank"].get<int>()) + ":" + e["name"].get<std::string>() + " ";
    }
    return out;
  };
  EXPECT_EQ(names(""), "1:eight days 2:two days 3:v5 4:v3 5:v9 ");
  EXPECT_EQ(names("?period=week"), "1:two days 2:v5 3:v3 4:v9 ");
  EXPECT_EQ(names("?period=day&limit=2"), "1:v5 2:v3 ");
  EXPECT_EQ(json::parse(client.Get("/api/scores/" + ids[2])->body)["rank"], 5);
  // A kept game that no longer checks (here, one seeded with no game at all) is no file.
  EXPECT_EQ(Answer(client.Get("/api/scores/1.rec")).substr(0, 3), "500");
  for (const char* bad : {"?period=month", "?limit=0", "?limit=101", "?limit=x"}) {
    EXPECT_EQ(client.Get(std::string("/api/scores") + bad)->status, 400) << bad;
  }
}

// Every 201 answered before the kill is on the board that starts again on the same database,
// holding the very game it was given for: four streams race for the store all the while.
TEST_P(BoardTest, KillNineLosesNoAcknowledgedEntry) {
  ASSERT_TRUE(Start()) << db_;
  std::mutex mutex;
  std::vector<std::pair<int64_t, std::string>> acknowledged;  // the id, and the game it got
  std::multiset<int> refused;  // every game is new and the board is up: nothing but a 201
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  for (int c = 0; c < 4; ++c) {
    clients.emplace_back([&, c] {
      for (int i = 0; !stop; ++i) {
        auto client = ClientFrom(board_.url, 10 + c + 4 * (i / 10));  // ten an address
        const std::string game = Variant(i % 730, 97 + c + 4 * (i / 730));
        const auto result = Submit(client, "k", game);
        if (!result) continue;  // the board is gone
        std::lock_guard<std::mutex> hold(mutex);
        if (result->status == 201) {
          acknowledged.emplace_back(json::parse(result->body)["id"].get<int64_t>(), game);
        } else {
          refused.insert(result->status);
        }
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  StopBoard(&board_, SIGKILL);
  stop = true;
  for (std::thread& t : clients) t.join();
  EXPECT_TRUE(refused.empty()) << "answered " << *refused.begin();
  ASSERT_GT(acknowledged.size(), 5u);
  ASSERT_TRUE(Start()) << "no board again on " << db_;
  auto client = ClientFrom(board_.url, 2);
  std::set<int64_t> ids;
  for (const auto& [id, game] : acknowledged) {
    EXPECT_TRUE(ids.insert(id).second) << id << " acknowledged twice";
    const auto entry = client.Get("/api/scores/" + std::to_string(id));
    EXPECT_EQ(entry ? json::parse(entry->body).value("link", "") : "", game) << id;
  }
}

INSTANTIATE_TEST_SUITE_P(Databases, BoardTest, testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return std::string(info.param); });

// A full queue says so at once, with when to come back, instead of holding the client.
TEST(BoardChecks, AFullQueueAnswers503WithRetryAfter) {
  BoardProcess board;
  std::remove("board_queue.sqlite");
  ASSERT_TRUE(StartBoard("board_queue.sqlite", {"--workers", "1", "--queue", "1"}, &board));
  const std::string deep = Slurp(std::string(DEMO_TEST_DIR) + "/deep.rec");
  std::vector<std::thread> clients;
  std::atomic<int> busy{0}, checked{0};
  for (int c = 0; c < 4; ++c) {
    clients.emplace_back([&, c] {
      auto client = ClientFrom(board.url, 20 + c);
      const auto result = Submit(client, "deep", deep);
      if (result && result->status == 503 && result->get_header_value("Retry-After") == "5") ++busy;
      if (result && (result->status == 201 || result->status == 409)) ++checked;
    });
  }
  for (std::thread& t : clients) t.join();
  StopBoard(&board, SIGTERM);
  EXPECT_EQ(busy + checked, 4);
  EXPECT_GE(busy, 1);
  EXPECT_GE(checked, 2);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::AddGlobalTestEnvironment(new PostgresEnvironment);
  return RUN_ALL_TESTS();
}
