// A game as a link: the text after '#' in the page's address, holding one game's keys from its
// first step and its closing checkpoint, with where the random sequence and the best score
// stood as it began. Another encoding of a recording, checked as exactly as a file.
#pragma once

#include <cstdint>
#include <string>

#include "demo/recording.h"

constexpr int64_t kMostLinkSteps = 180000;   // 30 minutes of play: a longer game is no link
constexpr size_t kMostLinkLength = 1 << 18;  // characters: past 30 minutes of the busiest play

// Where one game of a session began, and once it has ended, the world then.
struct GameMark {
  int64_t firstStep;  // steps of the session run before its first step
  uint64_t draws;     // random draws taken before it
  int best;           // the best score shown as it began
  size_t firstKey;    // the first of the session's keys that belongs to it
  bool ended;         // its ship was hit
  Checkpoint end;     // the world after its last step, with the session's step count
};

// One game of a session, cut out of the session's recording: its keys from its first step up
// to its end, counted from its first step, and its closing checkpoint as the only one.
Recording GameOfSession(const Recording& session, const GameMark& mark);

// The link text (without '#') of one ended game, as GameOfSession gives it.
std::string EncodeLink(const Recording& game);

// Reads a link: a whole address, or only what follows its '#'. False, with *error saying why
// in a few words: not a link to a game, damaged, or longer than 30 minutes of play.
bool DecodeLink(const std::string& text, Recording* game, std::string* error);

// Whether an argument names a link rather than a file: an address, or text after a '#'.
bool LooksLikeLink(const std::string& argument);

// What --check and --replay take: a recording's file, or a link (an address, the text after
// its '#', or that text alone where no file has the name). *name is what messages call it:
// the file's path, or "link". False, with *error, as LoadRecording and DecodeLink say.
bool LoadGame(const std::string& argument, Recording* recording, std::string* name,
              std::string* error);
