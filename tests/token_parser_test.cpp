// What a token's time and payload come out as, for well-formed and malformed
// tokens alike.
#include "token_parser.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

namespace {

struct parsed {
  double time;
  std::string payload_start;  // the rest of the token after the first ']'
};

parsed parse(const std::string& token) {
  replaygen::token_scan scan;
  const char* end = token.data() + token.size();
  const auto [at, stop] = replaygen::scan_time_part(scan, token.data(), end);
  const bool closed = stop == replaygen::token_stop::past_bracket;
  return {replaygen::timestamp(scan), closed ? std::string(at, end) : std::string()};
}

struct token_case {
  std::string token;
  double time;
  std::string payload;
};

TEST(TokenParser, TimeAndPayloadOfEachShape) {
  const token_case cases[] = {
      {"[0.0]a", 0.0, "a"},
      {"[1.5]b", 1.5, "b"},
      {"[3]x", 3.0, "x"},
      {"[1.25]y", 1.25, "y"},
      {"[1.2.3]z", 1.23, "z"},
      {"12[3.4]q", 3.4, "q"},
      {"x[2.5]]z[", 0.25, "]z["},
      {"[-1.5]m", 0.15, "m"},
      {"[1.0]", 1.0, ""},
      {"abc", 0.0, ""},
      {"7.5", 7.5, ""},
      {"[1,5]c", 1.5, "c"},
      {"[0:07]c", 0.07, "c"},
      {"1.23[45]p", 0.0045, "p"},  // fractional digits before '[' still count
      {"[12345678.9]p\"\\", 12345678.9, "p\"\\"},
      {"[0.1234567890123456789012]p", 0.1234567890123456789012, "p"},
  };
  for (const auto& c : cases) {
    const parsed got = parse(c.token);
    EXPECT_EQ(got.time, c.time) << c.token;
    EXPECT_EQ(got.payload_start, c.payload) << c.token;
  }
}

// Where the digit arithmetic leaves the range of a double, the time is the
// token's true decimal value; the C library's strtod is the oracle.
TEST(TokenParser, TimesBeyondDoubleArithmeticKeepTheirValue) {
  const std::string zeros(400, '0');
  const std::string nines(400, '9');
  const std::string fives(300, '5');
  const std::string midpoint = "0.0499999999999999993061106096092771622352302074432373046875";
  const struct {
    std::string time_part;  // between the brackets
    std::string decimal;    // its value as strtod reads it
  } cases[] = {
      {"1.5" + zeros, "1.5"},
      {"." + zeros + "7", "0.0"},
      {".1" + std::string(308, '0'), "0.1"},
      {std::string(".000000000") + "1" + fives, std::string("1") + fives + "e-310"},
      {"0.3" + std::string(1000, '3'), "0." + std::string(1001, '3')},
      {nines, "1.7976931348623157e308"},
      {"1" + std::string(308, '0') + "." + std::string(309, '0'), "1e308"},
      {std::string(305, '1') + "." + std::string(10, '1'),
       std::string(305, '1') + "." + std::string(10, '1')},
      // A rounding tie broken only by a digit far beyond the kept ones.
      {"9007199254740993." + std::string(900, '0') + "1",
       "9007199254740993." + std::string(900, '0') + "1"},
      // Halfway between the double nearest 0.05 and the one below: a tie, and just above it.
      {midpoint + std::string(300, '0'), midpoint},
      {midpoint + std::string(300, '0') + "1", midpoint + std::string(300, '0') + "1"},
  };
  for (const auto& c : cases) {
    const double expected = std::strtod(c.decimal.c_str(), nullptr);
    const double got = parse("[" + c.time_part + "]a").time;
    EXPECT_EQ(got, std::min(expected, std::numeric_limits<double>::max())) << c.time_part.size();
  }
}

}  // namespace
