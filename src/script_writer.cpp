#include "script_writer.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <optional>

#include "byte_scan.hpp"

// For the helpers of the hot loop, which the compiler would rather call than
// inline into it.
#if defined(_MSC_VER)
#define REPLAYGEN_HOT_INLINE __forceinline
#else
#define REPLAYGEN_HOT_INLINE [[gnu::always_inline]] inline
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

char* put(std::string_view text, char* to) { return std::copy(text.begin(), text.end(), to); }

// ---- Payloads

// How each byte stands in the script's bytes literal: a plain byte as itself,
// a backslash or double quote with a backslash before it, any other byte as a
// hex escape. The literal then parses, and sends exactly the input byte. A
// byte that ends the token has no form (size 0).
struct alignas(8) literal_form {  // eight bytes, for indexing in one step
  std::array<char, 4> text;
  std::uint8_t size;
};
constexpr std::size_t longest_form = 4;

constexpr auto literal_forms = [] {
  constexpr std::string_view hex_digits = "0123456789abcdef";
  std::array<literal_form, 256> forms{};
  for (unsigned c = 0; c < forms.size(); ++c) {
    const auto byte = static_cast<char>(c);
    if (ends_token(static_cast<unsigned char>(c)))
      forms[c] = {{}, 0};
    else if (byte_scan::is_plain(static_cast<unsigned char>(c)))
      forms[c] = {{byte}, 1};
    else if (byte == '\\' || byte == '"')
      forms[c] = {{'\\', byte}, 2};
    else
      forms[c] = {{'\\', 'x', hex_digits[c >> 4], hex_digits[c & 0xf]}, longest_form};
  }
  return forms;
}();

// Writes the literal form of the byte at `from` to `to`, which has room for
// the longest form, and steps both past it; returns false, and stays, at a
// byte that ends the token.
REPLAYGEN_HOT_INLINE bool put_literal_form(const char*& from, char*& to) {
  const literal_form& form = literal_forms[static_cast<unsigned char>(*from)];
  std::memcpy(to, form.text.data(), longest_form);
  if (form.size == 0) return false;
  to += form.size;
  ++from;
  return true;
}

// Payload bytes are taken a block at a time, as far as the input holds a
// block and the output the longest forms of one.
constexpr std::ptrdiff_t block_size = byte_scan::block_size;
constexpr std::ptrdiff_t block_room = block_size * longest_form;
static_assert(block_room <= output_buffer::min_capacity);

// Copies payload bytes in their literal forms up to a byte that ends the
// token, block by block: a run of plain bytes at once, and the rest of a block
// after it one byte at a time, since bytes to escape come in clusters. The
// output must have room for a block's forms. Advances both; returns whether
// it stopped at the token's end.
REPLAYGEN_HOT_INLINE bool copy_literal_blocks(const char*& from_ref, const char* from_end,
                                              char*& to_ref, const char* to_end) {
  // Local copies, which the compiler keeps in registers.
  const char* from = from_ref;
  char* to = to_ref;
  bool token_ended = false;
  while (from_end - from >= block_size) {
    const char* const block_end = from + block_size;
    // The whole block is stored, and as many bytes kept as are plain.
    const unsigned plain = byte_scan::copy_block(from, to);
    from += plain;
    to += plain;
    token_ended = from != block_end && ends_token(static_cast<unsigned char>(*from));
    while (!token_ended && from != block_end) token_ended = !put_literal_form(from, to);
    if (token_ended || to_end - to < block_room) break;
  }
  from_ref = from;
  to_ref = to;
  return token_ended;
}

// The same a byte at a time, as far as either range lasts.
void copy_literal_bytes(const char*& from, const char* from_end, char*& to, const char* to_end) {
  while (from != from_end && to_end - to >= static_cast<std::ptrdiff_t>(longest_form))
    if (!put_literal_form(from, to)) return;
}

// ---- Waits

// Their proofs need doubles rounded step by step, to double precision.
static_assert(FLT_EVAL_METHOD == 0,
              "double arithmetic must not use extended precision: on 32-bit x86, build with "
              "-msse2 -mfpmath=sse");

