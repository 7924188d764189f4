// The game's maths: its one random sequence, and sine, cosine and arc cosine of 32-bit floats
// rounded correctly, so that every machine and every browser computes the same bits and a
// recording replays anywhere. Recordings made by 1.0.0 were played with the C library's own
// functions; they replay with those, chosen here and nowhere else.
#pragma once

#include <cstdint>
#include <cstring>

// The next draw of the game's random sequence, 0 to 2^31 - 1: the numbers that glibc's rand
// gives a program that never seeds it, in the same order.
int DrawRandom();

// Draws taken since the sequence last started.
uint64_t RandomDraws();

// The sequence as it stands after `draws` draws from its start; 0 starts it afresh.
void SetRandomDraws(uint64_t draws);

// A float's bits and the float they make: how a recording and the maths' tables name a float
// exactly, -0 and each NaN apart.
inline uint32_t BitsOf(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}
inline float FloatOf(uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// sin, cos and acos of x, rounded to the nearest float (ties to even). NaN for no value: the
// arc cosine of a number outside -1 to 1, any function of NaN or of an infinity.
float Sine(float x);
float Cosine(float x);
float ArcCosine(float x);

// Which maths the game runs on: its own, or the C library's rand, sin, cos and acos, which
// 1.0.0 used. The C library's sequence starts afresh with the switch.
void UseLibraryMaths(bool library);

// For the exhaustive check: the functions' double results before the table of the few
// inputs where rounding a double does not give the float nearest to the true value, and the
// number of entries that table holds for each.
double SineBeforeTable(float x);
double CosineBeforeTable(float x);
double ArcCosineBeforeTable(float x);
int ExceptionCount(int function);  // 0 sine, 1 cosine, 2 arc cosine
