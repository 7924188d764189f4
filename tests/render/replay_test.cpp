// A few ordinary games drawn frame after frame as the game draws them. The text, the HUD, the
// ship, its beam, the drones and lasers, their colours and widths, the order they are drawn in
// and the fade that leaves trails all shape these pictures. The digests are of today's pictures,
// which matched another renderer's pixel for pixel, all drawn by Mesa's software renderer.
#include "app/buffer_age.h"
#include "render/frame.h"
#include "render/present.h"
#include "tests/render/gl_fixture.h"
#include "tests/render/pictures.h"

TEST_F(Drawing, PicturesOfRecordedGamesStayAsTheyWere) {
  std::vector<std::pair<int64_t, uint64_t>> pictures;
  bool over = false;
  ReplayDrawn(3000, [&](int64_t step) {
    if (step % 500 == 0 || (g_gameOver && !over)) pictures.push_back({step, Digest()});
    over = g_gameOver;
  });
  EXPECT_EQ(pictures, kPictures);
}

// Where a swap loses the back buffer, frames that keep their own copy of the picture show
// exactly what frames over a back buffer that survives the swap show.
TEST_F(Drawing, FramesOverASpoiledSwapMatchFramesOverAKeptOne) {
  EXPECT_EQ(BackBufferAge(), -1) << "Xvfb's swap keeps the picture: the plain path";
  EXPECT_TRUE(HasExtension("GL_ab GL_a", "GL_a") && !HasExtension("GL_ab", "GL_a") &&
              !HasExtension("GL_a", ""));
  ClearScreen(1.0f);
  ASSERT_TRUE(KeepPicture(true));  // the copy starts black all the same, as a plain game does
  ReplayDrawn(kPictures[0].first, [](int64_t step) {
    if (step < kPictures[0].first) ClearScreen(0.5f);  // what a lost swap leaves: any colour
  });
  EXPECT_EQ(Digest(), kPictures[0].second);
  DropKeptPicture();
}

// A pause shows the picture as it stood with "paused" over it, as often as the window asks,
// over a back buffer the swap keeps or one it spoils; play then goes on from the picture as it
// stood, to the same pictures as a game never paused.
TEST_F(Drawing, APausedGameHoldsItsPictureAndGoesOnFromIt) {
  for (const bool spoiled : {false, true}) {
    if (spoiled) {
      ASSERT_TRUE(KeepPicture(true));
    }
    ReplayDrawn(kPictures[0].first, [&](int64_t step) {
      if (spoiled && step < kPictures[0].first) ClearScreen(0.5f);
      if (step != 250) return;
      const uint64_t before = Digest();
      for (int redraw = 0; redraw < 3; ++redraw) {
        ShowPausedPicture(true);
        if (spoiled) ClearScreen(0.5f);
      }
      ShowPausedPicture(true);
      EXPECT_EQ(Find({51, 255, 51}, {0, 260, 639, 360}), (Box{185, 273, 442, 343})) << spoiled;
      EXPECT_EQ(Find({128, 128, 128}, {0, 0, 639, 479})[2], -1) << "a spoiled buffer shows";
      ShowPausedPicture(false);
      if (!spoiled) {
        EXPECT_EQ(Digest(), before);
      }
    });
    EXPECT_EQ(Digest(), kPictures[0].second) << spoiled;
    DropKeptPicture();
  }
}
