// The token's rules: the time of a request token, scanned from its bytes,
// and where its payload starts.
#include "token_parser.hpp"

#include <cmath>

#include "byte_scan.hpp"

namespace replaygen {

namespace {

// The time of a digit string of at most exact_digit_count digits, whose
// value is `value`, `fraction_digits` of them after the mark (fewer than 23):
// the value is exact in a double, and so is the power of ten.
request_time small_time(std::uint64_t value, std::uint64_t fraction_digits) {
  const std::uint64_t tenths = fraction_digits == 0 ? value * 10 : value;
  const bool in_tenths = fraction_digits <= 1 && tenths < max_tenths;
  return {
      static_cast<double>(value) / exact_powers_of_ten[static_cast<std::size_t>(fraction_digits)],
      in_tenths ? static_cast<std::int64_t>(tenths) : -1};
}

// A digit past the ones that integers hold exactly, `small_value` being their
// value: from here on the value is the double arithmetic's, with the leading
// digits kept on the side.
void push_long_digit(token_scan& scan, std::uint64_t small_value, unsigned char digit) {
  if (!scan.long_digits) {
    scan.long_digits = true;
    scan.value = static_cast<double>(small_value);
    scan.digits.reset();
    scan.digits.push_all(small_value);
  }
  scan.value = (scan.value * 10.0 + digit) - 48.0;
  scan.digits.push(static_cast<char>(digit));
}

using byte_scan::is_digit;

// Up to ten to the eighth: a factor for each count of digits taken at once.
constexpr auto integer_powers_of_ten = powers_of_ten<std::uint64_t, 9>();

// Takes the run of digits at `p` into `value`, up to eight of them at once;
// `p` must have eight bytes readable and start with a digit. Returns how many
// digits it took.
unsigned take_digits(std::uint64_t& value, const char* p) {
  const std::uint64_t word = byte_scan::load_word(p);
  const unsigned count = byte_scan::leading_digits(word);
  value = value * integer_powers_of_ten[count] + byte_scan::digits_value(word, count);
  return count;
}

// The true value of the digits since the last '[' over ten to the power of
// the count of fraction digits.
double exact_value(const token_scan& scan) {
  if (scan.long_digits) return scan.digits.value(scan.fraction_digits);
  exact_digits digits;
  digits.push_all(scan.small_value);
  return digits.value(scan.fraction_digits);
}

}  // namespace

token_part_end scan_time_part(token_scan& scan, const char* begin, const char* end) {
  // The fields that the loop changes, in locals that the compiler keeps in
  // registers, stored back once at the end.
  std::uint64_t small_value = scan.small_value;
  unsigned small_digit_count = scan.small_digit_count;
  bool seen_mark = scan.seen_mark;
  std::uint64_t fraction_digits = scan.fraction_digits;
  const char* p = begin;
  token_stop stop = token_stop::at_input_end;
  for (; p != end; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (is_digit(c)) {
      if (small_digit_count < token_scan::exact_digit_count) {
        small_value = small_value * 10 + (c - '0');
        ++small_digit_count;
      } else {
        push_long_digit(scan, small_value, c);
      }
      if (seen_mark) ++fraction_digits;
    } else if (c == ']') {
      stop = token_stop::past_bracket;
      ++p;
      break;
    } else if (ends_token(c)) {
      stop = stop_at_token_end(c);
      break;
    } else if (c == '[') {
      small_value = 0;
      small_digit_count = 0;
      scan.long_digits = false;  // `value` and `digits` are set afresh with it
    } else {
      seen_mark = true;
    }
  }
  scan.small_value = small_value;
  scan.small_digit_count = small_digit_count;
  scan.seen_mark = seen_mark;
  scan.fraction_digits = fraction_digits;
  return {p, stop};
}

double timestamp(const token_scan& scan) {
  const double value = scan.long_digits ? scan.value : static_cast<double>(scan.small_value);
  if (std::isfinite(value) && scan.fraction_digits <= max_exponent_of_ten)
    return value / power_of_ten(scan.fraction_digits);
  return exact_value(scan);
}

request_time time_of(const token_scan& scan) {
  if (scan.long_digits || scan.fraction_digits >= exact_powers_of_ten.size())
    return {timestamp(scan), -1};
  return small_time(scan.small_value, scan.fraction_digits);
}

std::optional<usual_time_part> parse_usual_time(const char* begin, const char* end) {
  // Room for what is read: the '[', eight bytes of whole digits, the point and
  // eight bytes of fraction digits, in which the ']' after fifteen digits at
  // most also lies.
  constexpr std::ptrdiff_t room = 18;
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
