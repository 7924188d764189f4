#include "game/maths.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

// ---- The random sequence ----

// glibc's additive feedback generator as an unseeded program finds it: 31 words, each new
// value the sum of those 3 and 31 places back, modulo 2^32; a draw is a value without its
// lowest bit. The first 310 values only stir the state, and are never drawn.
constexpr int kLag = 31;
constexpr int kShortLag = 3;
constexpr uint64_t kStirred = 344;  // values made before the first draw

struct Sequence {
  uint32_t ring[kLag];  // ring[i % 31] holds value i for the latest 31 values
  uint64_t next;        // the index of the value the next draw takes
  uint64_t draws;       // draws since the start
};

Sequence g_sequence;
bool g_library = false;
uint64_t g_libraryDraws = 0;

// Values 0 to 33, from which the rest follow: a first value of 1 spread by the minimal standard
// generator, then the first three values again.
void FirstValues(uint32_t values[34]) {
  values[0] = 1;
  for (int i = 1; i < kLag; ++i) {
    values[i] = static_cast<uint32_t>((16807ull * values[i - 1]) % 2147483647ull);
  }
  for (int i = kLag; i < 34; ++i) values[i] = values[i - kLag];
}

// Value i >= 34 is the sum of values i - 3 and i - 31: a linear recurrence with the
// characteristic polynomial x^31 - x^28 - 1. So value 3 + n is the combination of values 3 to
// 33 whose coefficients are those of x^n modulo that polynomial, and the sequence can be put
// any number of draws ahead at once.
using Poly = uint32_t[kLag];

// a * b modulo the polynomial, coefficients modulo 2^32.
void MultiplyPoly(const Poly a, const Poly b, Poly out) {
  uint32_t product[2 * kLag - 1] = {};
  for (int i = 0; i < kLag; ++i) {
    for (int j = 0; j < kLag; ++j) product[i + j] += a[i] * b[j];
  }
  // x^k = x^(k-3) + x^(k-31), from the highest power down.
  for (int k = 2 * kLag - 2; k >= kLag; --k) {
    product[k - kShortLag] += product[k];
    product[k - kLag] += product[k];
  }
  std::memcpy(out, product, sizeof(Poly));
}

void Restart(uint64_t draws) {
  uint32_t first[34];
  FirstValues(first);
  Sequence& s = g_sequence;
  s.next = kStirred + draws;
  s.draws = draws;
  // Coefficients of x^(next - 34), the first of the 31 values the ring must hold.
  Poly power = {}, result = {};
  power[1] = 1;  // x
  result[0] = 1;
  for (uint64_t n = s.next - 34; n != 0; n >>= 1) {
    if (n & 1) MultiplyPoly(result, power, result);
    MultiplyPoly(power, power, power);
  }
  for (uint64_t i = s.next - kLag; i < s.next; ++i) {
    uint32_t value = 0;
    for (int j = 0; j < kLag; ++j) value += result[j] * first[3 + j];
    s.ring[i % kLag] = value;
    // The next value's coefficients: times x.
    const uint32_t top = result[kLag - 1];
    std::memmove(result + 1, result, sizeof(uint32_t) * (kLag - 1));
    result[0] = top;
    result[kLag - kShortLag] += top;
  }
}

struct StartSequence {
  StartSequence() { Restart(0); }
};
StartSequence g_start;

// ---- Sine and cosine ----

// Rounded to double, from the exact quotients.
constexpr double kHalfPi = 0x1.921fb54442d18p+0;
constexpr double kHalfPiLow = 0x1.1a62633145c07p-54;  // pi/2 less kHalfPi
constexpr double kPi = 0x1.921fb54442d18p+1;
constexpr double kPiLow = 0x1.1a62633145c07p-53;

// The bits of 2/pi after the binary point, enough for the largest float.
constexpr uint32_t kTwoOverPi[] = {0xa2f9836e, 0x4e441529, 0xfc2757d1, 0xf534ddc0, 0xdb629599,
                                   0x3c439041, 0xfe5163ab, 0xdebbc561, 0xb7246e3a, 0x424dd2e0};
