#include "token_parser.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace replaygen {

namespace {

// Powers of ten up to 1e22 are exact in a double.
constexpr auto exact_powers_of_ten = [] {
  std::array<double, 23> powers{};
  double power = 1.0;
  for (double& p : powers) {
    p = power;
    power *= 10.0;
  }
  return powers;
}();

// Largest power of ten below the largest double.
constexpr std::uint64_t max_power_of_ten = 308;

// Ten to the power of n (n <= 308), correctly rounded, so that every
// platform's build agrees whatever its pow() does.
double power_of_ten(std::uint64_t n) {
  if (n < exact_powers_of_ten.size()) return exact_powers_of_ten[n];
  char text[8] = "1e";
  char* text_end = std::to_chars(text + 2, text + sizeof text, n).ptr;
  double power = 0.0;
  std::from_chars(text, text_end, power);
  return power;
}

// A digit past the ones that integers hold exactly: from here on the value is
// the double arithmetic's, with the leading digits kept on the side.
void push_long_digit(token_scan& scan, unsigned char c) {
  if (!scan.long_digits) {
    scan.long_digits = true;
    scan.ss = static_cast<double>(scan.small_ss);
    scan.digits.reset();
    scan.digits.push_all(scan.small_ss);
  }
  scan.ss = (scan.ss * 10.0 + c) - 48.0;
  scan.digits.push(static_cast<char>(c));
}

constexpr bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

// Accumulates a run of digits; returns where the run ends.
const char* scan_digits(token_scan& scan, const char* begin, const char* end) {
  // In locals, which stay in registers, unlike the fields of `scan`.
  std::uint64_t value = scan.small_ss;
  const char* p = begin;
  const char* exact_end =
      p + std::min<std::ptrdiff_t>(end - p, token_scan::exact_digit_count - scan.small_digits);
  for (; p != exact_end && is_digit(static_cast<unsigned char>(*p)); ++p)
    value = value * 10 + static_cast<unsigned char>(*p) - '0';
  scan.small_ss = value;
  scan.small_digits += static_cast<unsigned>(p - begin);
  for (; p != end && is_digit(static_cast<unsigned char>(*p)); ++p)
    push_long_digit(scan, static_cast<unsigned char>(*p));
  if (scan.dot) scan.frac += static_cast<std::uint64_t>(p - begin);
  return p;
}

// The true value of the digits since the last '[' over ten to the power of frac.
double exact_value(const token_scan& scan) {
  if (scan.long_digits) return scan.digits.value(scan.frac);
  exact_digits digits;
  digits.push_all(scan.small_ss);
  return digits.value(scan.frac);
}

}  // namespace

void exact_digits::push(char digit) {
  if (significant == 0 && digit == '0') return;
  ++significant;
  if (kept_count < kept_max)
    kept[kept_count++] = digit;
  else if (digit != '0')
    dropped_nonzero = true;
}

double exact_digits::value(std::uint64_t frac) const {
  constexpr double largest = std::numeric_limits<double>::max();
  if (significant == 0) return 0.0;
  // The value is 0.<kept digits> times ten to the power of `significant - frac`;
  // far enough out of range, the exponent alone decides.
  if (significant > frac && significant - frac > 310) return largest;
  if (frac > significant && frac - significant > 330) return 0.0;
  const long long exponent = static_cast<long long>(significant) - static_cast<long long>(frac);

  // "0." digits, a tie-breaking digit, "e" and the exponent.
  std::array<char, 2 + exact_digits::kept_max + 1 + 1 + 8> text{'0', '.'};
  char* text_end = std::copy_n(kept.data(), kept_count, text.data() + 2);
  // A non-zero digit past the kept ones only has to break a rounding tie.
  if (dropped_nonzero) *text_end++ = '1';
  *text_end++ = 'e';
  text_end = std::to_chars(text_end, text.data() + text.size(), exponent).ptr;

  double result = 0.0;
  const auto error = std::from_chars(text.data(), text_end, result).ec;
  if (error == std::errc::result_out_of_range) return exponent > 0 ? largest : 0.0;
  return result;
}

void exact_digits::push_all(std::uint64_t number) {
  char text[20];
  const char* text_end = std::to_chars(text, text + sizeof text, number).ptr;
  for (const char* p = text; p != text_end; ++p) push(*p);
}

const char* parse_token(token_scan& scan, const char* begin, const char* end) {
  const char* p = begin;
  while (p != end) {
    const auto c = static_cast<unsigned char>(*p);
    if (is_digit(c)) {
      p = scan_digits(scan, p, end);
      continue;
    }
    if (ends_token(c)) break;
    if (c == ']') {
      scan.closed = true;
      return p + 1;
    }
    if (c == '[')
      scan.reset_value();
    else
      scan.dot = true;
    ++p;
  }
  return p;
}

double timestamp(const token_scan& scan) {
  const double ss = scan.long_digits ? scan.ss : static_cast<double>(scan.small_ss);
  if (std::isfinite(ss) && scan.frac <= max_power_of_ten) return ss / power_of_ten(scan.frac);
  return exact_value(scan);
}

}  // namespace replaygen
