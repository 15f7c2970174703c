// The request head: the lines of a request up to its payload, which are its
// wait line, unless it is the first, and the start of the line that sends it.
#pragma once

#include <cstddef>
#include <optional>

#include "hot_inline.hpp"
#include "output_buffer.hpp"
#include "script_text.hpp"
#include "token_parser.hpp"
#include "wait_line.hpp"

namespace replaygen {

// Room for the longest request head.
inline constexpr std::size_t request_head_room =
    sleep_start.size() + max_wait_chars + sleep_end.size() + send_start.size();
static_assert(request_head_room <= output_buffer::min_capacity);

// Writes the head of a request at `now` to `to`, with a wait line unless
// `previous`, the time before, is none; then keeps `now` as the time before.
// Returns the end of what it wrote.
REPLAYGEN_HOT_INLINE char* write_request_head(std::optional<request_time>& previous,
                                              const request_time& now, char* to) {
  if (previous) to = write_wait_line(*previous, now, to);
  previous = now;
  return write_text(send_start, to);
}

}  // namespace replaygen
