// Preloaded into the game, this stands in for the desktops whose buffer swap loses the
// picture (a page flip, a ring of back buffers): after every SDL_GL_SwapBuffers the whole
// back buffer is filled with magenta, and GLX reports GLX_EXT_buffer_age with an age of 2.
#include <GL/gl.h>
#include <GL/glx.h>
#include <dlfcn.h>

#include <string>

namespace {

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

void SDL_GL_SwapBuffers() {
  static const auto swap = Next<void (*)()>("SDL_GL_SwapBuffers");
  swap();
  // Left as a careless driver would leave it: scissor off, the clear colour changed.
  glDisable(GL_SCISSOR_TEST);
  glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

const char* glXQueryExtensionsString(Display* display, int screen) {
  static const auto query = Next<const char* (*)(Display*, int)>("glXQueryExtensionsString");
  static std::string list;
  list = std::string(query(display, screen)) + " GLX_EXT_buffer_age";
  return list.c_str();
}

void glXQueryDrawable(Display* display, GLXDrawable drawable, int attribute, unsigned* value) {
  static const auto query =
      Next<void (*)(Display*, GLXDrawable, int, unsigned*)>("glXQueryDrawable");
  if (attribute == 0x20F4) {  // GLX_BACK_BUFFER_AGE_EXT
    *value = 2;
    return;
  }
  query(display, drawable, attribute, value);
}
}
