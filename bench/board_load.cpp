// A load run on the loopback: several clients submit for a while, real games mixed with
// damaged, forged, later-in-session and hostile ones, each request from an address of its own
// ten at a time (the board takes ten a minute from one). It reports the submissions a second
// held, their latency, the board's processor time with its checkers', and whether the board
// holds exactly the games that got 201. Bounded in time and count; loopback only.
//   board_load sqlite|postgres SECONDS CLIENTS
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "demo/link.h"
#include "tests/board/board_process.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMostRequests = 100000;  // whatever the machine's speed, the run stops by itself

// Processor seconds of the board and of the checkers it has waited for.
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  std::vector<std::string> fields;
  size_t at = text.rfind(')') + 2;
  for (size_t next; (next = text.find(' ', at)) != std::string::npos; at = next + 1) {
    fields.push_back(text.substr(at, next - at));
  }
  // After the name: state is field 3, utime 14, stime 15, cutime 16, cstime 17.
  double ticks = 0;
  for (int f = 14; f <= 17; ++f) ticks += std::stod(fields.at(static_cast<size_t>(f - 3)));
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The nth submission: mostly real games, each another one, and every kind of refusal.
std::pair<std::string, std::string> Submission(int n) {
  static const std::string damaged = [] {
    std::string link = FirstGameLink();
    link[40] = link[40] == 'A' ? 'B' : 'A';
    return link;
  }();
  static const std::string forged = [] {
    Recording game;
    std::string error;
    DecodeLink(FirstGameLink(), &game, &error);
    game.end.score += 100;
    return EncodeLink(game);
  }();
  static const std::string later = [] {
    Recording game;
    std::string error;
    DecodeLink(FirstGameLink(), &game, &error);
    game.draws = 4321;
    return EncodeLink(game);
  }();
  const int real = n / 20 * 14 + n % 20;  // 14 in 20 are real games
  switch (n % 20) {
    case 14:
      return {"dented", damaged};
    case 15:
      return {"forger", forged};
    case 16:
      return {"later", later};
    case 17:
      return {std::string(1000, '<'), Variant(real % 730, 100)};
    case 18:
      return {"bell\a", Variant(real % 730, 100)};
    case 19:
      return {"<script>alert(1)</script>", "{"};
    default:
      return {"<b>player</b> " + std::to_string(n % 7), Variant(real % 730, 33 + real / 730)};
  }
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(p * values.size()))];
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: board_load sqlite|postgres SECONDS CLIENTS\n");
    return 2;
  }
  const std::string kind = argv[1];
  const int seconds = std::atoi(argv[2]), clients = std::atoi(argv[3]);
  Postgres postgres;
  std::string db = "board_load.sqlite";
  if (kind == "postgres") {
    postgres = StartPostgres();
    if (postgres.url.empty()) {
      std::printf("board_load: skipped: no PostgreSQL: %s\n", postgres.why.c_str());
      return 77;
    }
    db = FreshDatabase(postgres, "load");
  } else {
    for (const char* end : {"", "-wal", "-shm"}) std::remove((db + end).c_str());
  }
  FirstGameLink();  // made once, before the clock starts
  BoardProcess board;
  if (!StartBoard(db, {}, &board)) {
    std::printf("board_load: the board did not start on %s\n", kind.c_str());
    StopPostgres(&postgres);
    return 1;
  }

  std::atomic<int> next{0};
  std::mutex mutex;
  std::map<int, int> statuses;
  std::vector<double> latencies, rankedLatencies;
  std::set<int64_t> acknowledged;
  const double cpuBefore = CpuSeconds(board.pid);
  const auto start = Clock::now(), end = start + std::chrono::seconds(seconds);
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&] {
      for (int n; Clock::now() < end && (n = next++) < kMostRequests;) {
        auto client = ClientFrom(board.url, n / 10);
        const auto [name, game] = Submission(n);
        const auto sent = Clock::now();
        const auto result = Submit(client, name, game);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
        std::lock_guard<std::mutex> hold(mutex);
        const int status = result ? result->status : 0;
        ++statuses[status];
        latencies.push_back(ms);
        if (status == 201) {
          rankedLatencies.push_back(ms);
          acknowledged.insert(nlohmann::json::parse(result->body)["id"].get<int64_t>());
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = CpuSeconds(board.pid) - cpuBefore;

  // The board holds exactly the games that got 201: every id up to past the last is looked up.
  auto reader = ClientFrom(board.url, 0);
  std::set<int64_t> held;
  const int64_t last = acknowledged.empty() ? 0 : *acknowledged.rbegin();
  for (int64_t id = 1; id <= last + 50; ++id) {
    const auto result = reader.Get("/api/scores/" + std::to_string(id));
    if (result && result->status == 200) held.insert(id);
  }
  StopBoard(&board, SIGTERM);
  StopPostgres(&postgres);

  std::printf("board_load: %s, %d s, %d clients: %zu submissions, %.1f a second\n", kind.c_str(),
              seconds, clients, latencies.size(), static_cast<double>(latencies.size()) / elapsed);
  std::printf("  statuses:");
  for (const auto& [status, count] : statuses) std::printf(" %d: %d", status, count);
  std::printf("\n  latency: p50 %.1f ms, p99 %.1f ms; of the 201s: p50 %.1f ms, p99 %.1f ms\n",
              Percentile(latencies, 0.5), Percentile(latencies, 0.99),
              Percentile(rankedLatencies, 0.5), Percentile(rankedLatencies, 0.99));
  std::printf("  board and checkers: %.1f processor seconds, %.0f%% of a core\n", cpu,
              100 * cpu / elapsed);
  const bool exact = held == acknowledged;
  std::printf("  the board holds %zu entries: %s the %zu games that got 201\n", held.size(),
              exact ? "exactly" : "NOT", acknowledged.size());
  // Every submission is answered, and none with a fault of the board's own.
  const bool answered = statuses.count(0) == 0 && statuses.count(500) == 0;
  return exact && answered && !acknowledged.empty() ? 0 : 1;
}