constexpr int kProductWords = 5;  // of 2/pi for one reduction: 160 bits past the quadrant

// Taylor coefficients of sin r / r - 1 in r^2 and of cos r - 1, each past the last term
// that matters for |r| <= pi/4 by several bits of a double.
constexpr double kSin[] = {-0x1.5555555555555p-3,  0x1.1111111111111p-7,   -0x1.a01a01a01a01ap-13,
                           0x1.71de3a556c734p-19,  -0x1.ae64567f544e4p-26, 0x1.6124613a86d09p-33,
                           -0x1.ae7f3e733b81fp-41, 0x1.952c77030ad4ap-49};
constexpr double kCos[] = {-0x1.0000000000000p-1,  0x1.5555555555555p-5,   -0x1.6c16c16c16c17p-10,
                           0x1.a01a01a01a01ap-16,  -0x1.27e4fb7789f5cp-22, 0x1.1eed8eff8d898p-29,
                           -0x1.93974a8c07c9dp-37, 0x1.ae7f3e733b81fp-45,  -0x1.6827863b97d97p-53};

template <size_t N>
double Horner(const double (&c)[N], double z) {
  double sum = c[N - 1];
  for (size_t i = N - 1; i-- > 0;) sum = c[i] + z * sum;
  return sum;
}

double SinPoly(double r) {
  const double z = r * r;
  return r + r * z * Horner(kSin, z);
}

double CosPoly(double r) {
  const double z = r * r;
  return 1.0 + z * Horner(kCos, z);
}

// One NaN for every machine: processors differ in the NaN their arithmetic makes.
constexpr uint32_t kNaN = 0x7fc00000;