// Each time below max_tenths / 10 s lies within 2^-53 of its size from its
// tenths, and so does the difference of two from theirs: three such errors
// stay below 0.05 s, the least distance from a whole number of tenths to a
// rounding boundary, so that the difference rounds to its tenths exactly.
static_assert(3.0 * (max_tenths / 10.0) * 0x1p-53 < 0.05);
static_assert(max_tenths < (std::int64_t{1} << 53), "tenths must convert to doubles exactly");

char* write_tenths(std::uint64_t tenths, char* out) {
  // Leaves room for the point and the last digit.
  out = std::to_chars(out, out + max_wait_chars - 2, tenths / 10).ptr;
  *out++ = '.';
  *out++ = static_cast<char>('0' + tenths % 10);
  return out;
}

// The wait lines for waits from 0.0 to 9.9 s, the most common by far, ready
// to copy: "time.sleep(X.Y)\n" is sixteen bytes.
constexpr std::size_t short_wait_line_size = 16;
static_assert(sleep_start.size() + 3 + sleep_end.size() == short_wait_line_size);
constexpr auto short_wait_lines = [] {
  std::array<std::array<char, short_wait_line_size>, 100> lines{};
  for (std::size_t tenths = 0; tenths < lines.size(); ++tenths) {
    char* end = std::copy(sleep_start.begin(), sleep_start.end(), lines[tenths].data());
    const char wait[] = {static_cast<char>('0' + tenths / 10), '.',
                         static_cast<char>('0' + tenths % 10)};
    end = std::copy(std::begin(wait), std::end(wait), end);
    std::copy(sleep_end.begin(), sleep_end.end(), end);
  }
  return lines;
}();

// Writes the line that waits a number of tenths of a second.
REPLAYGEN_HOT_INLINE char* put_tenths_wait_line(std::uint64_t tenths, char* to) {
  if (tenths < short_wait_lines.size()) {
    std::memcpy(to, short_wait_lines[static_cast<std::size_t>(tenths)].data(),
                short_wait_line_size);
    return to + short_wait_line_size;
  }
  return put(sleep_end, write_tenths(tenths, put(sleep_start, to)));
}

// Writes the line that waits from the time `prev` to `now`; a negative wait
// as none, since Python refuses a negative sleep and the replay would end.
REPLAYGEN_HOT_INLINE char* put_wait_line(const request_time& prev, const request_time& now,
                                         char* to) {
  // Between times in tenths the wait is their difference, to which the
  // doubles' difference rounds exactly (see above).
  if (now.tenths >= 0 && prev.tenths >= 0) {
    const std::int64_t tenths = std::max<std::int64_t>(now.tenths - prev.tenths, 0);
    return put_tenths_wait_line(static_cast<std::uint64_t>(tenths), to);
  }
  const double seconds = std::max(now.seconds - prev.seconds, 0.0);
  if (const std::optional<std::uint64_t> tenths = rounded_tenths(seconds))
    return put_tenths_wait_line(*tenths, to);
  return put(sleep_end, format_wait(seconds, put(sleep_start, to)));
}

// ---- Requests

// Room for the lines of a request up to its payload: the wait line and the
// start of the line that sends the payload.
constexpr std::size_t request_head_room =
    sleep_start.size() + max_wait_chars + sleep_end.size() + send_start.size();
static_assert(request_head_room <= output_buffer::min_capacity);

