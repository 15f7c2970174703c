// libFuzzer target: any input bytes, cut into small pieces or fed a byte at a
// time, must give the same well-formed script as fed whole.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "script_harness.hpp"

namespace {

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

bool is_space(char c) { return replaygen::is_word_space(static_cast<unsigned char>(c)); }

std::size_t count_words(std::string_view input) {
  std::size_t words = 0;
  for (std::size_t i = 0; i < input.size(); ++i)
    if (!is_space(input[i]) && (i == 0 || is_space(input[i - 1]))) ++words;
  return words;
}

// A wait is digits, a point and one digit: never inf, nan or negative.
bool is_plain_wait(std::string_view text) {
  const std::size_t point = text.find('.');
  const auto digits = [](std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  return point != std::string_view::npos && digits(text.substr(0, point)) &&
         text.size() == point + 2 && digits(text.substr(point + 1));
}

// Checks the lines between the opening and the closing ones; returns how
// many payloads they send.
std::size_t check_blocks(std::string_view blocks) {
  constexpr std::string_view sleep_start = "time.sleep(", send_start = "output1.stdin.write(b\"";
  std::size_t sends = 0;
  while (!blocks.empty()) {
    const std::size_t end = blocks.find('\n');
    require(end != std::string_view::npos, "a line without its newline");
    const std::string_view line = blocks.substr(0, end);
    blocks.remove_prefix(end + 1);
    if (line.starts_with(sleep_start)) {
      require(sends > 0 && line.ends_with(')'), "a sleep line out of place");
      require(is_plain_wait(line.substr(sleep_start.size(), line.size() - sleep_start.size() - 1)),
              "a wait that is not a plain non-negative number");
    } else if (line.starts_with(send_start)) {
      require(line.ends_with("\\n\")") && line.size() >= send_start.size() + 4,
              "a write line that does not end the literal");
      require(std::all_of(line.begin(), line.end(), [](char c) { return c >= ' ' && c <= '~'; }),
              "a write line with a byte outside printable ASCII");
      require(blocks.starts_with("output1.stdin.flush()\n"), "a write line without its flush");
      ++sends;
    } else {
      require(line == "output1.stdin.flush()", "an unexpected line");
    }
  }
  return sends;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks how small the pieces of input and output are.
  const std::size_t chunk = std::size_t{1} << data[0] % 13;
  const std::size_t capacity = replaygen::output_buffer::min_capacity + data[0] / 13;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::string script;
  const bool utf16 = input.starts_with("\xFF\xFE") || input.starts_with("\xFE\xFF");
  try {
    script = script_for(input, chunk, capacity);
  } catch (const replaygen::input_refused&) {
    require(utf16, "input refused that is not UTF-16");
    return 0;
  }
  require(!utf16, "UTF-16 input not refused");
  // Fed whole, usual requests take the one-pass lane; fed a byte at a time, never.
  require(script == script_for(input) && script == script_for(input, 1, capacity),
          "the script depends on how the streams are cut");
  if (input.starts_with("\xEF\xBB\xBF")) input.remove_prefix(3);  // skipped, not a word
  const std::string_view text = script;
  require(text.starts_with(expected_prologue) && text.ends_with(expected_epilogue) &&
              text.size() >= expected_prologue.size() + expected_epilogue.size(),
          "the opening or closing lines are wrong");
  const std::string_view blocks = text.substr(
      expected_prologue.size(), text.size() - expected_prologue.size() - expected_epilogue.size());
  require(check_blocks(blocks) == count_words(input), "not one write line per token");
  return 0;
}
