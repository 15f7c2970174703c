// Tests on eight bytes at once, for the scanner's hot loops.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace replaygen::byte_words {

inline constexpr std::uint64_t ones = 0x0101010101010101;
inline constexpr std::uint64_t high_bits = 0x8080808080808080;

// Eight bytes as a number, the first in the lowest bits, on any platform.
inline std::uint64_t load(const char* p) {
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
// for a zero byte or a byte below a bound; a borrow or carry can flag a byte
// falsely only above a truly flagged one, so the lowest flag is always right.
constexpr std::uint64_t zero_bytes(std::uint64_t word) { return (word - ones) & ~word & high_bits; }
constexpr std::uint64_t bytes_equal(std::uint64_t word, unsigned char c) {
  return zero_bytes(word ^ (ones * c));
}
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

}  // namespace replaygen::byte_words
