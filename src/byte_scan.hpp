// Byte-level shortcuts for the hot loops: tests on eight bytes at once in a
// 64-bit word (SWAR), and on sixteen at once with SSE2, which every x86-64
// machine has. Each stands for the plain loop written beside it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if !defined(REPLAYGEN_NO_SIMD) && (defined(__SSE2__) || defined(_M_X64))
#define REPLAYGEN_SSE2 1
#include <emmintrin.h>
#endif

namespace replaygen::byte_scan {

constexpr std::uint64_t ones = 0x0101010101010101;
constexpr std::uint64_t high_bits = 0x8080808080808080;

// Eight bytes as a number, the first in the lowest bits, on any platform.
inline std::uint64_t load_word(const char* p) {
  std::uint64_t word = 0;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::big) {
    std::uint64_t reversed = 0;
    for (int i = 0; i < 8; ++i, word >>= 8) reversed = reversed << 8 | (word & 0xff);
    word = reversed;
  }
  return word;
}

// Flag, in its high bit, each byte below or above a bound: the classic tests.
// A borrow or carry can flag a byte falsely only above a truly flagged one.
constexpr std::uint64_t bytes_below(std::uint64_t word, unsigned char bound) {
  return (word - ones * bound) & ~word & high_bits;
}
constexpr std::uint64_t bytes_above(std::uint64_t word, unsigned char bound) {
  return ((word + ones * (127 - bound)) | word) & high_bits;
}

// How many bytes come before the first flagged one (eight if none is); only
// the lowest flag counts, so false flags above it do no harm.
constexpr unsigned bytes_before_flag(std::uint64_t flags) {
  return flags == 0 ? 8 : static_cast<unsigned>(std::countr_zero(flags)) / 8;
}

constexpr bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

// How many of the eight bytes of `word` are digits before any other byte;
// as `while (count < 8 && is_digit(byte[count])) ++count`.
constexpr unsigned leading_digits(std::uint64_t word) {
  return bytes_before_flag(bytes_below(word, '0') | bytes_above(word, '9'));
}

// The number that the first `count` bytes (1 to 8, all digits) of `word`
// spell; as `for (each digit) value = value * 10 + digit`. Shifting out what
// follows leaves zero digits in front; then pairs, fours and eights combine.
constexpr std::uint64_t digits_value(std::uint64_t word, unsigned count) {
  word = (word & 0x0f0f0f0f0f0f0f0f) << (8 * (8 - count));
  word = (word * (1 + (10 << 8))) >> 8 & 0x00ff00ff00ff00ff;
  word = (word * (1 + (100 << 16))) >> 16 & 0x0000ffff0000ffff;
  return (word * (1 + (10000ULL << 32))) >> 32;
}

// A byte that stands for itself in a Python bytes literal: printable ASCII
// but for the backslash and the double quote. The payload's literal forms
// rest on it; it stands here as the plain loop of copy_block's SSE2 test.
constexpr bool is_plain(unsigned char c) { return c >= '!' && c <= '~' && c != '\\' && c != '"'; }

// How many bytes a block of payload holds: most payloads fit in one. Signed,
// as the distances between pointers that it is compared with.
inline constexpr std::ptrdiff_t block_size = 32;

#ifdef REPLAYGEN_SSE2
// One flag per byte of the sixteen in `bytes` that is not plain. Plus one, as
// signed bytes, every such byte but '"' and '\\' falls below '!' + 1: the
// controls and the space stay low, 0x7F and the bytes from 0x80 up turn
// negative.
inline unsigned special_flags16(__m128i bytes) {
  const __m128i next = _mm_add_epi8(bytes, _mm_set1_epi8(1));
  const __m128i special = _mm_or_si128(_mm_cmplt_epi8(next, _mm_set1_epi8('!' + 1)),
                                       _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                                    _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))));
  return static_cast<unsigned>(_mm_movemask_epi8(special));
}
#endif

// Copies the block_size bytes at `from` to `to`; returns how many of them are
// plain before any other byte.
inline std::ptrdiff_t copy_block(const char* from, char* to) {
#ifdef REPLAYGEN_SSE2
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), low);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), high);
  // A flag past the block makes the count the block's size when none is set.
  const std::uint64_t flags = special_flags16(low) | std::uint64_t{special_flags16(high)} << 16 |
                              std::uint64_t{1} << block_size;
  return std::countr_zero(flags);
#else
  std::memcpy(to, from, block_size);
  std::ptrdiff_t count = 0;
  while (count < block_size && is_plain(static_cast<unsigned char>(from[count]))) ++count;
  return count;
#endif
}

}  // namespace replaygen::byte_scan
