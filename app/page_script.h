// What the game tells the page's own script (web/links.js), which keeps the lines and buttons
// around the canvas: a game that ended and its link, a replay begun, its pace and its verdict.
#pragma once

#include <string>

// One event for the page's script: its name, a text, and up to two numbers.
void TellPage(const char* event, const std::string& text, int a = 0, int b = 0);