// 2^k for the exponents a reduction meets, built from its bits.
double Pow2(int k) {
  const uint64_t bits = static_cast<uint64_t>(k + 1023) << 52;
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

// The 64 bits of a little-endian number of 32-bit words that start at bit `at`.
uint64_t Bits64(const uint32_t* words, int at) {
  const int i = at / 32;
  const int shift = at % 32;
  const uint64_t low = words[i] | static_cast<uint64_t>(words[i + 1]) << 32;
  if (shift == 0) return low;
  return low >> shift | static_cast<uint64_t>(words[i + 2]) << (64 - shift);
}

int LeadingZeros(uint64_t v) {
  return __builtin_clzll(v);
}

// |x| = (4k + quadrant + f) pi/2 with |f| <= 1/2, for a finite a = |x| > pi/4; returns f pi/2.
// The product with 2/pi is worked in whole numbers, from the bit of 2/pi where whole turns
// end, so that a float of any size keeps 120 bits and more after its quadrant: the nearest a
// float comes to a multiple of pi/2 leaves most of them.
double Reduce(uint32_t bits, int* quadrant) {
  const uint64_t m = (bits & 0x7fffff) | 0x800000;
  const int e = static_cast<int>(bits >> 23) - 150;  // a = m 2^e
  // Bits of 2/pi at weights 2^-k with k <= e - 2 make whole multiples of 4: whole turns.
  const int first = std::max(0, (e - 2) / 32);
  uint32_t product[kProductWords + 3] = {};
  uint64_t carry = 0;
  for (int j = kProductWords - 1; j >= 0; --j) {
    const uint64_t t = m * kTwoOverPi[first + j] + carry;
    product[kProductWords - 1 - j] = static_cast<uint32_t>(t);
    carry = t >> 32;
  }
  product[kProductWords] = static_cast<uint32_t>(carry);
  // The binary point lies `point` bits up: two bits of quadrant above it, the rest below.
  const int point = 32 * kProductWords + 32 * first - e;
  const uint64_t top = Bits64(product, point + 2 - 64);
  uint64_t low = Bits64(product, point + 2 - 128);
  uint64_t high = top & ((1ull << 62) - 1);
  *quadrant = static_cast<int>(top >> 62);
  bool negative = false;
  if (high >> 61) {  // half a quadrant or more: the next one, less the rest
    negative = true;
    *quadrant = (*quadrant + 1) & 3;
    high = ~high & ((1ull << 62) - 1);
    low = ~low + 1;
    if (low == 0) high += 1;
  }
  // f = (high 2^64 + low) 2^-126, brought to 64 bits with its top bit set.
  int exponent;
  uint64_t mantissa;
  if (high != 0) {
    const int shift = LeadingZeros(high);
    mantissa = high << shift | low >> (64 - shift);
    exponent = -62 - shift;
  } else {
    if (low == 0) return 0.0;
    const int shift = LeadingZeros(low);
    mantissa = low << shift;
    exponent = -126 - shift;
  }
  // 53 bits, rounded; 2^53 itself is a double too.
  const uint64_t rounded = (mantissa >> 11) + ((mantissa >> 10) & 1);
  const double f = static_cast<double>(rounded) * Pow2(exponent + 11);
  return negative ? -f * kHalfPi : f * kHalfPi;
}

// sin (cosine false) or cos (cosine true) of |x|, as a double.
double SinCos(uint32_t absBits, bool cosine) {
  const float a = FloatOf(absBits);
  if (a <= 0x1.921fb4p-1f) return cosine ? CosPoly(a) : SinPoly(a);  // below pi/4
  int quadrant = 0;
  const double r = Reduce(absBits, &quadrant);
  if (cosine) quadrant = (quadrant + 1) & 3;  // cos y = sin(y + pi/2)
  switch (quadrant) {
    case 0:
      return SinPoly(r);
    case 1:
      return CosPoly(r);
    case 2:
      return -SinPoly(r);
    default:
      return -CosPoly(r);
  }
}

// ---- Arc cosine ----

// Taylor coefficients of asin t / t - 1 in t^2, enough for |t| <= 1/2.
constexpr double kAsin[] = {
    0x1.5555555555555p-3, 0x1.3333333333333p-4, 0x1.6db6db6db6db7p-5, 0x1.f1c71c71c71c7p-6,
    0x1.6e8ba2e8ba2e9p-6, 0x1.1c4ec4ec4ec4fp-6, 0x1.c99999999999ap-7, 0x1.7a87878787878p-7,
    0x1.3fde50d79435ep-7, 0x1.12ef3cf3cf3cfp-7, 0x1.df3bd37a6f4dfp-8, 0x1.a6863d70a3d71p-8,
    0x1.782dda12f684cp-8, 0x1.51ba308d3dcb1p-8, 0x1.31683bdef7bdfp-8, 0x1.15ee9d45d1746p-8,
    0x1.fcaf8fb6db6dbp-9, 0x1.d3d2a8e0dd67dp-9, 0x1.b026f57b13b14p-9, 0x1.90cb77f60c7cep-9,
    0x1.750de64d7d05fp-9, 0x1.5c5f56efaaaabp-9, 0x1.464c0950f7d47p-9, 0x1.3275586c5f2f0p-9,
    0x1.208d3570ae5a6p-9};

// asin t for |t| <= 1/2, given t and t^2.
double AsinPoly(double t, double z) {
  return t + t * z * Horner(kAsin, z);
}

double Acos(float x) {
  const double t = x;
  if (x >= -0.5f && x <= 0.5f) return kHalfPi - (AsinPoly(t, t * t) - kHalfPiLow);
  // Near 1 and -1 through the half angle: acos t = 2 asin sqrt((1 - t) / 2), exact to the
  // square root, since 1 - t and the halving lose nothing for a float t.
  const double z = (1.0 - std::fabs(t)) * 0.5;
  const double s = std::sqrt(z);
  const double half = AsinPoly(s, z);
  return x > 0.0f ? 2.0 * half : kPi - (2.0 * half - kPiLow);
}

// ---- The exceptions ----

// Inputs where the double result rounds to another float than the true value does, each
// with the float it must give, found by checking every float against a correctly rounded
// reference. Sine and cosine are listed by |x|, with the value for |x|.
struct Exception {
  uint32_t input;
  uint32_t output;
};
constexpr Exception kSineExceptions[] = {
    {0x46199998, 0xbeb1fa5d},  // 0x1.33333p+13
};
constexpr Exception kCosineExceptions[] = {
    {0x5f18b878, 0x3f7f14bb},  // 0x1.3170fp+63
    {0x6115cb11, 0x3f78142f},  // 0x1.2b9622p+67
};
constexpr Exception kArcCosineExceptions[] = {
    {0x328885a3, 0x3fc90fdb},  // 0x1.110b46p-26
    {0x39826222, 0x3fc907b5},  // 0x1.04c444p-12
};

template <size_t N>
bool FindException(const Exception (&table)[N], uint32_t input, uint32_t* output) {
  const Exception* at =
      std::lower_bound(std::begin(table), std::end(table), input,
                       [](const Exception& e, uint32_t value) { return e.input < value; });
  if (at == std::end(table) || at->input != input) return false;
  *output = at->output;
  return true;
}

bool IsFinite(uint32_t absBits) {
  return absBits < 0x7f800000;
}

}  // namespace

