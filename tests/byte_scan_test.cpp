// The word-at-a-time and SSE2 shortcuts against the plain loops they stand for.
#include "byte_scan.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

namespace {

using namespace replaygen::byte_scan;

TEST(ByteScan, DigitsAgreeWithALoop) {
  std::mt19937_64 random(1210);
  // Mostly digits, so that runs of every length come up.
  const std::string_view alphabet = "0123456789012345678901234567890123456789.]/:[ \xff";
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  for (int round = 0; round < 100'000; ++round) {
    char text[8];
    for (char& c : text) c = alphabet[pick(random)];
    unsigned count = 0;
    std::uint64_t value = 0;
    while (count < 8 && is_digit(static_cast<unsigned char>(text[count])))
      value = value * 10 + static_cast<unsigned>(text[count++] - '0');
    const std::uint64_t word = load_word(text);
    ASSERT_EQ(leading_digits(word), count) << std::string(text, 8);
    if (count > 0) {
      ASSERT_EQ(digits_value(word, count), value) << std::string(text, 8);
    }
  }
}

// Every byte value at every place in a block of plain bytes.
TEST(ByteScan, PlainRunsAgreeWithALoop) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    for (std::ptrdiff_t at = 0; at < block_size; ++at) {
      std::array<char, block_size> block;
      block.fill('a');
      block[static_cast<std::size_t>(at)] = static_cast<char>(byte);
      std::array<char, block_size> copy{};
      const std::ptrdiff_t expected = is_plain(static_cast<unsigned char>(byte)) ? block_size : at;
      ASSERT_EQ(copy_block(block.data(), copy.data()), expected) << byte << " at " << at;
      ASSERT_EQ(copy, block);
    }
  }
}

}  // namespace
