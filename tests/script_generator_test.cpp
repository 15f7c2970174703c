// The whole script for small inputs, and its independence from how the input
// and output are cut into pieces.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "script_harness.hpp"

namespace {

const std::string largest_double =
    "1797693134862315708145274237317043567980705675258449965989174768031572607800285387605895586327"
    "668781"
    "7154045895351438246423432132688946418276846754670353751698604991057655128207624549009038932894"
    "407586"
    "8508455133942304583236903222948165808559332123348274797826204144723168738177180919299881250404"
    "026184"
    "124858368";

std::string send(const std::string& literal) {
  return "output1.stdin.write(b\"" + literal + "\\n\")\noutput1.stdin.flush()\n";
}
std::string sleep(const std::string& seconds) { return "time.sleep(" + seconds + ")\n"; }

TEST(ScriptGenerator, BlocksForEachInput) {
  const struct {
    std::string input;
    std::string blocks;  // between the opening and the closing lines
  } cases[] = {
      {"", ""},
      {" \t\r\n\v\f", ""},
      {"[0.0]a [1.5]b\n[1.5]c\n", send("a") + sleep("1.5") + send("b") + sleep("0.0") + send("c")},
      {"[0.0]a\r\n[1.5]b\r\n", send("a") + sleep("1.5") + send("b")},
      {"[9.5]only", send("only")},
      {"[2.0]a [1.0]b", send("a") + sleep("0.0") + send("b")},  // a negative wait
      {"[1.0]p q", send("p") + sleep("0.0") + send("")},
      {"[0]a [0.25]b [1.0]c [1.75]d",
       send("a") + sleep("0.2") + send("b") + sleep("0.8") + send("c") + sleep("0.8") + send("d")},
      {"[0]\"q\" [0]back\\slash", send("\\\"q\\\"") + sleep("0.0") + send("back\\\\slash")},
      {"[0]\x01\x7f\x80\xff", send("\\x01\\x7f\\x80\\xff")},
      {std::string("[1]ab\0cd [2]e", 13), send("ab") + sleep("1.0") + send("e")},
      {std::string("\0x [3]y", 7), send("") + sleep("3.0") + send("y")},
      {"[1.5" + std::string(400, '0') + "]a [3]b", send("a") + sleep("1.5") + send("b")},
      {"[66866271659467.3]a [946680545362431.]b",  // above the bound of times kept in tenths
       send("a") + sleep("879814273702963.8") + send("b")},
      {"[0]a [" + std::string(400, '9') + "]b",
       send("a") + sleep(largest_double + ".0") + send("b")},
      {"[0." + std::string(400, '0') + "]a [2]b", send("a") + sleep("2.0") + send("b")},
      // A tie of the true value (to ...992) after another word of long digits.
      {"[1." + std::string(900, '1') + "]a [9007199254740993." + std::string(900, '0') + "]b",
       send("a") + sleep("9007199254740991.0") + send("b")},
      {"\xEF\xBB\xBF[1.5]a\n[2.0]b", send("a") + sleep("0.5") + send("b")},  // a mark, skipped
      {"[1]a\xEF\xBB\xBF \xEF\xBB\xBF[2]b", send("a\\xef\\xbb\\xbf") + sleep("0.0") + send("b")},
      {"\xEF\xBB", send("")},  // the start of a mark is a word
      {"\xFE", send("")},
      {"[0]" + std::string(130787, 'x'), send(std::string(130787, 'x'))},  // 1 byte last flushed
      // Sixteen digits, past what the digit arithmetic on doubles keeps exactly.
      {"[0.09740992]a [90071992.54740991]b [90071992.6]c [90071992.7]d",
       send("a") + sleep("90071992.5") + send("b") + sleep("0.1") + send("c") + sleep("0.1") +
           send("d")},
  };
  for (const auto& c : cases)
    EXPECT_EQ(script_for(c.input), expected_prologue + c.blocks + expected_epilogue) << c.input;
}

// Requests of the usual shape, which take the one-pass lane, with up to ten
// decimals; some with the longest waits, some with no payload to end in ']';
// payloads plain or all escapes, whose literal forms are four times as long.
std::string usual_requests(std::mt19937& random) {
  std::string requests;
  for (std::size_t n = random() % 40; n > 0; --n) {
    const std::string time = random() % 8 ? std::to_string(random() % 100) + "." +
                                                std::to_string(random() >> random() % 32)
                                          : std::string(310, '9');
    requests += " [" + time + "]" +
                std::string(random() % 4 ? random() % 200 : 0, random() % 2 ? 'x' : '\x01');
  }
  return requests;
}

// Inputs built from the bytes that matter to the parser and the escaping,
// from runs of plain bytes long enough to be copied many at a time, and from
// runs of usual requests.
std::string random_input(std::mt19937& random) {
  using namespace std::string_literals;
  static const std::string alphabet = "[[]]..0123456789  \n\r\t\"\\\x01\x80\xff-ab\0"s;
  std::uniform_int_distribution<std::size_t> pieces(0, 200), pick(0, alphabet.size() + 1),
      run(1, 700);
  std::string input;
  for (std::size_t n = pieces(random); n > 0; --n) {
    const std::size_t i = pick(random);
    input += i < alphabet.size()    ? std::string(1, alphabet[i])
             : i == alphabet.size() ? std::string(run(random), 'x')
                                    : usual_requests(random);
  }
  return input;
}

// Usual times of every shape, their first read cut short at every offset.
TEST(ScriptGenerator, UsualTimesCutAnywhere) {
  for (std::size_t whole = 1; whole <= 9; ++whole)
    for (std::size_t fraction = 0; fraction <= 9; ++fraction) {
      const auto input =
          " [" + std::string(whole, '1') + '.' + std::string(fraction, '2') + "]a [3]b";
      for (std::size_t cut = 1; cut <= 20; ++cut)  // the time's bytes in the first piece
        ASSERT_EQ(script_for(input, 1 + cut), script_for(input)) << input << " cut at " << cut;
    }
}

TEST(ScriptGenerator, Utf16IsRefused) {
  for (const std::string mark : {"\xFF\xFE", "\xFE\xFF"})
    for (const std::size_t chunk : {1u, 2u})
      EXPECT_THROW(script_for(mark + "[1]a", chunk), replaygen::input_refused);
}

TEST(ScriptGenerator, SameScriptHoweverTheStreamsAreCut) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 2000; ++round) {
    const std::string unmarked = random_input(random);
    const std::string whole = script_for(unmarked);
    // Half the time behind a byte order mark, which is skipped however it is cut.
    const std::string input = round % 2 ? "\xEF\xBB\xBF" + unmarked : unmarked;
    // Pieces of input from single bytes to more than the output buffer holds.
    const std::size_t chunk = std::size_t{1} << random() % 12;
    // Small output buffers, whose free room takes every size at every write.
    const std::size_t capacity = replaygen::output_buffer::min_capacity + random() % 512;
    ASSERT_EQ(script_for(input, chunk, capacity), whole)
        << input << " chunk " << chunk << " capacity " << capacity;
  }
}

}  // namespace
