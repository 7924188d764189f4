#!/bin/sh
# The real game making videos with no display: what ffprobe reads in each format, the sound
# against --wav's, the pictures of each format against the others, and every refusal with
# its one line and no video left behind.
#   video.sh BINARY RECORDINGS_DIR
set -eu
game=$(readlink -f "$1")
dir=$2
ordinary=$dir/ordinary.rec
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "video: $*" >&2
  exit 1
}

# The kept ordinary game closed at its checkpoint of step 800: a death, a new game, 8 s in
# all and a jingle that rings on after the last step.
python3 - "$ordinary" >"$work/short.rec" <<'END'
import sys
lines = open(sys.argv[1]).read().split("\n")
n = next(i for i, line in enumerate(lines) if line.startswith("c 800 "))
body, chain = "e" + lines[n][1:-10], int(lines[n][-8:], 16)
for c in (body + "\n").encode():
    chain = (chain ^ c) * 16777619 % 2**32
print("\n".join(lines[:n + 1] + [body + " *%08x" % chain]))
END

# Makes a video of it; it must replay exactly and, off a terminal, say nothing else.
make() {
  "$game" --check "$work/short.rec" "$@" >"$work/out" 2>"$work/err" || fail "$*: $(cat "$work/err")"
  grep -q ": replays exactly$" "$work/out" && [ ! -s "$work/err" ] || fail "$*: $(cat "$work/err")"
}

# What ffprobe reads of one kind of stream (v or a): its fields, comma-separated, in
# ffprobe's own order.
probe() { ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of csv=p=0 "$1"; }

# How alike the sound of a video is to the WAV's, from its frame $3 on for $4 frames:
# the correlation of the samples, 1 for the same sound.
alike() {
  ffmpeg -v error -i "$1" -map 0:a -f s16le - >"$work/decoded"
  python3 - "$work/decoded" "$2" "$3" "$4" <<'END'
import array, math, sys
decoded, wav = array.array("h"), array.array("h")
decoded.frombytes(open(sys.argv[1], "rb").read())
whole = open(sys.argv[2], "rb").read()
first, frames = int(sys.argv[3]), int(sys.argv[4])
wav.frombytes(whole[44 + 4 * first:44 + 4 * (first + frames)])
assert len(decoded) >= len(wav) == 2 * frames, (len(decoded), len(wav))
a, b = decoded[:len(wav)], wav
print(sum(x * y for x, y in zip(a, b)) / math.sqrt(sum(x * x for x in a) * sum(y * y for y in b)))
END
}

# How alike the pictures of two videos are, from the first's picture $3 on and the second's
# first, as far as both go: the PSNR in dB.
psnr() {
  ffmpeg -i "$1" -i "$2" -lavfi "[0:v]trim=start_frame=$3,setpts=PTS-STARTPTS[a];[a][1:v]psnr=shortest=1" \
    -f null - 2>&1 | sed -n 's/.*PSNR .* average:\([0-9.]*\).*/\1/p'
}
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

# The whole game as an MP4: every tick of the WAV made by the same command, the sound
# ringing out after the last step included, and the pictures standing through it.
make --wav "$work/all.wav" --video "$work/all.mp4"
ticks=$((($(stat -c %s "$work/all.wav") - 44) / 1920))
[ "$ticks" -gt 800 ] || fail "no sound rings on after the last step"
[ "$(probe "$work/all.mp4" v codec_name,width,height,r_frame_rate,start_time,nb_frames)" = \
  "h264,640,480,50/1,0.000000,$(((ticks + 1) / 2))" ] ||
  fail "mp4 pictures: $(probe "$work/all.mp4" v codec_name,width,height,r_frame_rate,start_time,nb_frames)"
[ "$(probe "$work/all.mp4" a codec_name,sample_rate,channels,duration_ts)" = "aac,48000,2,$((ticks * 480))" ] ||
  fail "mp4 sound: $(probe "$work/all.mp4" a codec_name,sample_rate,channels,duration_ts)"
above "$(alike "$work/all.mp4" "$work/all.wav" 0 $((ticks * 480)))" 0.95 || fail "mp4 sound unlike the WAV"

