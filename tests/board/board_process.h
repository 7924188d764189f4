// What the board's tests and its load run share: a board started as a process of its own on
// a loopback port, a PostgreSQL of their own, the games they submit, and a client that
// speaks for any loopback address (the board counts submissions per address).
#pragma once

#include <httplib.h>
#include <sys/types.h>

#include <string>
#include <vector>

struct BoardProcess {
  pid_t pid = -1;
  std::string url;  // http://127.0.0.1:PORT
};

// Starts the board in build/ on `db` with a free port; false if it did not say where it
// listens within ten seconds.
bool StartBoard(const std::string& db, const std::vector<std::string>& extra, BoardProcess* board);
// Ends it with the signal and waits for it.
void StopBoard(BoardProcess* board, int signal);

// A PostgreSQL cluster in a temporary folder; url empty, with why, where there is none.
struct Postgres {
  std::string dir;
  std::string url;
  std::string why;
};
Postgres StartPostgres();
void StopPostgres(Postgres* postgres);
// An empty database of the cluster, named after a test.
std::string FreshDatabase(const Postgres& postgres, const std::string& name);

// A client of the board whose requests come from a loopback address of its own for each n
// (127.1.0.1 for 0, and so on: the whole of 127.0.0.0/8 is this machine).
httplib::Client ClientFrom(const std::string& url, int n);
// POST /api/scores with the name and the game.
httplib::Result Submit(httplib::Client& client, const std::string& name, const std::string& game);

// Games from the kept recordings: the ordinary session's text, the link of its first game, and
// that game again with a key that changes nothing (an unused key let go at `step`), so that
// each variant is another game with the same score.
std::string OrdinaryText();
std::string Slurp(const std::string& path);
std::string FirstGameLink();
std::string Variant(int step, int sym);
