// Links: each game of a session, shared on its own as a link, replays exactly wherever the
// random sequence and the best score stood as it began; a link that is damaged, foreign or too
// long says so in a few words.
#include "demo/link.h"

#include <gtest/gtest.h>

#include <string>

#include "demo/recorder.h"
#include "demo/replay.h"
#include "game/player.h"
#include "game/world.h"

namespace {

const std::string kDir = DEMO_TEST_DIR;
// A scratch file of the test's own: ctest runs the tests side by side in one folder.
std::string Scratch() {
  return std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".rec";
}
const std::string kAddress = "https://example.org/driftbeam/#";

std::string Check(const std::string& argument) {
  std::string line;
  CheckRecording(argument.c_str(), &line);
  FreeWorld();
  return line;
}

// The kept session played again through the recorder, as the page records one: the same
// keys at the same steps, and where each of its games began and ended. A session started
// `draws` into the sequence plays other games with the same keys, and is left running after
// `steps` when that is short of the kept session's end; played whole, its file is read back
// into `session`.
Recorder Rerecord(Recording* session, uint64_t draws = 0, int best = 0, int64_t steps = -1) {
  Recording kept;
  std::string error;
  EXPECT_TRUE(LoadRecording((kDir + "/ordinary.rec").c_str(), &kept, &error)) << error;
  Recorder recorder;
  std::remove(Scratch().c_str());
  EXPECT_TRUE(StartRecorder(Scratch().c_str(), &recorder, &error, draws, best)) << error;
  const int64_t end = steps < 0 ? kept.end.step : steps;
  size_t k = 0;
  while (recorder.steps < end) {
    for (; k < kept.keys.size() && kept.keys[k].step == recorder.steps; ++k) {
      RecordKey(&recorder, kept.keys[k].down, kept.keys[k].sym);
      kept.keys[k].down ? OnKeyDown(kept.keys[k].sym) : OnKeyUp(kept.keys[k].sym);
    }
    EXPECT_TRUE(RecordedStep(&recorder, &error)) << error;
  }
  if (steps >= 0) return recorder;
  EXPECT_TRUE(StopRecorder(&recorder, &error)) << error;
  FreeWorld();
  EXPECT_TRUE(LoadRecording(Scratch().c_str(), session, &error)) << error;
  return recorder;
}

}  // namespace

TEST(Links, EveryGameOfASessionReplaysExactlyOnItsOwn) {
  Recording session;
  std::string error;
  const Recorder recorder = Rerecord(&session);
  ASSERT_EQ(recorder.games.size(), 4u);
  EXPECT_GT(recorder.games[2].draws, 0u) << "the third game starts where the sequence stood";
  EXPECT_GT(recorder.games[2].best, 0);
  for (const GameMark& mark : recorder.games) {
    ASSERT_TRUE(mark.ended);
    const Recording game = GameOfSession(session, mark);
    const std::string link = EncodeLink(game);
    Recording decoded;
    ASSERT_TRUE(DecodeLink(kAddress + link, &decoded, &error)) << error;
    EXPECT_EQ(EncodeLink(decoded), link);
    EXPECT_EQ(Check(kAddress + link), "link: one game, score " + std::to_string(mark.end.score) +
                                          ", " + std::to_string(game.end.step) +
                                          " steps: replays exactly");
    EXPECT_LT(link.size(), 2 * game.keys.size() * 4 / 3 + 60) << "about two bytes a key";
  }
  std::remove(Scratch().c_str());
}

// The page plays again after a stop from where the sequence and the best score stood, and
// saves its session while it goes on: the file, closed where it stands, replays exactly and
// names the game left running; killed there instead, it replays up to its last second; and its
// first game replays exactly as a link.
TEST(Links, ASessionStartedMidSequenceAndSavedWhileItGoesOnReplaysExactly) {
  Recording session;
  std::string error;
  Recorder recorder = Rerecord(nullptr, 123457, 990, 2000);
  const std::string games = std::to_string(recorder.games.size()) + " games, best score " +
                            std::to_string(g_bestScore) +
                            ", 2000 steps, the last game left "
                            "unfinished with score " +
                            std::to_string(g_player->score);
  ASSERT_NE(g_player->score, g_bestScore);
  const std::string text = SessionSoFar(&recorder);
  EXPECT_TRUE(RecordedStep(&recorder, &error)) << "the file goes on after the copy";
  EXPECT_TRUE(StopRecorder(&recorder, &error)) << error;
  FreeWorld();
  const std::string saved = "link_test_saved.rec";
  const auto checkSaved = [&](const std::string& text) {
    std::remove(saved.c_str());
    std::FILE* out = std::fopen(saved.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    return Check(saved);
  };
  EXPECT_EQ(checkSaved(text), saved + ": " + games + ": replays exactly");
  EXPECT_EQ(checkSaved(text.substr(0, text.rfind('\n', text.size() - 2) + 1)),
            saved +
                ": replays exactly up to step 2000, where the recording ends: the game was "
                "cut off");
  ASSERT_TRUE(LoadRecording(Scratch().c_str(), &session, &error)) << error;
  ASSERT_TRUE(recorder.games[0].ended);
  EXPECT_EQ(recorder.games[0].draws, 123457u);
  const std::string link = EncodeLink(GameOfSession(session, recorder.games[0]));
  EXPECT_EQ(Check(link).substr(0, 16), "link: one game, ") << Check(link);
  std::remove(saved.c_str());
  std::remove(Scratch().c_str());
}

TEST(Links, ALinkThatIsDamagedForeignOrTooLongSaysWhy) {
  Recording session;
  const Recorder recorder = Rerecord(&session);
  const Recording first = GameOfSession(session, recorder.games[0]);
  const std::string link = EncodeLink(first);
  std::string flipped = link;
  flipped[link.size() / 2] = flipped[link.size() / 2] == 'A' ? 'B' : 'A';
  Recording forged = first;
  forged.end.score += 10;  // a better score, the link sealed again
  Recording longer = first;
  longer.end.step = kMostLinkSteps + 1;
  Recording late = first;
  late.keys.push_back({first.end.step, true, kKeyUp});  // a key after the game ended
  Recording notEnded = first;
  notEnded.end.step -= 1;
  const struct {
    const char* what;
    std::string text;
    std::string line;
  } cases[] = {
      {"a character changed", flipped, "link: damaged"},
      {"cut short", link.substr(0, link.size() / 2), "link: damaged"},
      {"another page's", "section-2", "link: not a link to a game"},
      {"ten megabytes", std::string(10 << 20, 'A'), "link: longer than 30 minutes of play"},
      {"over 30 minutes", EncodeLink(longer), "link: longer than 30 minutes of play"},
      {"a key after its end", EncodeLink(late), "link: damaged"},
      {"a forged score", EncodeLink(forged),
       "link: differs from the recording at step " + std::to_string(first.end.step)},
      {"an end before the game's", EncodeLink(notEnded),
       "link: differs from the recording at step " + std::to_string(notEnded.end.step)},
  };
  for (const auto& c : cases) EXPECT_EQ(Check("#" + c.text), c.line) << c.what;
  std::remove(Scratch().c_str());
}