# From 2 s to 7 s: 250 pictures over 5 s of sound, the WAV's from its frame 96000, decoded
# to the very frame.
make --video "$work/cut.webm" --from 2 --to 7
[ "$(probe "$work/cut.webm" v codec_name,width,height,r_frame_rate,start_time)" = "vp9,640,480,50/1,0.000000" ] ||
  fail "webm pictures: $(probe "$work/cut.webm" v codec_name,width,height,r_frame_rate,start_time)"
[ "$(probe "$work/cut.webm" a codec_name,sample_rate,channels)" = "opus,48000,2" ] || fail "webm sound"
[ "$(ffmpeg -v error -i "$work/cut.webm" -map 0:a -f s16le - | wc -c)" = $((240000 * 4)) ] ||
  fail "webm sound not 5 s long"
above "$(alike "$work/cut.webm" "$work/all.wav" 96000 240000)" 0.95 || fail "webm sound unlike the WAV"

# A GIF has no sound. Held against it, a picture upside down or with red and blue swapped
# falls below 30 dB.
make --video "$work/cut.gif" --from 2 --to 7
[ "$(probe "$work/cut.gif" v codec_name,width,height,r_frame_rate,duration,nb_frames)" = "gif,640,480,50/1,5.000000,250" ] ||
  fail "gif: $(probe "$work/cut.gif" v codec_name,width,height,r_frame_rate,duration,nb_frames)"
[ -z "$(probe "$work/cut.gif" a codec_name)" ] || fail "gif with sound"
for video in "all.mp4 100" "cut.webm 0"; do
  set -- $video
  above "$(psnr "$work/$1" "$work/cut.gif" "$2")" 40 || fail "$1 unlike the GIF: $(psnr "$work/$1" "$work/cut.gif" "$2") dB"
done

# A name that FFmpeg would take for a protocol is a file all the same: nothing on stdout but
# the line.
(cd "$work" && "$game" --check short.rec --video pipe:1.gif --to 0.1 >out) &&
  [ "$(probe "$work/pipe:1.gif" v nb_frames)" = 5 ] && [ "$(wc -l <"$work/out")" = 1 ] ||
  fail "pipe:1.gif: $(head -c 200 "$work/out")"

# Twice the size; and on a terminal, one line that rewrites itself as it goes.
script -qec "'$game' --check '$ordinary' --video '$work/big.mp4' --scale 2 --to 0.5" /dev/null >"$work/tty"
[ "$(probe "$work/big.mp4" v width,height,nb_frames)" = "1280,960,25" ] || fail "scale 2: $(probe "$work/big.mp4" v width,height,nb_frames)"
grep -q "0.50 s of 0.50 s rendered" "$work/tty" || fail "no progress on a terminal: $(cat "$work/tty")"

# Each refusal: status 1, one line saying why, nothing on stdout, and no video.
refused() {
  text=$1
  shift
  status=0 && "$game" "$@" >"$work/out" 2>"$work/err" || status=$?
  [ "$status" = 1 ] && [ "$(wc -l <"$work/err")" = 1 ] && grep -q -- "$text" "$work/err" &&
    [ ! -s "$work/out" ] || fail "$*: status $status: $(cat "$work/err")"
}
refused "no.avi: a video is a .mp4, .webm or .gif file" --check "$ordinary" --video "$work/no.avi"
refused "no.gif: a GIF holds at most 60.00 s, not 108.55 s" --check "$dir/deep.rec" --video "$work/no.gif" --wav "$work/no.wav"
sed '5s/^./&&/' "$ordinary" >"$work/damaged.rec"
refused "damaged.rec: damaged at line 5" --check "$work/damaged.rec" --video "$work/no.mp4"
ln -s /dev/full "$work/full.webm"
refused "full.webm: cannot write: No space left on device" --check "$ordinary" --video "$work/full.webm"
echo kept >"$work/kept.mp4"
refused "kept.mp4: already exists" --check "$ordinary" --video "$work/kept.mp4"
[ "$(cat "$work/kept.mp4")" = kept ] || fail "a kept file was written over"
# Mesa's EGL finds no driver to start with.
export LIBGL_DRIVERS_PATH=/nonexistent
refused "^driftbeam: cannot render a video: no offscreen OpenGL context: " --check "$ordinary" --video "$work/no.mp4"
[ -z "$(find "$work" -name 'no.*')" ] || fail "a refused video left a file: $(find "$work" -name 'no.*')"
