// The wait lines: a wait rounded to tenths exactly, ties to even, and
// written in fixed notation.
#include "wait_line.hpp"

#include <charconv>

namespace replaygen {

char* write_tenths(std::uint64_t tenths, char* to) {
  // Leaves room for the point and the last digit.
  to = std::to_chars(to, to + max_wait_chars - 2, tenths / 10).ptr;
  *to++ = '.';
  *to++ = static_cast<char>('0' + tenths % 10);
  return to;
}

std::optional<std::uint64_t> rounded_tenths(double seconds) {
  // 10x is 8x + 2x, both exact (powers of two), and their sum's rounding error
  // is exact too (Fast2Sum, as |8x| >= |2x|): tenths + error is exactly 10x.
  // Needs every operation rounded on its own: no fused multiply-add.
  const double eight = seconds * 8.0, two = seconds * 2.0;
  const double tenths = eight + two;
  const double error = two - (tenths - eight);
  if (!(tenths < 0x1p52)) return std::nullopt;
  const auto whole = static_cast<std::uint64_t>(tenths);
  // The fraction less one half is exact below 2^52 and, unless zero, larger
  // than the error (a multiple of tenths' ulp, which the error is below half
  // of): the sum has the sign of 10x's distance above the half.
  const double above_half = (tenths - static_cast<double>(whole) - 0.5) + error;
  // Decided without branches, which would go either way at random.
  const bool up = (above_half > 0.0) | ((above_half >= 0.0) & (whole % 2 == 1));
  return whole + (up ? 1 : 0);
}

char* write_long_wait(double seconds, char* to) {
  return std::to_chars(to, to + max_wait_chars, seconds, std::chars_format::fixed, 1).ptr;
}

}  // namespace replaygen
