#include "tests/maths/reference.h"

#include <mpfr.h>

#include <cmath>
#include <cstdint>

#include "game/maths.h"

namespace {

// glibc documents its double sin, cos and acos within 1 unit in the last place; a result
// that rounds to one float anywhere within 16 units of it cannot round to another.
constexpr double kDoubt = 0x1p-48;

// MPFR at the float's own 24 bits and exponent range, subnormals included.
float Mpfr(Function f, float x) {
  mpfr_set_emin(-148);
  mpfr_set_emax(128);
  mpfr_t in, out;
  mpfr_init2(in, 24);
  mpfr_init2(out, 24);
  mpfr_set_flt(in, x, MPFR_RNDN);
  int inexact = f == Function::kSine     ? mpfr_sin(out, in, MPFR_RNDN)
                : f == Function::kCosine ? mpfr_cos(out, in, MPFR_RNDN)
                                         : mpfr_acos(out, in, MPFR_RNDN);
  inexact = mpfr_check_range(out, inexact, MPFR_RNDN);
  mpfr_subnormalize(out, inexact, MPFR_RNDN);
  const float result = mpfr_get_flt(out, MPFR_RNDN);
  mpfr_clear(in);
  mpfr_clear(out);
  return result;
}

}  // namespace

bool Same(float a, float b) {
  return BitsOf(a) == BitsOf(b) || (std::isnan(a) && std::isnan(b));
}

float Reference(Function f, float x, double library, bool* exact) {
  *exact = false;
  if (std::isnan(library)) return library;
  const double doubt = std::fabs(library) * kDoubt;
  const float low = static_cast<float>(library - doubt);
  const float high = static_cast<float>(library + doubt);
  if (BitsOf(low) == BitsOf(high)) return low;
  *exact = true;
  return Mpfr(f, x);
}

float Reference(Function f, float x) {
  const double d = x;
  const double library = f == Function::kSine     ? std::sin(d)
                         : f == Function::kCosine ? std::cos(d)
                                                  : std::acos(d);
  bool exact;
  return Reference(f, x, library, &exact);
}
