// driftbeam: the command line, start-up, the main loop on SDL, and a clean exit.
#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "app/audio.h"
#include "app/buffer_age.h"
#include "app/events.h"
#include "app/loop.h"
#include "app/options.h"
#include "app/output_file.h"
#include "app/sound_file.h"
#include "app/still_picture.h"
#include "app/video_file.h"
#include "app/window.h"
#include "demo/link.h"
#include "demo/recorder.h"
#include "demo/replay.h"
#include "game/player.h"
#include "game/world.h"
#include "render/font.h"
#include "render/frame.h"
#include "render/present.h"

namespace {

uint32_t ReadSdlClock(void*) {
  return SDL_GetTicks();
}

void Sleep(void*, uint32_t ms) {
  SDL_Delay(ms);
}

// Whether the platform reports the age of the back buffer, so that every frame looks.
bool g_watchBackBuffer = false;

// Where a swap may hand back a back buffer without the last frame, the frame keeps its own
// copy of the picture from then on; the buffer in hand holds an older frame, or, at age 0,
// anything at all.
void WatchBackBuffer() {
  if (!g_watchBackBuffer || PictureKept()) return;
  const int age = BackBufferAge();
  if (age != 1) KeepPicture(age == 0);
}

// One line naming the file and what is wrong with it.
void SayAbout(const std::string& path, const std::string& what) {
  std::fprintf(stderr, "driftbeam: %s: %s\n", path.c_str(), what.c_str());
}

// Steps a replay's last sounds may ring out for: 2 s, longer than the death's blast.
constexpr int kMostRingingSteps = 200;

// What the session does besides play: write the game down, or play a recording back.
struct Session {
  Recorder* recorder;  // set with --record
  Replay* replay;      // set with --replay
  int ringing;         // steps run since the replay ended, its last sounds ringing out
  StillPicture still;  // "game over" stops drawing once its picture stands
};

// The world never changes while a frame is drawn.
void RunStep(void* context) {
  Session& session = *static_cast<Session*>(context);
  if (session.replay != nullptr && session.replay->over) {
    // The last picture stands; the beam and the engine let go, once.
    if (session.ringing++ == 0) SoundRingsOut();
    return;
  }
  SoundBeforeStep();  // a replay hands its keys over after this glance, before the tick
  std::string error;
  if (session.recorder != nullptr) {
    // Said at once, while the player can still make room or stop; the game goes on.
    if (!RecordedStep(session.recorder, &error)) SayAbout(session.recorder->file.path, error);
  } else if (session.replay != nullptr) {
    ReplayStep(session.replay);
  } else {
    UpdateWorld();
  }
  SoundAfterStep();
  if (!FrameWanted(&session.still, g_gameOver)) return;
  RenderFrame();
  WatchBackBuffer();
}

// A replay hears nothing from the keyboard but Escape, which the loop handles itself. The
// sound's key is the session's, never the game's: it starts no game and is not recorded.
void KeyDown(void* context, int sym) {
  const Session& session = *static_cast<Session*>(context);
  if (sym == kKeyMute) {
    ToggleMute();
    return;
  }
  if (session.replay != nullptr) return;
  if (session.recorder != nullptr) RecordKey(session.recorder, true, sym);
  OnKeyDown(sym);
}
void KeyUp(void* context, int sym) {
  const Session& session = *static_cast<Session*>(context);
  if (sym == kKeyMute || session.replay != nullptr) return;
  if (session.recorder != nullptr) RecordKey(session.recorder, false, sym);
  OnKeyUp(sym);
}

// The end of a replay closes the window as the player would, once its last sounds have rung
// out: at once where none plays, 2 s later at the most.
bool PollEvent(void* context, LoopEvent* event) {
  Session& session = *static_cast<Session*>(context);
  if (session.replay != nullptr && session.replay->over &&
      (session.ringing > kMostRingingSteps || !SoundPlaying())) {
    *event = {LoopEventType::kQuit, 0};
    return true;
  }
  if (!PollSdlEvent(context, event)) return false;
  NoteEvent(&session.still, *event);
  return true;
}

// A pause stops a game in play, and a replay until it is over; after "game over" the world
// stands still already.
bool InPlay(void* context) {
  const Session& session = *static_cast<Session*>(context);
  return !g_gameOver && (session.replay == nullptr || !session.replay->over);
}

// The sound falls silent with the picture standing still, and comes back with play.
void ShowPause(void*, bool paused) {
  PauseSound(paused);
  ShowPausedPicture(paused);
}

// A recording is read whole, or its file created, before any window opens: a fault in
// either is the player's to mend, and a window would only hide the message.
int Play(const Options& options) {
  Recorder recorder;
  Recording recording;
  Replay replay;
  Session session = {nullptr, nullptr, 0, {}};
  std::string error, replayName;
  if (!options.replay.empty() && !LoadGame(options.replay, &recording, &replayName, &error)) {
    SayAbout(replayName, error);
    return 1;
  }
  if (!options.record.empty()) {
    if (!StartRecorder(options.record.c_str(), &recorder, &error)) {
      SayAbout(options.record, error);
      return 1;
    }
    // A pipe whose reader went away fails a write like a full disk, instead of ending us.
    std::signal(SIGPIPE, SIG_IGN);
    session.recorder = &recorder;
  } else if (!options.replay.empty()) {
    StartReplay(recording, &replay);
    if (replay.over && !replay.fault.empty()) {
      SayAbout(replayName, replay.fault);
      FreeWorld();
      return 1;
    }
    session.replay = &replay;
  } else {
    NewGame();
  }
  Window window;
  if (!OpenWindow(options, &window, &error)) {
    std::fprintf(stderr, "driftbeam: %s\n", error.c_str());
    if (session.recorder != nullptr) DiscardRecorder(session.recorder);
    FreeWorld();
    SDL_Quit();
    return 1;
  }
  OpenSound(options.mute);
  OpenGamepads();
  BuildFont();
  StartPicture(window);
  // Asked after the start-up swap, from the first frame on; where the platform cannot say,
  // its swap keeps the picture and nothing more is asked.
  g_watchBackBuffer = BackBufferAge() >= 0;
  WatchBackBuffer();
  const LoopHooks hooks = {&session, PollEvent, ReadSdlClock, RunStep,   KeyDown,
                           KeyUp,    Sleep,     InPlay,       ShowPause, WaitSdlEvent};
  RunMainLoop(hooks);
  DropKeptPicture();
  CloseGamepads();
  CloseSound();
  int status = 0;
  if (session.recorder != nullptr) {
    if (!StopRecorder(session.recorder, &error)) SayAbout(options.record, error);
    if (!RecordedWhole(recorder)) status = 1;
  }
  if (session.replay != nullptr && !replay.fault.empty()) {
    SayAbout(replayName, replay.fault);
    status = 1;
  }
  FreeWorld();
  SDL_Quit();
  return status;
}

// Needs no window and no display: the world alone, as fast as it ticks.
int Check(const Options& options) {
  std::string line;
  for (const std::string& out : {options.wav, options.video}) {
    if (!out.empty() && !MayWriteOutput(out.c_str(), options.check.c_str(), &line)) {
      SayAbout(out, line);
      return 1;
    }
  }
  // A video that cannot be made is refused before the sound is written.
  if (!options.wav.empty() && !options.video.empty() && !VideoPlanned(options, &line)) {
    std::fprintf(stderr, "driftbeam: %s\n", line.c_str());
    return 1;
  }
  // The sound first, as it is quick: a recording that does not replay exactly stops there.
  const char* recording = options.check.c_str();
  bool exact = options.wav.empty() ? true : CheckWithSound(recording, options.wav.c_str(), &line);
  if (exact && !options.video.empty()) {
    // The WAV just written may be the video's file by a name no path tells apart (a link to
    // where nothing was yet): it is kept.
    if (!options.wav.empty() && !MayWriteOutput(options.video.c_str(), recording, &line)) {
      FreeWorld();
      SayAbout(options.video, line);
      return 1;
    }
    exact = CheckWithVideo(options, &line);
  }
  if (options.wav.empty() && options.video.empty()) exact = CheckRecording(recording, &line);
  FreeWorld();
  std::fprintf(exact ? stdout : stderr, "%s%s\n", exact ? "" : "driftbeam: ", line.c_str());
  return exact ? 0 : 1;
}

}  // namespace

// Declared this way, with SDL.h included, so that SDL's own entry point can call it where
// the platform wants one.
int main(int argc, char* argv[]) {
  Options options;
  std::string error;
  switch (ParseOptions(argc, argv, &options, &error)) {
    case ParseResult::kHelp:
      std::fputs(kUsage, stdout);
      return 0;
    case ParseResult::kVersion:
      std::printf("driftbeam %s\n", DRIFTBEAM_VERSION);
      return 0;
    case ParseResult::kUsageError:
      std::fprintf(stderr, "driftbeam: %s\nTry 'driftbeam --help'.\n", error.c_str());
      return 2;
    case ParseResult::kRun:
      break;
  }
  try {
    return options.check.empty() ? Play(options) : Check(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "driftbeam: %s\n", e.what());
    SDL_Quit();
    return 1;
  }
}
