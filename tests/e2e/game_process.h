// The real driftbeam binary under test: started as a player would start it, found on the
// display, driven with real key events through the X server, captured, and always ended.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>
#include <vector>

struct Pixel {
  unsigned char r, g, b;
};

// One capture of the window, 640 x 480, rows from the top of the window.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;

  // (x, y) in the game's own coordinates: y grows upward from the bottom edge.
  const Pixel& At(int x, int y) const { return pixels[(height - 1 - y) * width + x]; }
  // Pixels in [x0, x1) x [y0, y1), game coordinates, that pass the test.
  template <typename Test>
  int Count(int x0, int y0, int x1, int y1, Test test) const {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) n += test(At(x, y)) ? 1 : 0;
    }
    return n;
  }
};

class GameProcess {
 public:
  // Starts the binary with the given environment changes ("NAME=value", or "NAME" alone to
  // remove it); standard error is kept.
  explicit GameProcess(const std::vector<std::string>& environment = {});
  ~GameProcess();  // kills the game if it still runs, and closes the display
  GameProcess(const GameProcess&) = delete;
  GameProcess& operator=(const GameProcess&) = delete;

  // Waits for the window titled "driftbeam" and gives it the keyboard focus.
  bool FindWindow(double timeoutSeconds);

  void Press(const char* key);  // an X keysym name: "Up", "z", "Escape"...
  void Release(const char* key);
  // Sends the close request that a window manager sends when the player closes the window.
  void RequestClose();

  Capture Grab() const;

  // Waits for the process to end; false on time-out. Fills its wait status.
  bool WaitForExit(double timeoutSeconds, int* status);
  bool Running();
  std::string StandardError() const;

 private:
  pid_t pid_ = -1;
  int stderrFd_ = -1;
  Display* display_ = nullptr;
  Window window_ = 0;
  bool exited_ = false;
};

// Seconds on a monotonic clock.
double Now();
void Sleep(double seconds);
