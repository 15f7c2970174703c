// The wait lines: a wait rounded to tenths of a second, exactly and ties to
// even, and the line that holds it, ready-made for the shortest waits.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "hot_inline.hpp"
#include "output_buffer.hpp"
#include "script_text.hpp"
#include "token_parser.hpp"

namespace replaygen {

// Room for the text of a wait: the largest double has 309 integer digits.
inline constexpr std::size_t max_wait_chars = 309 + 2;

// Ten times a wait in seconds (not negative), rounded to a whole number on
// its exact value, a tie going to even; none where ten times the wait is
// 2^52 or more.
std::optional<std::uint64_t> rounded_tenths(double seconds);

// Writes a wait in seconds of which rounded_tenths gives none, in fixed
// notation with one digit after the point, a tie going to even on the exact
// binary value, at `to` (max_wait_chars long); returns the end of what it
// wrote.
char* write_long_wait(double seconds, char* to);

// Writes a number of tenths of a second with one digit after the point, into
// `to` (max_wait_chars long); returns the end of what it wrote.
char* write_tenths(std::uint64_t tenths, char* to);

// The wait lines for waits from 0.0 to 9.9 s, the most common by far, ready
// to copy: "time.sleep(X.Y)\n" is sixteen bytes.
inline constexpr std::size_t short_wait_line_size = 16;
static_assert(sleep_start.size() + 3 + sleep_end.size() == short_wait_line_size);
inline constexpr auto short_wait_lines = [] {
  std::array<std::array<char, short_wait_line_size>, 100> lines{};
  for (std::size_t tenths = 0; tenths < lines.size(); ++tenths) {
    char* end = std::copy(sleep_start.begin(), sleep_start.end(), lines[tenths].data());
    const char wait[] = {static_cast<char>('0' + tenths / 10), '.',
                         static_cast<char>('0' + tenths % 10)};
    end = std::copy(std::begin(wait), std::end(wait), end);
    std::copy(sleep_end.begin(), sleep_end.end(), end);
  }
  return lines;
}();

// Writes the line that waits a number of tenths of a second.
REPLAYGEN_HOT_INLINE char* write_tenths_wait_line(std::uint64_t tenths, char* to) {
  if (tenths < short_wait_lines.size()) {
    std::memcpy(to, short_wait_lines[static_cast<std::size_t>(tenths)].data(),
                short_wait_line_size);
    return to + short_wait_line_size;
  }
  return write_text(sleep_end, write_tenths(tenths, write_text(sleep_start, to)));
}

// Writes the line that waits from the time `previous` to `now`; a negative
// wait as 0.0, since Python refuses a negative sleep and the replay would end.
REPLAYGEN_HOT_INLINE char* write_wait_line(const request_time& previous, const request_time& now,
                                           char* to) {
  // Between times in tenths the wait is their difference, to which the
  // doubles' difference rounds exactly (see max_tenths).
  if (now.tenths >= 0 && previous.tenths >= 0) {
    const std::int64_t tenths = std::max<std::int64_t>(now.tenths - previous.tenths, 0);
    return write_tenths_wait_line(static_cast<std::uint64_t>(tenths), to);
  }
  const double seconds = std::max(now.seconds - previous.seconds, 0.0);
  if (const std::optional<std::uint64_t> tenths = rounded_tenths(seconds))
    return write_tenths_wait_line(*tenths, to);
  return write_text(sleep_end, write_long_wait(seconds, write_text(sleep_start, to)));
}

}  // namespace replaygen
