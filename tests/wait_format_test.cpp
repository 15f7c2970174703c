// The wait's fast formatting against the C library's "%.1f", ties included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "script_writer.hpp"

namespace {

std::string formatted(double seconds) {
  char text[replaygen::max_wait_chars];
  return {text, replaygen::format_wait(seconds, std::nullopt, text)};
}

std::string oracle(double seconds) {
  char text[400];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

TEST(WaitFormat, AgreesWithPrintf) {
  std::mt19937_64 random(1208);
  std::uniform_real_distribution<double> uniform(0.0, 1e4);
  std::uniform_int_distribution<std::int64_t> tenths(0, 100'000'000);
  std::uniform_int_distribution<int> exponent(-60, 1000);
  for (int i = 0; i < 100'000; ++i) {
    const std::int64_t n = tenths(random);
    const double values[] = {
        uniform(random),
        static_cast<double>(n) / 4.0,   // exact ties: .25 and .75
        static_cast<double>(n) / 20.0,  // near ties: .05, .15, ...
        std::nextafter(static_cast<double>(n) / 4.0, 0.0),
        std::nextafter(static_cast<double>(n) / 4.0, 1e9),
        std::ldexp(uniform(random), exponent(random)),  // tiny to huge
    };
    for (double v : values) ASSERT_EQ(formatted(v), oracle(v)) << v;
  }
  for (double v : {0.0, 0.05, 0.25, 429496729.55, 429496729.65, 1e300, 1.7976931348623157e308})
    EXPECT_EQ(formatted(v), oracle(v)) << v;
}

// Waits between timestamps written with at most one decimal are printed
// from their exact tenths; the doubles' difference must print the same.
TEST(WaitFormat, TenthsAgreeWithTheDoubles) {
  std::mt19937_64 random(812);
  const std::int64_t bounds[] = {100, 100'000, 1'000'000'000, replaygen::max_tenths - 1};
  for (int i = 0; i < 200'000; ++i) {
    std::uniform_int_distribution<std::int64_t> pick(0, bounds[i % 4]);
    const std::int64_t a = pick(random), b = pick(random);
    const double seconds = static_cast<double>(a) / 10.0 - static_cast<double>(b) / 10.0;
    char text[replaygen::max_wait_chars];
    const std::string from_tenths(text, replaygen::format_wait(seconds, a - b, text));
    ASSERT_EQ(from_tenths, oracle(std::max(seconds, 0.0))) << a << " " << b;
  }
}

}  // namespace
