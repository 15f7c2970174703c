#include "script_writer.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__) || defined(_M_X64)
// Copies plain bytes sixteen at a time with SSE2, which every x86-64 has, as
// far as both ranges hold sixteen; advances both past what it copied.
void copy_plain_sixteens(const char*& from, const char* from_end, char*& to, const char* to_end) {
  // The compares are signed, so bytes are shifted by 0x80 to compare unsigned.
  const __m128i shift = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i bang = _mm_set1_epi8('!' - 0x80), tilde = _mm_set1_epi8('~' - 0x80);
  const __m128i quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\');
  while (from_end - from >= 16 && to_end - to >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    // All sixteen are stored, and as many kept as are plain.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), bytes);
    const __m128i shifted = _mm_xor_si128(bytes, shift);
    const __m128i special =
        _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(shifted, bang), _mm_cmpgt_epi8(shifted, tilde)),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)));
    const auto flags = static_cast<unsigned>(_mm_movemask_epi8(special));
    const int plain = flags == 0 ? 16 : std::countr_zero(flags);
    from += plain;
    to += plain;
    if (plain < 16) return;
  }
}
#endif

// Copies the run of plain bytes at `from` to `to`, as far as either room
// lasts; advances both past what it copied.
void copy_plain_run(const char*& from, const char* from_end, char*& to, const char* to_end) {
#if defined(__SSE2__) || defined(_M_X64)
  copy_plain_sixteens(from, from_end, to, to_end);
#endif
  while (from != from_end && to != to_end && plain_bytes[static_cast<unsigned char>(*from)])
    *to++ = *from++;
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

namespace {

char* write_tenths(std::uint64_t tenths, char* out) {
  // Leaves room for the point and the last digit.
  out = std::to_chars(out, out + max_wait_chars - 2, tenths / 10).ptr;
  *out++ = '.';
  *out++ = static_cast<char>('0' + tenths % 10);
  return out;
}

}  // namespace

char* format_wait(double wait, std::optional<std::int64_t> wait_tenths, char* out) {
  // Python refuses a negative sleep, which would end the replay there.
  if (wait_tenths)
    return write_tenths(static_cast<std::uint64_t>(std::max<std::int64_t>(*wait_tenths, 0)), out);
  const double seconds = std::max(wait, 0.0);
  // Other common waits are rounded as an integer count of tenths. The product
  // is within 2^-21 of the exact one below 2^32, so unless its fraction lies
  // that close to one half it rounds the same way the exact value does.
  const double tenths = seconds * 10.0;
  if (tenths < 0x1p32) {
    const auto whole = static_cast<std::uint64_t>(tenths);
    const double fraction = tenths - static_cast<double>(whole);
    if (std::abs(fraction - 0.5) > 0x1p-20)
      return write_tenths(whole + (fraction > 0.5 ? 1 : 0), out);
  }
  return std::to_chars(out, out + max_wait_chars, seconds, std::chars_format::fixed, 1).ptr;
}

void write_prologue(output_buffer& out) { out.put(prologue); }

void write_request(output_buffer& out, bool first, double wait,
                   std::optional<std::int64_t> wait_tenths) {
  constexpr std::size_t longest =
      sleep_start.size() + max_wait_chars + sleep_end.size() + send_start.size();
  static_assert(longest <= output_buffer::min_capacity);
  const std::span<char> room = out.free_space(longest);
  char* end = room.data();
  if (!first) {
    end = std::copy(sleep_start.begin(), sleep_start.end(), end);
    end = format_wait(wait, wait_tenths, end);
    end = std::copy(sleep_end.begin(), sleep_end.end(), end);
  }
  end = std::copy(send_start.begin(), send_start.end(), end);
  out.commit(static_cast<std::size_t>(end - room.data()));
}

const char* write_payload(output_buffer& out, const char* begin, const char* end) {
  const char* p = begin;
  for (;;) {
    // Written through local pointers, which the compiler keeps in registers.
    const std::span<char> room = out.free_space();
    char* to = room.data();
    copy_plain_run(p, end, to, room.data() + room.size());
    out.commit(static_cast<std::size_t>(to - room.data()));
    if (to == room.data() + room.size()) continue;
    if (p == end || ends_token(static_cast<unsigned char>(*p))) return p;
    put_escaped(out, static_cast<unsigned char>(*p));
    ++p;
  }
}

void write_request_end(output_buffer& out) { out.put(send_end); }

void write_epilogue(output_buffer& out) { out.put(epilogue); }

void script_generator::start_request() {
  const std::optional<std::int64_t> tenths = timestamp_tenths(scan_);
  // The same double as timestamp() gives, found with less work.
  const double ss = tenths ? static_cast<double>(*tenths) / 10.0 : timestamp(scan_);
  std::optional<std::int64_t> wait_tenths;
  if (tenths && prev_tenths_) wait_tenths = *tenths - *prev_tenths_;
  write_request(out_, count_ == 0, ss - prev_, wait_tenths);
  prev_ = ss;
  prev_tenths_ = tenths;
  ++count_;
}

void script_generator::end_token(char next) {
  write_request_end(out_);
  // What follows a NUL in a word is not part of the token.
  place_ = next == '\0' ? place::rest_of_word : place::between_words;
}

void script_generator::time_scanned(const char* p, const char* end) {
  if (scan_.closed) {
    start_request();
    place_ = place::payload;
  } else if (p != end) {
    start_request();
    end_token(*p);
  } else {
    place_ = place::time;
  }
}

void script_generator::take_input_start(const char*& p, const char* end) {
  // Editors on Windows put the UTF-8 mark before text; its bytes would read as part of a time.
  constexpr std::string_view utf8_mark = "\xEF\xBB\xBF";
  while (p != end) {
    held_[held_count_++] = *p++;
    const std::string_view held(held_.data(), held_count_);
    if (held == "\xFF\xFE" || held == "\xFE\xFF")
      throw input_refused("the input is UTF-16 text; save it as UTF-8 or ASCII");
    const bool may_be_mark = utf8_mark.starts_with(held) || held == "\xFF" || held == "\xFE";
    if (held == utf8_mark || !may_be_mark) {
      start_script(held == utf8_mark ? std::string_view() : held);
      return;
    }
  }
}

void script_generator::start_script(std::string_view held) {
  write_prologue(out_);
  started_ = true;
  feed_words(held.data(), held.data() + held.size());
}

void script_generator::feed(const char* begin, const char* end) {
  if (!started_) take_input_start(begin, end);
  feed_words(begin, end);
}

void script_generator::feed_words(const char* begin, const char* end) {
  const char* p = begin;
  // A piece of input may end anywhere; the next piece resumes in the same place.
  while (p != end) {
    switch (place_) {
      case place::between_words:
        while (p != end && is_word_space(static_cast<unsigned char>(*p))) ++p;
        if (p == end) break;
        p = parse_token_start(scan_, p, end);
        time_scanned(p, end);
        if (place_ != place::payload) break;
        [[fallthrough]];
      case place::payload:
        p = write_payload(out_, p, end);
        if (p != end) end_token(*p);
        break;
      case place::time:
        p = parse_token(scan_, p, end);
        time_scanned(p, end);
        break;
      case place::rest_of_word:
        while (p != end && !is_word_space(static_cast<unsigned char>(*p))) ++p;
        if (p != end) place_ = place::between_words;
        break;
    }
  }
}

void script_generator::finish() {
  // A short input may end while it could still have been a mark.
  if (!started_) start_script({held_.data(), held_count_});
  if (place_ == place::time) start_request();
  if (place_ == place::time || place_ == place::payload) write_request_end(out_);
  write_epilogue(out_);
}

}  // namespace replaygen
