#include "script_writer.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace replaygen {

namespace {

constexpr std::string_view prologue = R"script(import subprocess
import time
import threading
ff = open("output.txt","w")
output1 = subprocess.Popen("java -jar G:\compus\OO\quillmarsh\quillmarsh.jar",stdin = subprocess.PIPE,stdout = ff,shell=True)
)script";

constexpr std::string_view epilogue = "output1.stdin.close()\nff.close()\n";

constexpr std::string_view sleep_start = "time.sleep(";
constexpr std::string_view sleep_end = ")\n";
constexpr std::string_view send_start = "output1.stdin.write(b\"";
constexpr std::string_view send_end = "\\n\")\noutput1.stdin.flush()\n";

// Payload bytes that stand for themselves inside the script's bytes literal:
// printable ASCII but for the backslash and the double quote.
constexpr auto plain_bytes = [] {
  std::array<bool, 256> plain{};
  for (unsigned char c = '!'; c <= '~'; ++c) plain[c] = c != '\\' && c != '"';
  return plain;
}();

// Whether any of the eight bytes in `word` is not a plain byte: the classic
// tests for a byte below a bound, above a bound, or equal to a value, done on
// all eight at once.
constexpr bool has_special_byte(std::uint64_t word) {
  constexpr std::uint64_t ones = 0x0101010101010101, high_bits = 0x8080808080808080;
  const auto has_zero_byte = [](std::uint64_t w) { return ((w - ones) & ~w & high_bits) != 0; };
  const bool below_bang = ((word - ones * '!') & ~word & high_bits) != 0;
  const bool above_tilde = (((word + ones * (127 - '~')) | word) & high_bits) != 0;
  return below_bang || above_tilde || has_zero_byte(word ^ (ones * '"')) ||
         has_zero_byte(word ^ (ones * '\\'));
}

// A backslash or double quote gets a backslash before it, any other byte a
// hex escape: the literal then parses, and sends exactly the input byte.
void put_escaped(output_buffer& out, unsigned char c) {
  if (c == '\\' || c == '"') {
    const char escaped[] = {'\\', static_cast<char>(c)};
    out.put({escaped, sizeof escaped});
    return;
  }
  constexpr std::string_view hex_digits = "0123456789abcdef";
  const char escaped[] = {'\\', 'x', hex_digits[c >> 4], hex_digits[c & 0xf]};
  out.put({escaped, sizeof escaped});
}

}  // namespace

void output_buffer::flush() {
  if (used_ == 0) return;
  drain_({data_.data(), used_});
  used_ = 0;
}

void output_buffer::put_in_pieces(std::string_view text) {
  while (!text.empty()) {
    if (used_ == data_.size()) flush();
    const std::size_t piece = std::min(text.size(), data_.size() - used_);
    std::memcpy(data_.data() + used_, text.data(), piece);
    used_ += piece;
    text.remove_prefix(piece);
  }
}

char* format_wait(double seconds, char* out) {
  // Common waits are rounded as an integer count of tenths. The product is
  // within 2^-21 of the exact one below 2^32, so unless its fraction lies
  // that close to one half it rounds the same way the exact value does.
  const double tenths = seconds * 10.0;
  if (tenths < 0x1p32) {
    const auto whole = static_cast<std::uint64_t>(tenths);
    const double fraction = tenths - static_cast<double>(whole);
    if (std::abs(fraction - 0.5) > 0x1p-20) {
      const std::uint64_t rounded = whole + (fraction > 0.5 ? 1 : 0);
      out = std::to_chars(out, out + max_wait_chars, rounded / 10).ptr;
      *out++ = '.';
      *out++ = static_cast<char>('0' + rounded % 10);
      return out;
    }
  }
  return std::to_chars(out, out + max_wait_chars, seconds, std::chars_format::fixed, 1).ptr;
}

void write_prologue(output_buffer& out) { out.put(prologue); }

void write_request(output_buffer& out, bool first, double wait) {
  if (!first) {
    std::array<char, sleep_start.size() + max_wait_chars + sleep_end.size()> line;
    char* end = std::copy(sleep_start.begin(), sleep_start.end(), line.data());
    // Python refuses a negative sleep, which would end the replay there.
    end = format_wait(std::max(wait, 0.0), end);
    end = std::copy(sleep_end.begin(), sleep_end.end(), end);
    out.put({line.data(), static_cast<std::size_t>(end - line.data())});
  }
  out.put(send_start);
}

const char* write_payload(output_buffer& out, const char* begin, const char* end) {
  const char* p = begin;
  for (;;) {
    const std::span<char> room = out.free_space();
    char* to = room.data();
    char* const to_end = to + room.size();
    // Plain bytes go eight at a time while they can, then one at a time;
    // written through local pointers, which the compiler keeps in registers.
    std::uint64_t word = 0;
    for (; end - p >= 8 && to_end - to >= 8; p += 8, to += 8) {
      std::memcpy(&word, p, sizeof word);
      if (has_special_byte(word)) break;
      std::memcpy(to, &word, sizeof word);
    }
    for (; p != end && to != to_end && plain_bytes[static_cast<unsigned char>(*p)]; ++p) *to++ = *p;
    out.commit(static_cast<std::size_t>(to - room.data()));
    if (to == to_end) continue;
    if (p == end || ends_token(static_cast<unsigned char>(*p))) return p;
    put_escaped(out, static_cast<unsigned char>(*p));
    ++p;
  }
}

void write_request_end(output_buffer& out) { out.put(send_end); }

void write_epilogue(output_buffer& out) { out.put(epilogue); }

script_generator::script_generator(output_buffer& out) : out_(out) { write_prologue(out_); }

void script_generator::start_request() {
  const double ss = timestamp(scan_);
  write_request(out_, count_ == 0, ss - prev_);
  prev_ = ss;
  ++count_;
}

void script_generator::end_token(char next) {
  write_request_end(out_);
  // What follows a NUL in a word is not part of the token.
  place_ = next == '\0' ? place::rest_of_word : place::between_words;
}

void script_generator::feed(const char* begin, const char* end) {
  const char* p = begin;
  while (p != end) {
    switch (place_) {
      case place::between_words:
        while (p != end && is_word_space(static_cast<unsigned char>(*p))) ++p;
        if (p != end) {
          scan_.reset();
          place_ = place::time;
        }
        break;
      case place::time:
        p = parse_token(scan_, p, end);
        if (scan_.closed) {
          start_request();
          place_ = place::payload;
        } else if (p != end) {
          start_request();
          end_token(*p);
        }
        break;
      case place::payload:
        p = write_payload(out_, p, end);
        if (p != end) end_token(*p);
        break;
      case place::rest_of_word:
        while (p != end && !is_word_space(static_cast<unsigned char>(*p))) ++p;
        if (p != end) place_ = place::between_words;
        break;
    }
  }
}

void script_generator::finish() {
  if (place_ == place::time) start_request();
  if (place_ == place::time || place_ == place::payload) write_request_end(out_);
  write_epilogue(out_);
}

}  // namespace replaygen