int DrawRandom() {
  if (g_library) {
    ++g_libraryDraws;
    return std::rand();
  }
  Sequence& s = g_sequence;
  uint32_t& value = s.ring[s.next % kLag];  // the value 31 back, replaced by the new one
  value += s.ring[(s.next - kShortLag) % kLag];
  ++s.next;
  ++s.draws;
  return static_cast<int>(value >> 1);
}

uint64_t RandomDraws() {
  return g_library ? g_libraryDraws : g_sequence.draws;
}

void SetRandomDraws(uint64_t draws) {
  if (!g_library) {
    Restart(draws);
    return;
  }
  std::srand(1);  // an unseeded rand is this very sequence
  for (g_libraryDraws = 0; g_libraryDraws < draws; ++g_libraryDraws) std::rand();
}

void UseLibraryMaths(bool library) {
  g_library = library;
  SetRandomDraws(0);
}

double SineBeforeTable(float x) {
  const uint32_t bits = BitsOf(x);
  const uint32_t absBits = bits & 0x7fffffff;
  if (!IsFinite(absBits)) return FloatOf(kNaN);
  const double s = SinCos(absBits, false);
  return bits >> 31 ? -s : s;
}

double CosineBeforeTable(float x) {
  const uint32_t absBits = BitsOf(x) & 0x7fffffff;
  if (!IsFinite(absBits)) return FloatOf(kNaN);
  return SinCos(absBits, true);
}

double ArcCosineBeforeTable(float x) {
  // Written as a range test, so that NaN fails it whatever the compiler makes of comparisons.
  if (!(x >= -1.0f && x <= 1.0f)) return FloatOf(kNaN);
  return Acos(x);
}

float Sine(float x) {
  if (g_library) return std::sin(x);
  const uint32_t bits = BitsOf(x);
  uint32_t output;
  if (FindException(kSineExceptions, bits & 0x7fffffff, &output)) {
    return FloatOf(output ^ (bits & 0x80000000));  // sin -x = -sin x
  }
  return static_cast<float>(SineBeforeTable(x));
}

float Cosine(float x) {
  if (g_library) return std::cos(x);
  uint32_t output;
  if (FindException(kCosineExceptions, BitsOf(x) & 0x7fffffff, &output)) return FloatOf(output);
  return static_cast<float>(CosineBeforeTable(x));
}

float ArcCosine(float x) {
  if (g_library) return std::acos(x);
  uint32_t output;
  if (FindException(kArcCosineExceptions, BitsOf(x), &output)) return FloatOf(output);
  return static_cast<float>(ArcCosineBeforeTable(x));
}

int ExceptionCount(int function) {
  switch (function) {
    case 0:
      return static_cast<int>(std::size(kSineExceptions));
    case 1:
      return static_cast<int>(std::size(kCosineExceptions));
    default:
      return static_cast<int>(std::size(kArcCosineExceptions));
  }
}