// Writes the lines of a request at `now` up to its payload to `to`, the wait
// line unless it is the first (`prev`, the time before, is none); then keeps
// `now` as the time before. Returns the end of what it wrote.
REPLAYGEN_HOT_INLINE char* write_request_head(char* to, std::optional<request_time>& prev,
                                              const request_time& now) {
  if (prev) to = put_wait_line(*prev, now, to);
  prev = now;
  return put(send_start, to);
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

std::optional<std::uint64_t> rounded_tenths(double seconds) {
  // 10x is 8x + 2x, both exact (powers of two), and their sum's rounding error
  // is exact too (Fast2Sum, as |8x| >= |2x|): tenths + error is exactly 10x.
  // Needs every operation rounded on its own: no fused multiply-add.
  const double eight = seconds * 8.0, two = seconds * 2.0;
  const double tenths = eight + two;
  const double error = two - (tenths - eight);
  if (!(tenths < 0x1p52)) return std::nullopt;
  const auto whole = static_cast<std::uint64_t>(tenths);
  // The fraction less one half is exact below 2^52 and, unless zero, larger
  // than the error (a multiple of tenths' ulp, which the error is below half
  // of): the sum has the sign of 10x's distance above the half.
  const double above_half = (tenths - static_cast<double>(whole) - 0.5) + error;
  // Decided without branches, which would go either way at random.
  const bool up = (above_half > 0.0) | ((above_half >= 0.0) & (whole % 2 == 1));
  return whole + (up ? 1 : 0);
}

char* format_wait(double seconds, char* out) {
  seconds = std::max(seconds, 0.0);
  if (const std::optional<std::uint64_t> tenths = rounded_tenths(seconds))
    return write_tenths(*tenths, out);
  return std::to_chars(out, out + max_wait_chars, seconds, std::chars_format::fixed, 1).ptr;
}

void write_prologue(output_buffer& out) { out.put(prologue); }

const char* write_payload(output_buffer& out, const char* begin, const char* end) {
  const char* p = begin;
  for (;;) {
    // Written through local pointers, which the compiler keeps in registers.
    const std::span<char> room = out.free_space(block_room);
    char* to = room.data();
    const char* const to_end = room.data() + room.size();
    copy_literal_blocks(p, end, to, to_end);
    copy_literal_bytes(p, end, to, to_end);
    out.commit(static_cast<std::size_t>(to - room.data()));
    // Unless the room ran out, the payload ends here or the input does.
    if (p == end || ends_token(static_cast<unsigned char>(*p))) return p;
  }
}

void write_request_end(output_buffer& out) { out.put(send_end); }

void write_epilogue(output_buffer& out) { out.put(epilogue); }

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
        p = write_usual_requests(p, end);
        if (p == end || place_ != place::between_words) break;
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

const char* script_generator::write_usual_requests(const char* p, const char* end) {
  // Room for a request's lines but for most of its payload, which is copied
  // as far as the room lasts.
  constexpr std::ptrdiff_t least_room = request_head_room + block_room + send_end.size();
  static_assert(least_room <= output_buffer::min_capacity);
  const std::span<char> room = out_.free_space(least_room);
  char* to = room.data();
  const char* const to_end = room.data() + room.size();
  std::optional<request_time> prev = prev_;  // a local, which stays in registers
  for (;;) {
    while (p != end && is_word_space(static_cast<unsigned char>(*p))) ++p;
    const std::optional<usual_time_part> time = parse_usual_time(p, end);
    if (!time || to_end - to < least_room) break;
    to = write_request_head(to, prev, time->time);
    p = time->end;
    if (!copy_literal_blocks(p, end, to, to_end - send_end.size())) {
      place_ = place::payload;
      break;
    }
    to = put(send_end, to);
    if (*p++ == '\0') {
      place_ = place::rest_of_word;
      break;
    }
  }
  out_.commit(static_cast<std::size_t>(to - room.data()));
  prev_ = prev;
  return p;
}

void script_generator::start_request() {
  const std::span<char> room = out_.free_space(request_head_room);
  char* const head_end = write_request_head(room.data(), prev_, time_of(scan_));
  out_.commit(static_cast<std::size_t>(head_end - room.data()));
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

void script_generator::end_token(char next) {
  write_request_end(out_);
  // What follows a NUL in a word is not part of the token.
  place_ = next == '\0' ? place::rest_of_word : place::between_words;
}

void script_generator::finish() {
  // A short input may end while it could still have been a mark.
  if (!started_) start_script({held_.data(), held_count_});
  if (place_ == place::time) start_request();
  if (place_ == place::time || place_ == place::payload) write_request_end(out_);
  write_epilogue(out_);
}

}  // namespace replaygen
