// A recorded game's sound made offline, headless and without a device: --check FILE --wav OUT.
#pragma once

#include <string>

// Replays the recording at `path` as CheckRecording does and writes its sound to `wavPath`:
// a WAV file of 16-bit stereo PCM at 48,000 frames a second, 480 frames for every step, then
// the tails of the last sounds. The same bytes every time. *line is what CheckRecording
// would say, or names the WAV file and why it cannot be written. True only for an exact
// replay written whole; otherwise no WAV file is left behind.
bool CheckWithSound(const char* path, const char* wavPath, std::string* line);
