// The built-in stroke font: 79 glyphs compiled once into OpenGL display lists.
#pragma once

extern unsigned int g_fontListBase;  // display list of glyph 0; glyph i is g_fontListBase + i

// Compiles the 79 glyph lists. Needs a current OpenGL context; call once at start-up.
void BuildFont();
