// Counts the objects the test binary holds on the heap through operator new, so that a
// test can check that a new game gives back everything the last one took.
#pragma once

long LiveAllocations();
