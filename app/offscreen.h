// An OpenGL context with no window and no display, for drawing frames that no one watches:
// EGL on Mesa's surfaceless platform, the picture in a framebuffer object. The only EGL in
// the game.
#pragma once

#include <cstdint>
#include <string>

// Makes a context current with a width x height picture to draw into, black. On failure
// returns false with what is missing in *error, and nothing stays open.
bool OpenOffscreen(int width, int height, std::string* error);

// The picture as drawn so far: RGBA, rows from the bottom up, width x height x 4 bytes.
void ReadOffscreen(uint8_t* rgba);

// Lets the context and its picture go.
void CloseOffscreen();
