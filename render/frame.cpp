#include "render/frame.h"

#include <SDL.h>

void RenderFrame() { SDL_GL_SwapBuffers(); }
