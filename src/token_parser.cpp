// The token's rules: the time of a request token, scanned from its bytes,
// and where its payload starts.
#include "token_parser.hpp"

#include <cmath>

#include "byte_scan.hpp"

namespace replaygen {

namespace {

// The time of a digit string of at most exact_digit_count digits, `frac` of
// them after the mark (frac below 23): the digits' value is exact in a double,
// and so is the power of ten.
request_time small_time(std::uint64_t digits, std::uint64_t frac) {
  const std::uint64_t tenths = frac == 0 ? digits * 10 : digits;
  const bool in_tenths = frac <= 1 && tenths < max_tenths;
  return {static_cast<double>(digits) / exact_powers_of_ten[static_cast<std::size_t>(frac)],
          in_tenths ? static_cast<std::int64_t>(tenths) : -1};
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

using byte_scan::is_digit;

constexpr auto integer_powers_of_ten = [] {
  std::array<std::uint64_t, 9> powers{};
  std::uint64_t power = 1;
  for (std::uint64_t& p : powers) {
    p = power;
    power *= 10;
  }
  return powers;
}();

// Takes the run of digits at `p` into `value`, up to eight of them at once;
// `p` must have eight bytes readable and start with a digit. Returns how many
// digits it took.
unsigned take_digits(std::uint64_t& value, const char* p) {
  const std::uint64_t word = byte_scan::load_word(p);
  const unsigned count = byte_scan::leading_digits(word);
  value = value * integer_powers_of_ten[count] + byte_scan::digits_value(word, count);
  return count;
}

// The true value of the digits since the last '[' over ten to the power of frac.
double exact_value(const token_scan& scan) {
  if (scan.long_digits) return scan.digits.value(scan.frac);
  exact_digits digits;
  digits.push_all(scan.small_ss);
  return digits.value(scan.frac);
}

}  // namespace

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
  scan.reset();
  return parse_token(scan, begin, end);
}

double timestamp(const token_scan& scan) {
  const double ss = scan.long_digits ? scan.ss : static_cast<double>(scan.small_ss);
  if (std::isfinite(ss) && scan.frac <= max_power_of_ten) return ss / power_of_ten(scan.frac);
  return exact_value(scan);
}

request_time time_of(const token_scan& scan) {
  if (scan.long_digits || scan.frac >= exact_powers_of_ten.size()) return {timestamp(scan), -1};
  return small_time(scan.small_ss, scan.frac);
}

std::optional<usual_time_part> parse_usual_time(const char* begin, const char* end) {
  // Room for the brackets, the point and two runs of digits read eight at once.
  constexpr std::ptrdiff_t room = 20;
  if (end - begin < room || begin[0] != '[') return std::nullopt;
  const std::uint64_t whole_word = byte_scan::load_word(begin + 1);
  const unsigned whole_digits = byte_scan::leading_digits(whole_word);
  if (whole_digits == 0) return std::nullopt;
  std::uint64_t value = byte_scan::digits_value(whole_word, whole_digits);
  const char* p = begin + 1 + whole_digits;
  unsigned fraction_digits = 0;
  if (*p == '.' && is_digit(static_cast<unsigned char>(p[1]))) {
    ++p;
    if (p[1] == ']') {  // one digit after the point, the most common by far
      value = value * 10 + static_cast<unsigned char>(*p) - '0';
      fraction_digits = 1;
    } else {
      fraction_digits = take_digits(value, p);
      if (whole_digits + fraction_digits > token_scan::exact_digit_count) return std::nullopt;
    }
    p += fraction_digits;
  }
  if (*p != ']') return std::nullopt;
  return usual_time_part{small_time(value, fraction_digits), p + 1};
}

}  // namespace replaygen
