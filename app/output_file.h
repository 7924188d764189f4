// Files made from a recording (its sound, a video of it) go only where nothing is kept.
#pragma once

#include <string>

// Whether `out` may be written with what a replay of the recording at `recording` makes.
// False, with *error, for a regular file that holds anything (a kept game, a sound, a video:
// it is removed on purpose first) and for the recording itself under any name, even empty.
// An empty file, a device or a pipe may be written.
bool MayWriteOutput(const char* out, const char* recording, std::string* error);

// Takes away what a failed replay or write left at `out`, a file cut short or from another
// game: none is better. Only a plain file goes, never a device or a link.
void RemoveOutput(const char* out);
