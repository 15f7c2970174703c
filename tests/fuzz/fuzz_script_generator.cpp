// libFuzzer target: any input bytes, cut into small pieces and collected
// through a small output buffer, must give a well-formed script.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "script_harness.hpp"

namespace {

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

std::size_t count_words(std::string_view input) {
  std::size_t words = 0;
  bool in_word = false;
  for (const char c : input) {
    const bool space = replaygen::is_word_space(static_cast<unsigned char>(c));
    if (!space && !in_word) ++words;
    in_word = !space;
  }
  return words;
}

bool starts_with(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool is_printable_ascii(std::string_view text) {
  for (const char c : text)
    if (c < ' ' || c > '~') return false;
  return true;
}

// A wait is digits, a point and one digit: never inf, nan or negative.
bool is_plain_wait(std::string_view text) {
  const std::size_t point = text.find('.');
  if (point == 0 || point == std::string_view::npos || point + 2 != text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (i != point && (text[i] < '0' || text[i] > '9')) return false;
  return true;
}

// Checks the lines between the opening and the closing ones; returns how
// many payloads they send.
std::size_t check_blocks(std::string_view blocks) {
  constexpr std::string_view sleep_start = "time.sleep(", send_start = "output1.stdin.write(b\"";
  constexpr std::string_view send_end = "\\n\")", flush = "output1.stdin.flush()";
  std::size_t sends = 0;
  while (!blocks.empty()) {
    const std::size_t end = blocks.find('\n');
    require(end != std::string_view::npos, "a line without its newline");
    const std::string_view line = blocks.substr(0, end);
    blocks.remove_prefix(end + 1);
    if (starts_with(line, sleep_start)) {
      require(sends > 0 && line.back() == ')', "a sleep line out of place");
      require(is_plain_wait(line.substr(sleep_start.size(), line.size() - sleep_start.size() - 1)),
              "a wait that is not a plain non-negative number");
    } else if (starts_with(line, send_start)) {
      require(line.size() >= send_start.size() + send_end.size() &&
                  line.substr(line.size() - send_end.size()) == send_end,
              "a write line that does not end the literal");
      require(is_printable_ascii(line), "a write line with a byte outside printable ASCII");
      require(starts_with(blocks, flush), "a write line without its flush");
      ++sends;
    } else {
      require(line == flush, "an unexpected line");
    }
  }
  return sends;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks how small the pieces are.
  const std::size_t chunk = 1 + data[0] % 8;
  const std::size_t capacity = 1 + data[0] / 8 % 16;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::string script = script_for(input, chunk, capacity);
  require(script == script_for(input), "the script depends on how the streams are cut");
  require(starts_with(script, expected_prologue), "the opening lines are wrong");
  require(script.size() >= expected_prologue.size() + expected_epilogue.size() &&
              script.substr(script.size() - expected_epilogue.size()) == expected_epilogue,
          "the closing lines are wrong");
  const std::string_view blocks = std::string_view(script).substr(
      expected_prologue.size(),
      script.size() - expected_prologue.size() - expected_epilogue.size());
  require(check_blocks(blocks) == count_words(input), "not one write line per token");
  return 0;
}
