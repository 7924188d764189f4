#!/bin/sh
# The real game under Xvfb, driven with real key events (xdotool) and judged by captures of
# what it shows (import, convert), and by what it sends SDL's disk audio driver. Every other
# check runs with the dummy audio driver, which plays nothing. Each check runs on a display
# of its own:
#   xvfb-run -a -s "-screen 0 WxHx24" e2e.sh BINARY CHECK LOST_SWAP_LIBRARY CLOSE_WINDOW
# The library, preloaded into the game by the checks named lost-swap-*, stands in for a
# desktop whose buffer swap loses the picture; the program asks a window to close.
set -eu
game=$1
check=$2
preload=""
closer=${4:-}
case $check in lost-swap-*) preload=$3 ;; esac
work=$(mktemp -d)
pid=""
cleanup() {
  [ -z "$pid" ] || { kill -9 "$pid" 2>/dev/null && wait "$pid"; } || true
  [ ! -d "$work/fs" ] || umount "$work/fs" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM
fail() {
  echo "e2e $check: $*" >&2
  exit 1
}

# A display just handed over by xvfb-run may refuse the first connections for a moment.
tries=0
until [ -z "${DISPLAY:-}" ] || xdpyinfo >/dev/null 2>&1; do
  tries=$((tries + 1))
  [ "$tries" -lt 50 ] || fail "the X display never came up"
  sleep 0.1
done

# Starts the game with these arguments and waits for its window, which gets the keyboard:
# no window manager runs here to hand it over.
start() {
  LD_PRELOAD=$preload "$game" "$@" 2>"$work/stderr" &
  pid=$!
  win=$(timeout 10 xdotool search --sync --onlyvisible --name '^driftbeam$' | head -n 1) ||
    fail "no window; stderr: $(cat "$work/stderr")"
  xdotool windowfocus --sync "$win"
  sleep 0.5
}

# The window (or with "root", the screen) as a PNG, and its size.
grab() {
  import -window "${1:-$win}" "png:$work/shot.png"
  size=$(identify -format '%w %h' "$work/shot.png")
}

# How many pixels of the last capture within the box (x0 y0 x1 y1, half-open, y up from the
# bottom edge as the game counts) have this colour, give or take 1 in each channel (or the
# fuzz given).
count() {
  colour=$1 x0=$2 y0=$3 x1=$4 y1=$5
  height=${size#* }
  convert "$work/shot.png" -crop "$((x1 - x0))x$((y1 - y0))+$x0+$((height - y1))" +repage \
    -fuzz "${6:-0.5%}" -fill white -opaque "$colour" -fill black +opaque white \
    -format '%[fx:round(mean*w*h)]' info:
}

# The HUD's opaque green; the ship, the beam and a full laser as they settle, redrawn over
# their trails.
green='rgb(51,255,51)' ship='rgb(0,226,0)' laser='rgb(174,0,87)' magenta='rgb(255,0,255)'
beam='rgb(0,0,255)'

# The energy bar's length: its middle row from x 120, where a full bar ends at 220.
energy() { count "$green" 120 10 240 11; }

# Left alone, the ship is caught by the first waves within some ten seconds; a busy machine
# runs the game slower.
wait_for_game_over() {
  for _ in $(seq 240); do
    grab
    [ "$(count 'rgb(255,0,0)' 128 270 512 350)" -gt 200 ] && return 0
    sleep 0.25
  done
  fail "no \"game over\" within 60 s"
}

# Ends the game with Escape, or with the window's close button; it must quit at once with
# status 0, or the one given.
quit() {
  if [ "${1:-}" = close ]; then "$closer" "$win"; else xdotool key Escape; fi
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "still running a second after ${1:-Escape}"
  status=0 && wait "$pid" || status=$?
  [ "$status" = "${2:-0}" ] || fail "exit status $status after ${1:-Escape}"
  pid=""
}

# Waits up to 5 s for the game to say why it stopped recording, while it plays on: z still
# drains the energy bar. The line must name the file, the real cause ($2) and the last step
# the file holds ($3).
recording_stops() {
  for _ in $(seq 50); do
    [ -s "$work/stderr" ] && break
    sleep 0.1
  done
  grep -qx "driftbeam: $1: cannot be written: $2; the game goes on, recorded up to step $3" \
    "$work/stderr" || fail "no word of the failure: $(cat "$work/stderr")"
  xdotool keydown z sleep 0.4
  grab
  [ "$(energy)" -lt 90 ] || fail "the game stopped with the recording"
  xdotool keyup z
  quit Escape 1
  [ "$(wc -l <"$work/stderr")" = 1 ] || fail "more than one line: $(cat "$work/stderr")"
}

case $check in
  options-without-display)
    unset DISPLAY
    [ "$("$game" --version)" = "driftbeam 1.1.0" ] || fail "--version"
    for o in --help --version --scale --fullscreen --mute --record --replay --check --wav; do
      "$game" --help | grep -q -- "$o" || fail "--help does not list $o"
    done
    for args in --bogus "--scale 9" stray "--scale 2 --fullscreen" "--wav $work/a.wav"; do
      # shellcheck disable=SC2086
      status=0 && "$game" $args >"$work/out" 2>"$work/err" || status=$?
      [ "$status" = 2 ] && [ ! -s "$work/out" ] || fail "$args: exit status $status"
      [ "$(tail -n 1 "$work/err")" = "Try 'driftbeam --help'." ] && [ "$(wc -l <"$work/err")" = 2 ] ||
        fail "$args: $(cat "$work/err")"
    done
    # --wav never writes over a kept file, nor over the recording by another name; an empty
    # file and a device are written.
    kept=$(dirname "$0")/../demo/ordinary.rec
    cp "$kept" "$work/game.rec"
    ln -s game.rec "$work/same.wav"
    echo kept >"$work/kept.wav"
    : >"$work/empty.wav"
    wav() {
      status=0 && "$game" --check "$work/game.rec" --wav "$1" >/dev/null 2>"$work/err" || status=$?
      [ "$status" = "$2" ] && [ "$(cat "$work/err")" = "${3:-}" ] ||
        fail "--wav $1: $status $(cat "$work/err")"
    }
    wav "$work/same.wav" 1 "driftbeam: $work/same.wav: is the recording it would be made from; name another file"
    wav "$work/kept.wav" 1 "driftbeam: $work/kept.wav: already exists; remove it first to write a new one in its place"
    wav /nonexistent/a.wav 1 "driftbeam: /nonexistent/a.wav: cannot write: No such file or directory"
    wav "$work/empty.wav" 0
    wav /dev/null 0
    cmp -s "$work/game.rec" "$kept" && [ "$(cat "$work/kept.wav")" = kept ] ||
      fail "a kept file written over"
    for display in "" :4093; do
      status=0 && DISPLAY=$display "$game" 2>"$work/err" || status=$?
      [ "$status" = 1 ] && [ "$(wc -l <"$work/err")" = 1 ] || fail "no display: $status $(cat "$work/err")"
    done
    ;;
  play)
    # The HUD and the ship at the centre; z fires a beam that drains the bar, which refills
    # once z is let go; Escape quits at once in the middle of a turn.
    start
    grab
    [ "$size" = "640 480" ] && [ "$(energy)" = 100 ] || fail "window of $size, energy $(energy)"
    [ "$(count "$green" 240 5 400 22)" -gt 50 ] || fail "no score line"
    [ "$(count "$ship" 310 235 331 260)" -gt 20 ] || fail "no ship at the centre"
    xdotool keydown z sleep 0.4
    grab
    drained=$(energy)
    [ "$drained" -lt 90 ] && [ "$(count "$beam" 0 40 640 480 40%)" -gt 50 ] || fail "no beam"
    xdotool keyup z sleep 0.4
    grab
    [ "$(energy)" -gt "$drained" ] || fail "no refill after z"
    xdotool keydown Left
    quit
    ;;
  scale-too-large)
    status=0 && "$game" --scale 2 2>"$work/err" || status=$?
    [ "$status" = 1 ] || fail "exit status $status"
    grep -q "largest scale that fits is 1" "$work/err" || fail "$(cat "$work/err")"
    ;;
  scale-two)
    # Twice every place: the energy bar from x 240 to 440 on rows 10 to 30, the ship's base
    # at (640, 480) and its nose 30 pixels above.
    start --scale 2
    grab
    [ "$size" = "1280 960" ] || fail "window of $size"
    [ "$(count "$green" 230 20 450 21)" = 200 ] || fail "energy bar row: $(count "$green" 230 20 450 21)"
    [ "$(count "$green" 240 10 440 30)" = 4000 ] || fail "energy bar: $(count "$green" 240 10 440 30)"
    [ "$(count "$green" 480 10 640 42)" -gt 200 ] || fail "score line"
    [ "$(count "$ship" 630 480 650 510)" -gt 150 ] || fail "ship: $(count "$ship" 630 480 650 510)"
    [ "$(count "$ship" 630 480 650 510)" = "$(count "$ship" 0 0 1280 960)" ] ||
      fail "ship pixels away from (640, 480)"
    quit close
    ;;
  fullscreen-bars | lost-swap-fullscreen-bars)
    # 1280 x 720: the picture is 960 x 720 from x 160, and the bars on both sides stay black
    # while the first lasers cross the picture, also where every swap spoils the back buffer.
    start --fullscreen
    lasers=0
    for _ in 1 2 3 4 5 6 7 8 9 10 11 12; do
      grab root
      [ "$(count black 0 0 160 720)" = 115200 ] || fail "left bar is not black"
      [ "$(count black 1120 0 1280 720)" = 115200 ] || fail "right bar is not black"
      [ "$(count "$green" 160 0 1120 720)" -gt 300 ] || fail "no HUD in the picture"
      [ "$(count "$magenta" 0 0 1280 720)" = 0 ] || fail "a spoiled back buffer shows"
      lasers=$((lasers + $(count "$laser" 160 0 1120 720 3%)))
      sleep 0.5
    done
    [ "$lasers" -gt 0 ] || fail "no laser crossed the picture"
    quit
    ;;
  record-replay-check)
    # A game played with real keys, paused with Left held through the pause and z let go
    # in it, and ended with Escape, replays exactly, headless; p is not in the file; in a
    # window it plays to its end and exits 0; a damaged copy is refused.
    start --record "$work/game.rec"
    xdotool keydown Left keydown z sleep 0.5 key p sleep 0.5 keyup z sleep 0.5 key p
    sleep 0.5
    xdotool keyup Left
    wait_for_game_over
    # Once its picture stands (2 s), "game over" draws nothing more and rests; a window laid
    # over it and taken away has it drawn again, the same to the pixel.
    sleep 2.5
    grab
    cp "$work/shot.png" "$work/standing.png"
    cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
    spent=$(cpu) && sleep 2 && spent=$(($(cpu) - spent))
    [ "$spent" -le $(($(getconf CLK_TCK) / 10)) ] || fail "$spent clock ticks of work in 2 s at rest"
    xmessage -geometry 400x300+100+100 over &
    other=$!
    timeout 10 xdotool search --sync --onlyvisible --name '^xmessage$' >/dev/null
    kill "$other"
    same() { compare -metric AE "$work/shot.png" "$work/standing.png" null: 2>/dev/null; }
    for _ in $(seq 10); do
      sleep 0.2
      grab
      same && break
    done
    same || fail "the picture at rest comes back other than it stood"
    # m is the session's: it neither starts a new game nor goes into the recording.
    xdotool key m
    sleep 0.3
    grab
    [ "$(count 'rgb(255,0,0)' 128 270 512 350)" -gt 200 ] || fail "m started a new game"
    # Ended with the beam firing in a new game, its first notes still sounding.
    xdotool key space keydown z sleep 0.3
    quit
    xdotool keyup z
    ! grep -qE '^k [0-9]+ [du] (109|112) ' "$work/game.rec" || fail "m or p was recorded"
    said=$(DISPLAY= "$game" --check "$work/game.rec") || fail "--check: $said"
    echo "$said" | grep -q "^$work/game.rec: 2 games, best score [0-9]*, [0-9]* steps, the last game left unfinished with score [0-9]*: replays exactly$" ||
      fail "--check says: $said"
    # Keys pressed during a replay reach nothing: it still plays to its end and exits 0. Up,
    # which the game never had, sent to the window itself, whatever has the keyboard; a replay
    # that hears it goes astray and stops, its window gone before the key comes up. It lets
    # the sounds the recording cut short ring out to silence before it exits.
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/replay.raw" SDL_DISKAUDIODELAY=20
    start --replay "$work/game.rec"
    export SDL_AUDIODRIVER=dummy
    xdotool keydown --window "$win" Up sleep 0.5 keyup --window "$win" Up 2>/dev/null || true
    for _ in $(seq 600); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    wait "$pid" || fail "--replay: status $?: $(cat "$work/stderr")"
    pid=""
    # The loudest sample of the $2 bytes that end $1 bytes before the end of the replay's sound.
    peak() {
      tail -c "$1" "$work/replay.raw" | head -c "$2" | od -An -v -td2 -w2 |
        awk '{ v = $1 < 0 ? -$1 : $1; if (v > p) p = v } END { print p + 0 }'
    }
    [ "$(peak 192000 192000)" -gt 2000 ] && [ "$(peak 1920 1920)" = 0 ] ||
      fail "the replay's sound: $(peak 192000 192000) in its last second, $(peak 1920 1920) at its end"
    sed '5s/^./&&/' "$work/game.rec" >"$work/damaged.rec"
    for mode in --check --replay; do
      status=0 && DISPLAY= "$game" $mode "$work/damaged.rec" 2>"$work/err" || status=$?
      [ "$status" = 1 ] && [ "$(wc -l <"$work/err")" = 1 ] || fail "$mode damaged: $(cat "$work/err")"
      grep -q "damaged at line 5" "$work/err" || fail "$mode damaged: $(cat "$work/err")"
    done
    # A kept game is refused before any window is asked for, and left as it was.
    cp "$work/game.rec" "$work/kept.rec"
    status=0 && DISPLAY= "$game" --record "$work/game.rec" 2>"$work/err" || status=$?
    [ "$status" = 1 ] && [ "$(wc -l <"$work/err")" = 1 ] && grep -q "game.rec: already exists" "$work/err" &&
      cmp -s "$work/game.rec" "$work/kept.rec" || fail "a kept game: $status $(cat "$work/err")"
    # A game that never began leaves no file behind to be refused the next time.
    DISPLAY= "$game" --record "$work/none.rec" 2>/dev/null && fail "--record with no display"
    [ ! -e "$work/none.rec" ] || fail "a game that never began left its file"
    ;;
  record-full-device-pipe)
    start --record /dev/full
    recording_stops /dev/full "No space left on device" 0
    # A reader that goes away after the first second ends no game: the game plays on and
    # names the last second the reader had.
    mkfifo "$work/pipe"
    head -c 1 "$work/pipe" >/dev/null & sleep 0.3
    start --record "$work/pipe"
    recording_stops "$work/pipe" "Broken pipe" 100
    ;;
  record-full-filesystem)
    # A file system of four pages: the game's first second fills part of one, the rest is
    # filled behind its back, and a burst of key presses runs the file past its page.
    mkdir "$work/fs"
    mount -t tmpfs -o size=16k tmpfs "$work/fs" 2>"$work/err" || {
      echo "e2e $check: skipped, no small file system can be mounted here: $(cat "$work/err")"
      rmdir "$work/fs"
      exit 77
    }
    start --record "$work/fs/game.rec"
    sleep 1
    dd if=/dev/zero of="$work/fs/filler" bs=4k 2>/dev/null || true
    xdotool key --repeat 200 --repeat-delay 2 Left
    recording_stops "$work/fs/game.rec" "No space left on device" "[1-9][0-9]*00"
    step=$(sed -n 's/.* recorded up to step //p' "$work/stderr")
    status=0 && DISPLAY= "$game" --check "$work/fs/game.rec" 2>"$work/err" || status=$?
    [ "$status" = 1 ] &&
      grep -q "game.rec: replays exactly up to step $step, where the recording ends: the game was cut off$" "$work/err" ||
      fail "the file as the disk filled up: $status $(cat "$work/err")"
    ;;
  pause)
    # p holds the picture with "paused" in the HUD's green where "game over" would stand, and
    # p goes on from it; so does another window taking the keyboard,
    # and the game stays paused when the keyboard comes back. Kept short: a ship left alone
    # lives a few seconds, and a game that is over does not pause.
    title() { count "$green" 128 270 512 350; }
    start
    xdotool key p sleep 0.5
    grab
    [ "$(title)" -gt 500 ] || fail "no \"paused\" after p: $(title)"
    xdotool key p sleep 0.3
    grab
    [ "$(title)" = 0 ] || fail "\"paused\" stays after a second p"
    xmessage -geometry +700+0 elsewhere &
    other=$!
    elsewhere=$(timeout 10 xdotool search --sync --onlyvisible --name '^xmessage$' | head -n 1)
    xdotool windowfocus --sync "$elsewhere" sleep 0.5
    grab
    [ "$(title)" -gt 500 ] || fail "no \"paused\" once another window has the keyboard"
    xdotool windowfocus --sync "$win" sleep 0.5
    grab
    [ "$(title)" -gt 500 ] || fail "resumed when the keyboard came back"
    xdotool key p sleep 0.3
    grab
    [ "$(title)" = 0 ] || fail "\"paused\" stays after p"
    kill "$other"
    quit
    ;;
  sound)
    # What the game sends SDL's disk driver (paced by its delay to about the device's own
    # speed): sound while z fires the beam, silence while m has it off or the game is paused,
    # and with --mute silence from the start, beam or not. Then a device that does not open.
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" SDL_DISKAUDIODELAY=20
    sent() { stat -c %s "$work/sound.raw"; }
    # How many of the bytes sent from $1 up to $2 are not zero.
    loud() { tail -c +$(($1 + 1)) "$work/sound.raw" | head -c $(($2 - $1)) | tr -d '\000' | wc -c; }
    beam() { xdotool keydown z sleep 0.5 keyup z sleep 0.2; }
    start
    xdotool key m sleep 0.2
    from=$(sent) && beam && to=$(sent)
    [ "$((to - from))" -gt 40000 ] || fail "only $((to - from)) bytes in 0.7 s"
    [ "$(loud "$from" "$to")" = 0 ] || fail "sound while muted"
    xdotool key m sleep 0.2
    from=$(sent) && beam && to=$(sent)
    [ "$(loud "$from" "$to")" -gt $(((to - from) / 2)) ] || fail "no beam to hear"
    # Paused with z held, silence; the beam is heard again once play goes on.
    xdotool keydown z sleep 0.2 key p sleep 0.2
    from=$(sent) && sleep 0.4 && to=$(sent)
    [ "$(loud "$from" "$to")" = 0 ] || fail "sound while paused"
    xdotool key p sleep 0.1
    from=$(sent) && sleep 0.3 && to=$(sent)
    xdotool keyup z
    [ "$(loud "$from" "$to")" -gt $(((to - from) / 2)) ] || fail "no sound after the pause"
    quit
    rm "$work/sound.raw"
    start --mute
    beam
    quit
    [ "$(sent)" -gt 40000 ] && [ "$(loud 0 "$(sent)")" = 0 ] || fail "--mute: not silence"
    # No device (ALSA without its configuration, which it complains of): the game plays on,
    # silent, and says nothing.
    export SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH=/dev/null
    start
    quit
    [ ! -s "$work/stderr" ] || fail "no device: $(cat "$work/stderr")"
    ;;
  *) fail "no such check" ;;
esac
