// Takes a request token apart: where words and tokens end, the time between
// its brackets, and where its payload (everything after the first ']') starts.
#pragma once

#include <array>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "exact_decimal.hpp"

namespace replaygen {

// Bytes that end a word of input: the ones the "%s" read conversion skips.
inline constexpr auto word_space_bytes = [] {
  std::array<bool, 256> space{};
  for (const char c : std::string_view(" \t\n\v\f\r")) space[static_cast<unsigned char>(c)] = true;
  return space;
}();

constexpr bool is_word_space(unsigned char c) { return word_space_bytes[c]; }

// A NUL ends the token for the parser, though not the input word.
inline constexpr auto token_end_bytes = [] {
  std::array<bool, 256> ends = word_space_bytes;
  ends['\0'] = true;
  return ends;
}();

constexpr bool ends_token(unsigned char c) { return token_end_bytes[c]; }

// Scan state of one token, set afresh for every token.
struct token_scan {
  // Up to this many digits since the last '[', the digit arithmetic on
  // doubles is exact, so it is done on integers, which is faster.
  static constexpr unsigned exact_digit_count = 15;

  std::uint64_t small_value = 0;  // value of the digits, while there are few
  unsigned small_digit_count = 0;
  bool long_digits = false;           // more digits: `value` and `digits` take over
  double value = 0.0;                 // value of the digits, once there are more
  bool seen_mark = false;             // a decimal mark is passed
  std::uint64_t fraction_digits = 0;  // how many digits came after the mark
  exact_digits digits;                // the leading digits since the last '['

  // Field by field, so the digit array is not cleared for every token;
  // `value` and `digits` are set afresh when `long_digits` is.
  void reset() {
    small_value = 0;
    small_digit_count = 0;
    long_digits = false;
    seen_mark = false;
    fraction_digits = 0;
  }
};

// Where the scan of a part of a token stopped: just past the first ']' (in
// its time part), at a byte that ends its word, at a NUL, which ends the token
// before its word ends, or at the end of the piece of input, the token going
// on in the next.
enum class token_stop { past_bracket, at_word_end, at_nul, at_input_end };
struct token_part_end {
  const char* at;
  token_stop stop;
};

// How a byte that ends the token ends it.
constexpr token_stop stop_at_token_end(unsigned char c) {
  return c == '\0' ? token_stop::at_nul : token_stop::at_word_end;
}

// Scans the time part of a token from `begin` up to where it stops; a token
// split across reads is scanned in several calls. A token without ']' stops
// at its end.
token_part_end scan_time_part(token_scan& scan, const char* begin, const char* end);

// The token's time in seconds, once its time part is scanned.
double timestamp(const token_scan& scan);

// Times, and the waits between them, are computed on doubles rounded step by
// step, as written.
static_assert(FLT_EVAL_METHOD == 0,
              "double arithmetic must not use extended precision: on 32-bit x86, build with "
              "-msse2 -mfpmath=sse");

// Times below this many tenths of a second are kept in tenths too.
inline constexpr std::int64_t max_tenths = 1'000'000'000'000;
// Each time below max_tenths / 10 s lies within 2^-53 of its size from its
// tenths, and so does the difference of two from theirs: three such errors
// stay below 0.05 s, the least distance from a whole number of tenths to a
// rounding boundary, so that the difference rounds to its tenths exactly.
static_assert(3.0 * (max_tenths / 10.0) * 0x1p-53 < 0.05);
static_assert(max_tenths < (std::int64_t{1} << 53), "tenths must convert to doubles exactly");

// A request's time: its timestamp, and the same time in whole tenths of a
// second where the token writes it with at most one digit after the mark and
// it is below max_tenths, else -1. The timestamp is then the double nearest
// to the tenths, and waits between such times are found from the tenths.
struct request_time {
  double seconds;
  std::int64_t tenths;
};

// The time of the token whose time part is scanned into `scan`.
request_time time_of(const token_scan& scan);

// A time part of the usual shape, "[", digits, a "." and more digits if any,
// and "]", with at most eight digits on each side of the point and fifteen in
// all: its time, and where it ends.
struct usual_time_part {
  request_time time;
  const char* end;
};

// Scans a usual time part at `begin` in a few steps; none if the token is of
// another shape or too near `end`, for scan_time_part to take.
std::optional<usual_time_part> parse_usual_time(const char* begin, const char* end);

}  // namespace replaygen
