// Watching a recording in the page: a link, or a file dropped on the page or chosen, played
// back as --replay plays it, at the game's speed or faster or slower at the player's word,
// with the check's verdict at its end.
#pragma once

#include <string>

constexpr int kMostFaster = 3;  // doublings of the game's speed: 8 times at most
constexpr int kMostSlower = 2;  // halvings: a quarter of it at least

// Reads a link (a whole address, or what follows its '#') or a file in the page's memory
// (`name` is what messages call it) and readies it to be watched. False, with *line saying
// why in one line, and nothing else changed: not a recording, damaged, too long, or made by
// 1.0.0, whose maths only glibc computes.
bool ReadyLink(const char* text, std::string* line);
bool ReadyFile(const char* path, const char* name, std::string* line);

// Starts what was last readied, in place of any game, at the game's speed.
void StartPageReplay();

// A key while watching: the right arrow doubles the pace, the left one halves it. Nothing
// reaches the game.
void PageReplayKey(int sym);

// One step of the loop: as many of the replay's steps as the pace asks (none, now and then,
// when slower), and a frame; at its end the verdict, once.
void PageReplayStep();

// Whether the replay still runs, for a pause to stop it.
bool PageReplayRunning();
