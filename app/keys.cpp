#include "app/keys.h"

#include "game/player.h"

namespace {

constexpr int kBrowserRight = 1103;
constexpr int kBrowserLeft = 1104;
constexpr int kBrowserDown = 1105;
constexpr int kBrowserUp = 1106;

}  // namespace

int KeyFromBrowser(int sym) {
  switch (sym) {
    case kBrowserRight:
      return kKeyRight;
    case kBrowserLeft:
      return kKeyLeft;
    case kBrowserDown:
      return kKeyDown;
    case kBrowserUp:
      return kKeyUp;
    default:
      return sym;
  }
}
