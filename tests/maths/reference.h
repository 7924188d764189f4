// sin, cos and acos of floats rounded correctly, to hold the game's own against. The C
// library's double result settles every input whose true value lies clearly away from the
// midpoint between two floats; GNU MPFR, correctly rounded by construction, settles the rest.
#pragma once

enum class Function { kSine, kCosine, kArcCosine };

// The float nearest to f(x), ties to even, or NaN where f has no value, given the C library's
// double result for x. *exact is set when that result was too near a midpoint to decide.
float Reference(Function f, float x, double library, bool* exact);

// The same, with the C library asked here.
float Reference(Function f, float x);

// Whether two floats are the same bits, or both NaN.
bool Same(float a, float b);
