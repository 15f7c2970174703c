#include "token_parser.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace replaygen {

namespace {

// Tests on eight bytes at once, for scanning digits.
namespace byte_words {

constexpr std::uint64_t ones = 0x0101010101010101;
constexpr std::uint64_t high_bits = 0x8080808080808080;

// Eight bytes as a number, the first in the lowest bits, on any platform.
std::uint64_t load(const char* p) {
  std::uint64_t word = 0;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::big) {
    std::uint64_t reversed = 0;
    for (int i = 0; i < 8; ++i, word >>= 8) reversed = reversed << 8 | (word & 0xff);
    word = reversed;
  }
  return word;
}

// The tests below flag a byte in its high bit. They are the classic tests
// for a byte below or above a bound; a borrow or carry can flag a byte
// falsely only above a truly flagged one, so the lowest flag is always right.
constexpr std::uint64_t bytes_below(std::uint64_t word, unsigned char bound) {
  return (word - ones * bound) & ~word & high_bits;
}
constexpr std::uint64_t bytes_above(std::uint64_t word, unsigned char bound) {
  return ((word + ones * (127 - bound)) | word) & high_bits;
}

// How many bytes come before the first flagged one (eight if none is).
constexpr unsigned bytes_before_flag(std::uint64_t flags) {
  return flags == 0 ? 8 : static_cast<unsigned>(std::countr_zero(flags)) / 8;
}

}  // namespace byte_words

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

// A digit past the ones that integers hold exactly, `small_ss` being their
// value: from here on the value is the double arithmetic's, with the leading
// digits kept on the side.
void push_long_digit(token_scan& scan, std::uint64_t small_ss, unsigned char c) {
  if (!scan.long_digits) {
    scan.long_digits = true;
    scan.ss = static_cast<double>(small_ss);
    scan.digits.reset();
    scan.digits.push_all(small_ss);
  }
  scan.ss = (scan.ss * 10.0 + c) - 48.0;
  scan.digits.push(static_cast<char>(c));
}

constexpr bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

constexpr auto integer_powers_of_ten = [] {
  std::array<std::uint64_t, 9> powers{};
  std::uint64_t power = 1;
  for (std::uint64_t& p : powers) {
    p = power;
    power *= 10;
  }
  return powers;
}();

// Takes the run of digits at `p` into `value`, up to eight of them at once
// and without a branch per digit; `p` must have eight bytes readable and
// start with a digit. Returns how many digits it took.
unsigned take_digits(std::uint64_t& value, const char* p) {
  using namespace byte_words;
  std::uint64_t word = load(p);
  const unsigned count = bytes_before_flag(bytes_below(word, '0') | bytes_above(word, '9'));
  // Shifting out what follows the digits leaves zero digits in front of them;
  // then pairs, fours and eights of digits are combined by multiplying.
  word = (word & 0x0f0f0f0f0f0f0f0f) << (8 * (8 - count));
  word = (word * (1 + (10 << 8))) >> 8 & 0x00ff00ff00ff00ff;
  word = (word * (1 + (100 << 16))) >> 16 & 0x0000ffff0000ffff;
  word = (word * (1 + (10000ULL << 32))) >> 32;
  value = value * integer_powers_of_ten[count] + word;
  return count;
}

// The usual time part, "[", digits, a "." and more digits if any, and "]",
// scanned in a few steps into `scan`, which it sets as a whole; returns where
// it ends, or null (leaving `scan` as it was) if the token is of another
// shape or too near `end`.
const char* parse_usual_time(token_scan& scan, const char* begin, const char* end) {
  // Room for the brackets, the point and two runs of digits read eight at once.
  constexpr std::ptrdiff_t room = 20;
  if (end - begin < room || begin[0] != '[' || !is_digit(static_cast<unsigned char>(begin[1])))
    return nullptr;
  std::uint64_t value = 0;
  const char* p = begin + 1;
  const unsigned whole_digits = take_digits(value, p);
  p += whole_digits;
  const bool dot = *p == '.';
  unsigned fraction_digits = 0;
  if (dot && is_digit(static_cast<unsigned char>(*++p))) {
    // One digit after the point is the most common by far.
    if (is_digit(static_cast<unsigned char>(p[1]))) {
      fraction_digits = take_digits(value, p);
    } else {
      value = value * 10 + static_cast<unsigned char>(*p) - '0';
      fraction_digits = 1;
    }
    p += fraction_digits;
  }
  if (*p != ']' || whole_digits + fraction_digits > token_scan::exact_digit_count) return nullptr;
  scan.small_ss = value;
  scan.small_digits = whole_digits + fraction_digits;
  scan.long_digits = false;
  scan.dot = dot;
  scan.frac = fraction_digits;
  scan.closed = true;
  return p + 1;
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
  // The fields touched for every byte, in locals that stay in registers.
  std::uint64_t small_ss = scan.small_ss;
  unsigned small_digits = scan.small_digits;
  bool dot = scan.dot;
  std::uint64_t frac = scan.frac;
  const char* p = begin;
  for (; p != end; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (is_digit(c)) {
      unsigned count = 1;
      if (end - p >= 8 && small_digits + 8 <= token_scan::exact_digit_count) {
        count = take_digits(small_ss, p);
        small_digits += count;
      } else if (small_digits < token_scan::exact_digit_count) {
        small_ss = small_ss * 10 + (c - '0');
        ++small_digits;
      } else {
        push_long_digit(scan, small_ss, c);
      }
      if (dot) frac += count;
      p += count - 1;
    } else if (c == ']') {
      scan.closed = true;
      ++p;
      break;
    } else if (ends_token(c)) {
      break;
    } else if (c == '[') {
      small_ss = 0;
      small_digits = 0;
      scan.reset_value();
    } else {
      dot = true;
    }
  }
  scan.small_ss = small_ss;
  scan.small_digits = small_digits;
  scan.dot = dot;
  scan.frac = frac;
  return p;
}

const char* parse_token_start(token_scan& scan, const char* begin, const char* end) {
  if (const char* after = parse_usual_time(scan, begin, end)) return after;
  scan.reset();
  return parse_token(scan, begin, end);
}

double timestamp(const token_scan& scan) {
  const double ss = scan.long_digits ? scan.ss : static_cast<double>(scan.small_ss);
  if (std::isfinite(ss) && scan.frac <= max_power_of_ten) return ss / power_of_ten(scan.frac);
  return exact_value(scan);
}

std::optional<std::int64_t> timestamp_tenths(const token_scan& scan) {
  if (scan.long_digits || scan.frac > 1) return std::nullopt;
  const std::uint64_t tenths = scan.frac == 1 ? scan.small_ss : scan.small_ss * 10;
  if (tenths >= max_tenths) return std::nullopt;
  return static_cast<std::int64_t>(tenths);
}

}  // namespace replaygen
