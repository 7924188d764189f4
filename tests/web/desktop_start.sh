#!/bin/sh
# The desktop game's picture half a second after start-up, before the first wave, captured
# on a virtual display of its own: what the page's HUD is held against.
#   desktop_start.sh BINARY OUTPUT.png
set -eu
if [ -z "${DRIFTBEAM_ON_XVFB:-}" ]; then
  exec env DRIFTBEAM_ON_XVFB=1 xvfb-run -a -s "-noreset -screen 0 640x480x24" "$0" "$@"
fi

tries=0
until xdpyinfo >/dev/null 2>&1; do
  tries=$((tries + 1))
  [ "$tries" -lt 50 ] || { echo "desktop_start: the X display never came up" >&2; exit 1; }
  sleep 0.1
done

LIBGL_ALWAYS_SOFTWARE=1 SDL_VIDEODRIVER=x11 "$1" &
game=$!
trap 'kill "$game" 2>/dev/null || true; wait "$game" 2>/dev/null || true' EXIT
tries=0
until xwininfo -name driftbeam >/dev/null 2>&1; do
  tries=$((tries + 1))
  [ "$tries" -lt 100 ] || { echo "desktop_start: the game's window never came up" >&2; exit 1; }
  sleep 0.05
done
sleep 0.5
# No window manager: the window sits at the screen's corner and fills it.
import -window root "png:$2"
