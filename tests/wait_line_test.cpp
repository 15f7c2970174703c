// The waits' fast rounding and formatting against the C library's "%.1f",
// ties included.
#include "wait_line.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "script_harness.hpp"

namespace {

// The wait in the line from the time 0 to `seconds`, on the path of times of any shape.
std::string formatted(double seconds) {
  using namespace replaygen;
  char line[sleep_start.size() + max_wait_chars + sleep_end.size()];
  char* end = write_wait_line({0.0, -1}, {seconds, -1}, line) - sleep_end.size();
  return {line + sleep_start.size(), end};
}

std::string oracle(double seconds) {
  char text[400];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

TEST(WaitLine, AgreesWithPrintf) {
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

// Waits between times in tenths come from the tenths alone; the doubles'
// difference must print the same in the script.
TEST(WaitLine, TenthsAgreeWithTheDoubles) {
  std::mt19937_64 random(812);
  const std::int64_t bounds[] = {100, 100'000, 1'000'000'000, replaygen::max_tenths - 1};
  const std::string padding(40, ' ');  // room for the shortcuts of long input
  for (int i = 0; i < 200'000; ++i) {
    std::uniform_int_distribution<std::int64_t> pick(0, bounds[i % 4]);
    const std::int64_t a = pick(random), b = pick(random);
    const auto time = [](std::int64_t tenths) {
      return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    };
    const std::string script = script_for("[" + time(b) + "]a [" + time(a) + "]b" + padding,
                                          1 << 16, replaygen::output_buffer::min_capacity);
    const double later = static_cast<double>(a) / 10.0, earlier = static_cast<double>(b) / 10.0;
    const std::string wait = "time.sleep(" + oracle(std::max(later - earlier, 0.0)) + ")\n";
    ASSERT_NE(script.find(wait), std::string::npos) << a << " " << b;
  }
}

// Times with one to three decimals, a small step apart, give waits on or near
// rounding ties, which the exact rounding must decide as printf does.
TEST(WaitLine, DecimalTimesAgreeWithPrintf) {
  std::mt19937_64 random(1209);
  const double scales[] = {10.0, 100.0, 1000.0};
  std::uniform_int_distribution<std::size_t> scale(0, 2);
  std::uniform_int_distribution<std::int64_t> step(0, 2000);
  for (int i = 0; i < 1'000'000; ++i) {
    std::uniform_int_distribution<std::int64_t> pick(0, i % 2 ? 100'000 : 1'000'000'000'000);
    const std::int64_t earlier = pick(random), later = earlier + step(random);
    const double a = static_cast<double>(later) / scales[scale(random)];
    const double b = static_cast<double>(earlier) / scales[scale(random)];
    ASSERT_EQ(formatted(a - b), oracle(std::max(a - b, 0.0))) << a << " " << b;
  }
}

}  // namespace
