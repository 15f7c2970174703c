// The payload literal: payloads copied into the script in their literal
// forms, as far as the input or the output lasts.
#include "payload_literal.hpp"

#include <span>

namespace replaygen {

namespace {

// Copies payload bytes in their literal forms a byte at a time, up to a byte
// that ends the token, as far as either range lasts.
void copy_literal_bytes(const char*& from, const char* from_end, char*& to, const char* to_end) {
  while (from != from_end && to_end - to >= longest_form)
    if (!copy_literal_form(from, to)) return;
}

}  // namespace

token_part_end write_payload(output_buffer& out, const char* begin, const char* end) {
  const char* p = begin;
  for (;;) {
    const std::span<char> room = out.free_space(block_room);
    char* to = room.data();
    const char* const to_end = room.data() + room.size();
    copy_literal_blocks(p, end, to, to_end);
    copy_literal_bytes(p, end, to, to_end);
    out.commit(static_cast<std::size_t>(to - room.data()));
    // Unless the room ran out, the payload ends here or the input does.
    if (p == end) return {p, token_stop::at_input_end};
    if (const auto c = static_cast<unsigned char>(*p); ends_token(c))
      return {p, stop_at_token_end(c)};
  }
}

}  // namespace replaygen
