#include "app/buffer_age.h"

#include <GL/glx.h>

#include "render/present.h"

#ifndef GLX_BACK_BUFFER_AGE_EXT
#define GLX_BACK_BUFFER_AGE_EXT 0x20F4
#endif

int BackBufferAge() {
  Display* display = glXGetCurrentDisplay();
  const GLXDrawable drawable = glXGetCurrentDrawable();
  if (display == nullptr || drawable == 0) return -1;
  const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
  if (extensions == nullptr || !HasExtension(extensions, "GLX_EXT_buffer_age")) return -1;
  unsigned int age = 0;
  glXQueryDrawable(display, drawable, GLX_BACK_BUFFER_AGE_EXT, &age);
  return static_cast<int>(age);
}
