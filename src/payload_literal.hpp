// The payload literal: how each payload byte stands in the script's bytes
// literal, and the copy of payloads into the script in those forms.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "byte_scan.hpp"
#include "hot_inline.hpp"
#include "output_buffer.hpp"
#include "token_parser.hpp"

namespace replaygen {

// A plain byte stands as itself, a backslash or double quote with a backslash
// before it, any other byte as a hex escape. The literal then parses, and
// sends exactly the input byte. A byte that ends the token has no form (size
// 0). A form takes eight bytes, for indexing in one step.
inline constexpr std::ptrdiff_t longest_form = 4;  // signed, as block_size
struct alignas(8) literal_form {
  std::array<char, longest_form> text;
  std::uint8_t size;
};

inline constexpr auto literal_forms = [] {
  constexpr std::string_view hex_digits = "0123456789abcdef";
  std::array<literal_form, 256> forms{};
  for (unsigned c = 0; c < forms.size(); ++c) {
    const auto byte = static_cast<char>(c);
    if (ends_token(static_cast<unsigned char>(c)))
      forms[c] = {{}, 0};
    else if (byte_scan::is_plain(static_cast<unsigned char>(c)))
      forms[c] = {{byte}, 1};
    else if (byte == '\\' || byte == '"')
      forms[c] = {{'\\', byte}, 2};
    else
      forms[c] = {{'\\', 'x', hex_digits[c >> 4], hex_digits[c & 0xf]}, longest_form};
  }
  return forms;
}();

// Writes the literal form of the byte at `from` to `to`, which has room for
// the longest form, and steps both past it; returns false, and stays, at a
// byte that ends the token.
REPLAYGEN_HOT_INLINE bool copy_literal_form(const char*& from, char*& to) {
  const literal_form& form = literal_forms[static_cast<unsigned char>(*from)];
  std::memcpy(to, form.text.data(), form.text.size());
  if (form.size == 0) return false;
  to += form.size;
  ++from;
  return true;
}

// Payload bytes are taken a block at a time, as far as the input holds a
// block and the output the longest forms of one.
using byte_scan::block_size;
inline constexpr std::ptrdiff_t block_room = block_size * longest_form;
static_assert(block_room <= output_buffer::min_capacity);

// Copies payload bytes in their literal forms up to a byte that ends the
// token, block by block: a run of plain bytes at once, and the rest of a block
// after it one byte at a time, since bytes to escape come in clusters. The
// output must have room for a block's forms. Advances both; returns whether
// it stopped at the token's end.
REPLAYGEN_HOT_INLINE bool copy_literal_blocks(const char*& from_ref, const char* from_end,
                                              char*& to_ref, const char* to_end) {
  // Both positions in locals that the compiler keeps in registers, stored
  // back once at the end.
  const char* from = from_ref;
  char* to = to_ref;
  bool token_ended = false;
  while (from_end - from >= block_size) {
    const char* const block_end = from + block_size;
    // The whole block is stored, and as many bytes kept as are plain.
    const std::ptrdiff_t plain = byte_scan::copy_block(from, to);
    from += plain;
    to += plain;
    while (!token_ended && from != block_end) token_ended = !copy_literal_form(from, to);
    if (token_ended || to_end - to < block_room) break;
  }
  from_ref = from;
  to_ref = to;
  return token_ended;
}

// Writes payload bytes in their literal forms up to the first byte that ends
// the token; returns where it stopped: at the word's end, at a NUL or at the
// end of the piece of input.
token_part_end write_payload(output_buffer& out, const char* begin, const char* end);

}  // namespace replaygen
