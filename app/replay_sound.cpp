#include "app/replay_sound.h"

void StartReplaySound(const Recording& recording, ReplaySound* sound) {
  BuildSoundBank(&sound->bank);
  StartMixer(&sound->mixer, &sound->bank, 1.0f);
  sound->tailTicks = 0;
  StartReplay(recording, &sound->replay);
}

bool NextSoundTick(ReplaySound* sound, int16_t* frames) {
  if (!sound->replay.over) {
    TakeGlance(&sound->glance);
    ReplayStep(&sound->replay);
    PlayCues(&sound->mixer, FindCues(sound->glance));
  } else {
    // After the last step nothing more happens: the beam and the engine fall silent and the
    // last sounds ring out.
    if (sound->tailTicks == kMostTailTicks || MixerIdle(sound->mixer)) return false;
    PlayCues(&sound->mixer, QuietCues());
    ++sound->tailTicks;
  }
  MixFrames(&sound->mixer, frames, kFramesPerTick);
  return true;
}
