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
  // Where the next byte of input goes: the one-pass lane, which skips the
  // space between words and writes usual requests whole, and so handles almost
  // every byte; a token's time part; its payload; or the rest of a word after
  // a NUL, which ends its token before the word ends.
  enum class place { lane, time, payload, after_nul };

  // Where the bytes after a held start of input go on: the held bytes that
  // turned out to be words, then `rest` of the piece of input.
  struct input_start {
    std::string_view held_words;
    const char* rest;
  };
  // Holds the first bytes of input until they are known to be a byte order
  // mark or not, and refuses a UTF-16 one; none while they may still be one.
  std::optional<input_start> hold_input_start(const char* begin, const char* end);
  // Writes the opening lines, then the words of `held_words`.
  void start_script(std::string_view held_words);
  void feed_words(const char* p, const char* end);
  // Where the one-pass lane stopped: at the start of a word that it does not
  // take, at the end of the piece of input, inside the payload of a request
  // whose head it wrote, or at a NUL that ended a request it wrote whole.
  enum class lane_stop { at_word, at_input_end, in_payload, at_nul };
  struct lane_end {
    const char* at;
    lane_stop stop;
  };
  // Skips the space between words, then writes the requests that have a time
  // part of the usual shape, in one pass, for as long as the output's free
  // space holds a request's lines. It stops inside the last one's payload
  // where the input or the free space cuts it short, for the general path to
  // go on with.
  lane_end write_usual_requests(const char* p, const char* end);
  // Writes the head of the request whose time part is scanned.
  void start_request();
  // Ends the request of the token in its time part or its payload, where a
  // byte or the input's end ends the token: a token without ']' gets its
  // head first.
  void end_token();

  output_buffer& out_;
  bool started_ = false;
  std::array<char, 3> held_{};  // the longest mark's length
  std::size_t held_count_ = 0;
  place place_ = place::lane;
  token_scan scan_;
  std::optional<request_time> previous_;  // none before the first request
};

}  // namespace replaygen
