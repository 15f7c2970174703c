// The script generator: turns standard input, handed over in pieces of any
// size, into the replay script, one block of lines for each request token.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "output_buffer.hpp"
#include "token_parser.hpp"

namespace replaygen {

// Input that is no request list at all, refused before any of the script is
// written.
struct input_refused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Writes the script's opening lines, the blocks of the request tokens and the
// closing lines. A UTF-8 byte order mark at the start of input is skipped;
// input that starts with a UTF-16 one is refused with input_refused.
class script_generator {
 public:
  explicit script_generator(output_buffer& out) : out_(out) {}

  void feed(const char* begin, const char* end);
  // At the end of input: ends the last token and writes the closing lines.
  void finish();

 private:
  enum class place { between_words, time, payload, rest_of_word };

  // Holds back the first bytes of input, advancing `p`, until they are known
  // to be a byte order mark or not; then starts the script.
  void take_input_start(const char*& p, const char* end);
  // Writes the opening lines, then the words that start with `held`.
  void start_script(std::string_view held);
  void feed_words(const char* begin, const char* end);
  // Skips the space between words, then writes the requests that lie
  // wholly in the input, have a time part of the usual shape and fit in the
  // output's free space, in one pass; returns where it stopped, which is at
  // the start of a word unless `place_` says otherwise.
  const char* write_usual_requests(const char* p, const char* end);
  void start_request();
  // After (part of) a token's time is scanned up to `p`: on to its payload,
  // past its end, or on scanning with the next piece of input.
  void time_scanned(const char* p, const char* end);
  // Ends the token at `next`, a byte that ends tokens: ends the line that
  // sends its payload, and writes the flush line.
  void end_token(char next);

  output_buffer& out_;
  bool started_ = false;
  std::array<char, 3> held_{};  // the longest mark's length
  std::size_t held_count_ = 0;
  place place_ = place::between_words;
  token_scan scan_;
  std::optional<request_time> previous_;  // none before the first request
};

}  // namespace replaygen
