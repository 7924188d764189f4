#include "tests/board/board_process.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "board/prove.h"
#include "demo/link.h"
#include "game/world.h"

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

namespace {

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace

bool StartBoard(const std::string& db, const std::vector<std::string>& extra, BoardProcess* board) {
  int out[2];
  if (pipe(out) != 0) return false;
  std::vector<std::string> args = {BOARD_BINARY, "--db", db, "--listen", "127.0.0.1:0"};
  args.insert(args.end(), extra.begin(), extra.end());
  board->pid = fork();
  if (board->pid == 0) {
    // A test that dies takes its board with it, rather than leave it serving for ever.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(out[1], 1);
    close(out[0]);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  // "driftbeam-board: http://127.0.0.1:PORT/board on ...": the first line says where.
  std::string line;
  char c;
  while (line.find('\n') == std::string::npos && read(out[0], &c, 1) == 1) line += c;
  close(out[0]);
  const size_t from = line.find("http://"), to = line.find("/board");
  if (from == std::string::npos || to == std::string::npos) {
    StopBoard(board, SIGKILL);
    return false;
  }
  board->url = line.substr(from, to - from);
  return true;
}

void StopBoard(BoardProcess* board, int signal) {
  if (board->pid <= 0) return;
  kill(board->pid, signal);
  waitpid(board->pid, nullptr, 0);
  board->pid = -1;
}

Postgres StartPostgres() {
  Postgres postgres;
  char dir[] = "/tmp/driftbeam-postgres-XXXXXX";
  if (mkdtemp(dir) == nullptr) {
    postgres.why = "no temporary folder";
    return postgres;
  }
  postgres.dir = dir;
  // A port of its own, away from the machine's own server and from another test run's.
  const int port = 20000 + getpid() % 20000;
  const std::string script = std::string(BOARD_TEST_DIR) + "/postgres.sh";
  postgres.url = Output(script + " start " + postgres.dir + " " + std::to_string(port) + " " +
                        std::to_string(getpid()) + " 2>&1");
  if (postgres.url.rfind("postgresql://", 0) != 0) {
    postgres.why = postgres.url.empty() ? "PostgreSQL did not start" : postgres.url;
    postgres.url.clear();
  }
  return postgres;
}

void StopPostgres(Postgres* postgres) {
  if (postgres->dir.empty()) return;
  Output(std::string(BOARD_TEST_DIR) + "/postgres.sh stop " + postgres->dir);
  postgres->dir.clear();
}

std::string FreshDatabase(const Postgres& postgres, const std::string& name) {
  const std::string bin = Output("ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1");
  const std::string host = postgres.url.substr(0, postgres.url.rfind('/'));
  Output(bin + "/psql -q '" + postgres.url + "' -c 'DROP DATABASE IF EXISTS " + name +
         "' -c 'CREATE DATABASE " + name + "' 2>&1");
  return host + "/" + name;
}

httplib::Client ClientFrom(const std::string& url, int n) {
  httplib::Client client(url);
  client.set_interface("127.1." + std::to_string(n / 200) + "." + std::to_string(n % 200 + 1));
  client.set_read_timeout(60);
  return client;
}

httplib::Result Submit(httplib::Client& client, const std::string& name, const std::string& game) {
  return client.Post("/api/scores", nlohmann::json({{"name", name}, {"game", game}}).dump(),
                     "application/json");
}

std::string OrdinaryText() {
  return Slurp(std::string(DEMO_TEST_DIR) + "/ordinary.rec");
}

std::string FirstGameLink() {
  static const std::string link = [] {
    Recording session;
    Proof proof;
    ReadGame(OrdinaryText(), &session, &proof);
    proof = ProveGame(session);
    FreeWorld();
    return EncodeLink(proof.game);
  }();
  return link;
}

std::string Variant(int step, int sym) {
  Recording game;
  std::string error;
  DecodeLink(FirstGameLink(), &game, &error);
  size_t at = 0;
  while (at < game.keys.size() && game.keys[at].step <= step) ++at;
  game.keys.insert(game.keys.begin() + static_cast<long>(at), KeyRecord{step, false, sym});
  return EncodeLink(game);
}
