// Writes the replay script: fixed opening lines, one block of lines per
// request token, fixed closing lines.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "token_parser.hpp"

namespace replaygen {

// Collects the script's text and hands it on in large pieces, so that the
// stream underneath sees few, large writes.
class output_buffer {
 public:
  using drain_function = std::function<void(std::string_view)>;

  // Room for the longest text that is written into free space at once.
  static constexpr std::size_t min_capacity = 512;

  output_buffer(std::size_t capacity, drain_function drain)
      : data_(std::max(capacity, min_capacity)), drain_(std::move(drain)) {}

  void put(std::string_view text) {
    if (text.size() <= data_.size() - used_) {
      std::memcpy(data_.data() + used_, text.data(), text.size());
      used_ += text.size();
    } else {
      put_in_pieces(text);
    }
  }

  // Free space, at least `size` bytes of it (up to min_capacity), to write
  // into directly; then take in what was written with `commit`.
  std::span<char> free_space(std::size_t size = 1) {
    if (data_.size() - used_ < size) flush();
    return {data_.data() + used_, data_.size() - used_};
  }
  void commit(std::size_t count) { used_ += count; }

  // Hands on everything collected so far.
  void flush();

 private:
  void put_in_pieces(std::string_view text);

  std::vector<char> data_;
  std::size_t used_ = 0;
  drain_function drain_;
};

// Room that format_wait needs: the largest double has 309 integer digits.
constexpr std::size_t max_wait_chars = 309 + 2;

// Ten times a wait in seconds (not negative), rounded to a whole number on
// its exact value, a tie going to even; none from 2^52 on.
std::optional<std::uint64_t> rounded_tenths(double seconds);

// Writes a wait in seconds, a negative one as zero, in fixed notation with
// one digit after the point, a tie going to even on the exact binary value,
// into `out` (max_wait_chars long); returns the end of what it wrote.
char* format_wait(double seconds, char* out);

void write_prologue(output_buffer& out);
// Writes payload bytes, escaped, up to the first byte that ends the token;
// returns where it stopped.
const char* write_payload(output_buffer& out, const char* begin, const char* end);
// Ends the line that sends the payload and writes the flush line.
void write_request_end(output_buffer& out);
void write_epilogue(output_buffer& out);

// Input that is no request list at all, refused before any of the script is
// written.
struct input_refused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Turns standard input, handed over in pieces of any size, into the script.
// A UTF-8 byte order mark at the start of input is skipped; input that starts
// with a UTF-16 one is refused with input_refused.
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
  // Ends the token at `next`, a byte that ends tokens.
  void end_token(char next);

  output_buffer& out_;
  bool started_ = false;
  std::array<char, 3> held_{};  // the longest mark's length
  std::size_t held_count_ = 0;
  place place_ = place::between_words;
  token_scan scan_;
  std::optional<request_time> prev_;  // none before the first request
};

}  // namespace replaygen
