// The frame half of the benchmark: the game's window and RenderFrame on a real context.
#pragma once

// Opens the game's 640x480 OpenGL window as the game does; false without a display.
bool OpenWindow();

// Draws one frame of the current world and waits until it is on the screen; milliseconds.
double TimeFrame();

// Closes the window and shuts SDL down.
void CloseWindow();
