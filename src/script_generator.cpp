// The script generator: the script's opening and closing lines, the byte
// order mark, the words of the input, and the one-pass lane for usual requests.
#include "script_generator.hpp"

#include <span>

#include "payload_literal.hpp"
#include "request_head.hpp"
#include "script_text.hpp"

namespace replaygen {

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
  out_.put(prologue);
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
  std::optional<request_time> previous = previous_;  // a local, which stays in registers
  for (;;) {
    while (p != end && is_word_space(static_cast<unsigned char>(*p))) ++p;
    const std::optional<usual_time_part> time = parse_usual_time(p, end);
    if (!time || to_end - to < least_room) break;
    to = write_request_head(previous, time->time, to);
    p = time->end;
    // A payload that the room or the input cuts short, or that a NUL ends,
    // goes on by the general path.
    if (!copy_literal_blocks(p, end, to, to_end - send_end.size()) || *p == '\0') {
      place_ = place::payload;
      break;
    }
    to = write_text(send_end, to);
    ++p;  // past the space that ends the word
  }
  out_.commit(static_cast<std::size_t>(to - room.data()));
  previous_ = previous;
  return p;
}

void script_generator::start_request() {
  const std::span<char> room = out_.free_space(request_head_room);
  char* const head_end = write_request_head(previous_, time_of(scan_), room.data());
  out_.commit(static_cast<std::size_t>(head_end - room.data()));
}

void script_generator::time_scanned(const char* p, const char* end) {
  if (scan_.time_closed) {
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
  out_.put(send_end);
  // What follows a NUL in a word is not part of the token.
  place_ = next == '\0' ? place::rest_of_word : place::between_words;
}

void script_generator::finish() {
  // A short input may end while it could still have been a mark.
  if (!started_) start_script({held_.data(), held_count_});
  if (place_ == place::time) start_request();
  if (place_ == place::time || place_ == place::payload) out_.put(send_end);
  out_.put(epilogue);
}

}  // namespace replaygen
