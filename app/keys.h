// Key symbols as the game knows them, from an SDL that numbers some keys its own way.
#pragma once

// The browser's SDL numbers the arrows after SDL 2's scancodes (1103 to 1106: right, left,
// down, up); the game knows them as SDL 1.2 does (273 to 276). Every other key is the same.
int KeyFromBrowser(int sym);
