// The exact value of long digit strings: decimal numbers correctly rounded to
// doubles, powers of ten among them, the same with every C++ library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace replaygen {

// The powers of ten from 1 up, as many as `count`, each as a `Number`.
template <typename Number, std::size_t count>
constexpr std::array<Number, count> powers_of_ten() {
  std::array<Number, count> powers{};
  Number power = 1;
  for (Number& p : powers) {
    p = power;
    power *= 10;
  }
  return powers;
}

// Powers of ten up to 1e22 are exact in a double.
inline constexpr auto exact_powers_of_ten = powers_of_ten<double, 23>();

// The exponent of the largest power of ten below the largest double.
inline constexpr std::uint64_t max_exponent_of_ten = 308;

// Ten to the power of n (n <= max_exponent_of_ten), correctly rounded, so that every
// platform's build agrees whatever its pow() does.
double power_of_ten(std::uint64_t n);

// The leading significant digits of a digit string, so that a number whose
// digit arithmetic leaves the range of a double can still be given its true
// value.
struct exact_digits {
  // Enough digits to round any decimal correctly to a double.
  static constexpr std::size_t kept_max = 800;

  std::array<char, kept_max> kept;
  std::size_t kept_count = 0;
  std::uint64_t significant = 0;  // digits from the first non-zero one on
  bool dropped_nonzero = false;   // a non-zero digit beyond the kept ones

  void reset() {
    kept_count = 0;
    significant = 0;
    dropped_nonzero = false;
  }
  void push(char digit);
  void push_all(std::uint64_t number);
  // The digits as an integer divided by ten to the power of
  // `fraction_digits`, correctly rounded; beyond the largest double it is the
  // largest double.
  double value(std::uint64_t fraction_digits) const;
};

}  // namespace replaygen
