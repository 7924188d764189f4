#include "app/offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>

namespace {

struct Offscreen {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  GLuint framebuffer = 0;
  GLuint colour = 0;  // the renderbuffer the picture is drawn into
  int width = 0;
  int height = 0;
};
Offscreen g_offscreen;

// Past OpenGL 1.1 the functions are the driver's to hand out, not the library's to export.
PFNGLGENFRAMEBUFFERSPROC g_genFramebuffers;
PFNGLBINDFRAMEBUFFERPROC g_bindFramebuffer;
PFNGLDELETEFRAMEBUFFERSPROC g_deleteFramebuffers;
PFNGLGENRENDERBUFFERSPROC g_genRenderbuffers;
PFNGLBINDRENDERBUFFERPROC g_bindRenderbuffer;
PFNGLDELETERENDERBUFFERSPROC g_deleteRenderbuffers;
PFNGLRENDERBUFFERSTORAGEPROC g_renderbufferStorage;
PFNGLFRAMEBUFFERRENDERBUFFERPROC g_framebufferRenderbuffer;
PFNGLCHECKFRAMEBUFFERSTATUSPROC g_checkFramebufferStatus;

template <typename F>
bool Find(const char* name, F* function) {
  *function = reinterpret_cast<F>(eglGetProcAddress(name));
  return *function != nullptr;
}

bool FindFramebufferFunctions() {
  return Find("glGenFramebuffers", &g_genFramebuffers) &&
         Find("glBindFramebuffer", &g_bindFramebuffer) &&
         Find("glDeleteFramebuffers", &g_deleteFramebuffers) &&
         Find("glGenRenderbuffers", &g_genRenderbuffers) &&
         Find("glBindRenderbuffer", &g_bindRenderbuffer) &&
         Find("glDeleteRenderbuffers", &g_deleteRenderbuffers) &&
         Find("glRenderbufferStorage", &g_renderbufferStorage) &&
         Find("glFramebufferRenderbuffer", &g_framebufferRenderbuffer) &&
         Find("glCheckFramebufferStatus", &g_checkFramebufferStatus);
}

bool Fail(const std::string& why, std::string* error) {
  *error = "no offscreen OpenGL context: " + why;
  CloseOffscreen();
  return false;
}

}  // namespace

bool OpenOffscreen(int width, int height, std::string* error) {
  Offscreen& o = g_offscreen;
  // Mesa says what it could not load on lines of its own; the one line that says why there
  // is no video is ours.
  setenv("EGL_LOG_LEVEL", "fatal", 0);
  // The surfaceless platform needs no display, no window system and no device: Mesa draws
  // in software where nothing else is there.
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay == nullptr) return Fail("EGL cannot choose a platform", error);
  o.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  EGLint major = 0, minor = 0;
  if (o.display == EGL_NO_DISPLAY || eglInitialize(o.display, &major, &minor) != EGL_TRUE) {
    o.display = EGL_NO_DISPLAY;
    return Fail("Mesa's EGL cannot start on its surfaceless platform", error);
  }
  // The game draws in OpenGL 1.1's immediate mode: a compatibility context, no config and
  // no surface, since the picture lives in a framebuffer object.
  if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) return Fail("EGL offers no desktop OpenGL", error);
  o.context = eglCreateContext(o.display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
  if (o.context == EGL_NO_CONTEXT) return Fail("EGL cannot create a context", error);
  if (eglMakeCurrent(o.display, EGL_NO_SURFACE, EGL_NO_SURFACE, o.context) != EGL_TRUE) {
    return Fail("EGL cannot make a context without a surface current", error);
  }
  if (!FindFramebufferFunctions()) return Fail("OpenGL has no framebuffer objects", error);
  g_genFramebuffers(1, &o.framebuffer);
  g_bindFramebuffer(GL_FRAMEBUFFER, o.framebuffer);
  g_genRenderbuffers(1, &o.colour);
  g_bindRenderbuffer(GL_RENDERBUFFER, o.colour);
  g_renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  g_framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, o.colour);
  if (g_checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    return Fail("a " + std::to_string(width) + "x" + std::to_string(height) +
                    " picture does not fit in a framebuffer object",
                error);
  }
  o.width = width;
  o.height = height;
  glViewport(0, 0, width, height);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  return true;
}

void ReadOffscreen(uint8_t* rgba) {
  // Rows packed tight, whatever the width.
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, g_offscreen.width, g_offscreen.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void CloseOffscreen() {
  Offscreen& o = g_offscreen;
  if (o.framebuffer != 0) g_deleteFramebuffers(1, &o.framebuffer);
  if (o.colour != 0) g_deleteRenderbuffers(1, &o.colour);
  if (o.display != EGL_NO_DISPLAY) {
    eglMakeCurrent(o.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (o.context != EGL_NO_CONTEXT) eglDestroyContext(o.display, o.context);
    eglTerminate(o.display);
  }
  o = Offscreen();
}
