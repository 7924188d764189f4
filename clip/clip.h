// A video file made from pictures and sound: MP4 (H.264 and AAC), WebM (VP9 and Opus) or an
// animated GIF (no sound), through FFmpeg's libraries. Plain C++ over frames and samples: it
// knows nothing of the world, the recording or OpenGL, only the colours a GIF's palette needs.
#pragma once

#include <cstdint>
#include <string>

constexpr int kClipFramesPerSecond = 50;  // pictures a second in every format
constexpr int kClipSampleRate = 48000;    // stereo frames a second of the sound handed over

enum class ClipFormat { kMp4, kWebm, kGif };

// The format that a file name's extension asks for, in any case; false for any other.
bool ClipFormatOf(const std::string& path, ClipFormat* format);

// Whether the format carries sound; a GIF has none.
bool ClipHasSound(ClipFormat format);

struct Clip;  // FFmpeg's state for one file being written

// Creates the file at `path` (always a file, whatever its name looks like) for pictures of
// width x height, both even. Null, with *error saying why, when it cannot.
Clip* OpenClip(const char* path, ClipFormat format, int width, int height, std::string* error);

// The next picture: RGBA rows from the bottom up, as OpenGL reads them back.
// False once anything has failed; CloseClip then says why.
bool AddClipPicture(Clip* clip, const uint8_t* rgba);

// The sound that goes with the pictures so far and on: 16-bit stereo frames, left then right,
// at kClipSampleRate. Ignored by a GIF. False once anything has failed.
bool AddClipSound(Clip* clip, const int16_t* frames, int count);

// Ends the streams, finishes the file and frees the clip, whatever happened. False, with
// *error naming the cause of the first failure, when the file is not whole.
bool CloseClip(Clip* clip, std::string* error);
