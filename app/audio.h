// The sound device: SDL's audio, fed by a callback on its own thread with the cues of each
// tick. Where no device opens, every call here does nothing and the game plays silently.
#pragma once

constexpr int kKeyMute = 109;  // m: sound off and on; never handed to the game

// Opens the device, after the window; false when none opens. Says nothing either way: the
// game plays on, silently if it must.
bool OpenSound(bool muted);
void CloseSound();

// Around every step of the world: a glance before it, and its cues handed over after it.
void SoundBeforeStep();
void SoundAfterStep();

// After the last step: the beam and the engine fall silent, and the sounds playing ring out.
void SoundRingsOut();

// Whether a sound is still to be heard: false once all has rung out, while muted, and where
// no device opened.
bool SoundPlaying();

// The m key: sound off, or back on.
void ToggleMute();

// Silences the device while the game is paused, and brings it back.
void PauseSound(bool paused);

// Processor seconds the device's thread has used so far; 0 before its first callback.
double SoundThreadSeconds();
