// The pictures of tests/demo/ordinary.rec that the window draws, by digest: held against
// the window's frames and a video's alike.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// The picture of every 500th step and the first of each death, as far as the classic SDL and
// the SDL2-backed one draw alike. Mesa turns the classic one's window buffer upside down, not
// the other's offscreen one, so a drone edge that passes within rounding of a pixel's centre
// may fill it in one and not the other; from step 3027 on, such a pixel never fades out.
const std::vector<std::pair<int64_t, uint64_t>> kPictures = {
    {500, 13722599045304155102u},  {730, 12670032717833357382u}, {1000, 1951287438813876757u},
    {1455, 15802658099153215473u}, {1500, 2672705175422052333u}, {2000, 5054542143273714415u},
    {2500, 7345677103822135866u},  {3000, 7311541553034207646u},
};
