// Counts the program's own C++ allocations, so a test can show that drawing makes none.
#pragma once

// Calls of operator new so far, in this whole process.
long AllocationsSoFar();
