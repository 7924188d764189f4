#include "tests/e2e/game_process.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#ifndef DRIFTBEAM_BINARY
#error "DRIFTBEAM_BINARY must name the game binary"
#endif

double Now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

void Sleep(double seconds) {
  timespec ts;
  ts.tv_sec = static_cast<time_t>(seconds);
  ts.tv_nsec = static_cast<long>((seconds - ts.tv_sec) * 1e9);
  nanosleep(&ts, nullptr);
}

GameProcess::GameProcess(const std::vector<std::string>& environment) {
  // A display that xvfb-run has just started may refuse the first connections for a moment;
  // the game is started only once the display takes ours.
  for (int attempt = 0; attempt < 50 && display_ == nullptr; ++attempt) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) Sleep(0.1);
  }
  char path[] = "/tmp/driftbeam-e2e-stderr-XXXXXX";
  stderrFd_ = mkstemp(path);
  unlink(path);
  pid_ = fork();
  if (pid_ == 0) {
    for (const std::string& e : environment) {
      const size_t eq = e.find('=');
      if (eq == std::string::npos) {
        unsetenv(e.c_str());
      } else {
        setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
      }
    }
    dup2(stderrFd_, STDERR_FILENO);
    // A crash shows in the wait status as a signal; it need not leave a core file behind.
    const rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    execl(DRIFTBEAM_BINARY, DRIFTBEAM_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
}

GameProcess::~GameProcess() {
  if (pid_ > 0 && !exited_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (display_ != nullptr) XCloseDisplay(display_);
  if (stderrFd_ >= 0) close(stderrFd_);
}

namespace {

// Errors from a window that goes away while we look at it are expected; ignore them.
int IgnoreXErrors(Display*, XErrorEvent*) {
  return 0;
}

Window FindByName(Display* display, Window root, const char* name) {
  Window parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    char* title = nullptr;
    if (XFetchName(display, children[i], &title) && title != nullptr) {
      if (std::strcmp(title, name) == 0) found = children[i];
      XFree(title);
    }
    if (found == 0) found = FindByName(display, children[i], name);
  }
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace

bool GameProcess::FindWindow(double timeoutSeconds) {
  if (display_ == nullptr) return false;
  XSetErrorHandler(IgnoreXErrors);
  const double end = Now() + timeoutSeconds;
  while (Now() < end) {
    window_ = FindByName(display_, DefaultRootWindow(display_), "driftbeam");
    XWindowAttributes a;
    if (window_ != 0 && XGetWindowAttributes(display_, window_, &a) && a.map_state == IsViewable) {
      // No window manager runs here, so the test hands the keyboard to the game itself.
      XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
      XSync(display_, False);
      return true;
    }
    Sleep(0.05);
  }
  return false;
}

namespace {

void SendKey(Display* display, const char* key, bool down) {
  const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(key));
  XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
  XSync(display, False);
}

}  // namespace

void GameProcess::Press(const char* key) {
  SendKey(display_, key, true);
}
void GameProcess::Release(const char* key) {
  SendKey(display_, key, false);
}

void GameProcess::RequestClose() {
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = window_;
  e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window_, False, NoEventMask, &e);
  XSync(display_, False);
}

Capture GameProcess::Grab() const {
  Capture c;
  XWindowAttributes a;
  if (!XGetWindowAttributes(display_, window_, &a)) return c;
  XImage* image = XGetImage(display_, window_, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
  if (image == nullptr) return c;
  c.width = a.width;
  c.height = a.height;
  c.pixels.resize(static_cast<size_t>(a.width) * a.height);
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      c.pixels[y * a.width + x] = {static_cast<unsigned char>((p & image->red_mask) >> 16),
                                   static_cast<unsigned char>((p & image->green_mask) >> 8),
                                   static_cast<unsigned char>(p & image->blue_mask)};
    }
  }
  XDestroyImage(image);
  return c;
}

bool GameProcess::WaitForExit(double timeoutSeconds, int* status) {
  const double end = Now() + timeoutSeconds;
  for (;;) {
    const pid_t r = waitpid(pid_, status, WNOHANG);
    if (r == pid_) {
      exited_ = true;
      return true;
    }
    if (Now() >= end) return false;
    Sleep(0.01);
  }
}

bool GameProcess::Running() {
  int status;
  if (exited_) return false;
  if (waitpid(pid_, &status, WNOHANG) == pid_) exited_ = true;
  return !exited_;
}

std::string GameProcess::StandardError() const {
  std::string text;
  char buffer[512];
  for (off_t at = 0;;) {
    const ssize_t n = pread(stderrFd_, buffer, sizeof buffer, at);
    if (n <= 0) break;
    text.append(buffer, n);
    at += n;
  }
  return text;
}
