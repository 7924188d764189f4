// The body of a submission, POST /api/scores: a player's name and a game, read before
// anything else looks at it.
#pragma once

#include <cstddef>
#include <string>

// More than 30 minutes of the busiest play as a recording's text inside JSON (the deep game's
// 108 s take 48 KB); a longer body is refused before it is read whole.
constexpr size_t kMostBodyBytes = 1 << 20;
constexpr int kMostNameCharacters = 20;

struct Submission {
  std::string name;  // 1 to 20 printable characters, UTF-8
  std::string game;  // a link, its fragment, or a recording's text, as yet unread
};

// Reads {"name": "...", "game": "..."}. False, with *error saying what is wrong in a few
// words: not JSON, a field missing, or a name empty, too long or with a character that does
// not print.
bool ReadSubmission(const std::string& body, Submission* submission, std::string* error);
