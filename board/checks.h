// The checks of submitted games: each replayed by driftbeam-board-check in a process of its
// own (the world is global, one game to a process), a worker per core at most, and a bounded
// queue of checks waiting for one. The server's threads only hand text over and read back.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

struct Checks {
  std::string program;  // the checker's path
  int workers;          // checks run at once
  int queue;            // checks that may wait for a worker
  std::mutex mutex;
  std::condition_variable freed;
  int running = 0;
  int waiting = 0;
};

enum class CheckRun {
  kDone,    // *output holds what the checker said
  kBusy,    // every worker was busy and the queue full: nothing ran
  kKilled,  // the checker was stopped: its processor time ran out, or it hung
  kFailed,  // the checker could not be started, or failed
};

// Runs the checker with one argument on the text, waiting for a worker if the queue has room.
CheckRun RunCheck(Checks* checks, const char* mode, const std::string& text, std::string* output);
