// Where a swap loses the back buffer, frames that keep their own copy of the picture show
// exactly what frames over a back buffer that survives the swap show.
#include <cstdlib>
#include <functional>
#include <string>

#include "app/buffer_age.h"
#include "game/player.h"
#include "render/frame.h"
#include "render/present.h"
#include "tests/render/gl_fixture.h"

namespace {

// What a lost swap leaves: the whole back buffer in a colour of the platform's choice.
void Spoil() {
  glDisable(GL_SCISSOR_TEST);
  glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

// Three seconds of a game, the ship circling and firing through the first waves, with a
// digest of every picture it shows.
std::vector<size_t> PlayFrames(bool spoil) {
  std::vector<size_t> pictures;
  std::srand(1);
  NewGame();
  OnKeyDown(kKeyUp);
  OnKeyDown(kKeyLeft);
  for (int frame = 0; frame < 300; ++frame) {
    if (frame == 150) OnKeyDown(kKeyFire);
    UpdateWorld();
    RenderFrame();
    const Picture picture = Picture::Read();
    pictures.push_back(
        std::hash<std::string>()(std::string(picture.bytes.begin(), picture.bytes.end())));
    if (spoil) Spoil();
  }
  return pictures;
}

}  // namespace

using KeptPicture = GlTest;

TEST_F(KeptPicture, FramesOverASpoiledSwapMatchFramesOverAKeptOne) {
  EXPECT_EQ(BackBufferAge(), -1) << "Xvfb's swap keeps the picture: the plain path";
  const std::vector<size_t> plain = PlayFrames(false);
  ClearScreen();
  ASSERT_TRUE(KeepPicture(true));
  const std::vector<size_t> kept = PlayFrames(true);
  EXPECT_TRUE(Picture::Read().Is(320, 240, {255, 0, 255}));  // the spoiling does show
  EXPECT_EQ(kept, plain);
  EXPECT_GT(g_drones.size() + g_lasers.size(), 0u);
  DropKeptPicture();
}
