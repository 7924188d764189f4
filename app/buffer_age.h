// What the platform says about its back buffer after a swap.
#pragma once

// How many frames old the picture in the back buffer is (GLX_EXT_buffer_age): 1 when it
// holds the last frame, 0 when its contents are undefined, more for an older frame; -1 when
// the platform does not say, as where a single back buffer is copied to the window and keeps
// its picture.
int BackBufferAge();
