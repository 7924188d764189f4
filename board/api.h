// The board's HTTP interface (docs/board-api.md): submissions checked before they rank, the
// ranked list, one entry, its recording, and the board's own page.
#pragma once

#include <httplib.h>

#include "board/checks.h"
#include "board/rate.h"
#include "board/store.h"

struct Board {
  Store* store;
  Checks* checks;
  Buckets* buckets;  // submissions from one address
  Buckets* files;    // recording files made for one address: each is a replay on a checker
};

// Puts the board's routes on the server.
void ServeBoard(httplib::Server* server, Board* board);
