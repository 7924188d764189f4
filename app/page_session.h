// The page's own play, written down as the desktop's --record writes it, in the page's memory:
// each game that ends is offered as a link, and the session as a file. Nothing of it leaves
// the page unless the player asks.
#pragma once

constexpr int kKeyShare = 115;  // s, after "game over": the game as a link
constexpr int kKeySave = 102;   // f, after "game over": the session as a file

// A new session and a new game in it, from where the page's own play stood (the random
// sequence and the best score) when its last session ended: a replay watched in between
// changes neither.
void StartPageSession();

// Writes the closing record. The file stays, to be saved, until the next session starts.
void EndPageSession();

// A key for the game, written down before the game hears it. After "game over" s and f are
// the page's, and neither they nor their releases reach the game or the file.
void PageSessionKey(bool down, int sym);

// After a stop that followed "game over", s and f still share and save what the page offers:
// true where `sym` is one of them, told to the page's script.
bool PageSessionOfferKey(int sym);

// One step of the world, written down; a game that ends in it is told to the page's script
// with its link.
void PageSessionStep();

// For the page's script: the session as a file, closed where it stands while it goes on; empty
// when there is none or it could not be kept whole.
extern "C" const char* PageSessionFile();
