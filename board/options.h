// The board's command line: one plain record that start-up reads.
#pragma once

#include <string>

struct BoardOptions {
  std::string db = "board.sqlite";  // an SQLite file, or a postgresql:// URL
  std::string host = "127.0.0.1";   // the address to listen on
  int port = 8080;                  // 0: any free port, printed once listening
  std::string page;                 // the game's page served at /, if any
  int workers = 0;                  // checks at once; 0: one per core
  int queue = 0;                    // checks that may wait; 0: eight per worker
  bool help = false;
  bool version = false;
};

// Fills *options from the arguments; false, with *error naming the problem, on a bad one.
bool ParseBoardOptions(int argc, char* argv[], BoardOptions* options, std::string* error);

extern const char kBoardUsage[];
