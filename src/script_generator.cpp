// The script generator: the script's opening and closing lines, the byte
// order mark, the words of the input, the heads and ends of the requests, and
// the one-pass lane for usual requests.
#include "script_generator.hpp"

#include <cstddef>
#include <optional>
#include <span>

#include "hot_inline.hpp"
#include "payload_literal.hpp"
#include "script_text.hpp"
#include "wait_line.hpp"

namespace replaygen {

namespace {

// Room for the longest request head: the lines of a request up to its
// payload, which are its wait line, unless it is the first, and the start of
// the line that sends it.
constexpr std::size_t request_head_room =
    sleep_start.size() + max_wait_chars + sleep_end.size() + send_start.size();
static_assert(request_head_room <= output_buffer::min_capacity);

// Writes the head of a request at `now` to `to`, with a wait line unless
// `previous`, the time before, is none; then keeps `now` as the time before.
// Returns the end of what it wrote.
REPLAYGEN_HOT_INLINE char* write_request_head(std::optional<request_time>& previous,
                                              const request_time& now, char* to) {
  if (previous) to = write_wait_line(*previous, now, to);
  previous = now;
  return write_text(send_start, to);
}

// Writes the end of a request to `to`: the end of the line that sends its
// payload, and the flush line. Returns the end of what it wrote.
REPLAYGEN_HOT_INLINE char* write_request_end(char* to) { return write_text(send_end, to); }

}  // namespace

std::optional<script_generator::input_start> script_generator::hold_input_start(const char* begin,
                                                                                const char* end) {
  // Editors on Windows put the UTF-8 mark before text; its bytes would read as part of a time.
  constexpr std::string_view utf8_mark = "\xEF\xBB\xBF";
  for (const char* p = begin; p != end;) {
    held_[held_count_++] = *p++;
    const std::string_view held(held_.data(), held_count_);
    if (held == "\xFF\xFE" || held == "\xFE\xFF")
      throw input_refused("the input is UTF-16 text; save it as UTF-8 or ASCII");
    if (held == utf8_mark) return input_start{{}, p};
    const bool may_be_mark = utf8_mark.starts_with(held) || held == "\xFF" || held == "\xFE";
    if (!may_be_mark) return input_start{held, p};
  }
  return std::nullopt;
}

void script_generator::start_script(std::string_view held_words) {
  out_.put(prologue);
  started_ = true;
  feed_words(held_words.data(), held_words.data() + held_words.size());
}

void script_generator::feed(const char* begin, const char* end) {
  if (!started_) {
    const std::optional<input_start> start = hold_input_start(begin, end);
    if (!start) return;
    start_script(start->held_words);
    begin = start->rest;
  }
  feed_words(begin, end);
}

void script_generator::feed_words(const char* p, const char* end) {
  // A piece of input may end anywhere; the next piece resumes in the same place.
  while (p != end) {
    switch (place_) {
      case place::lane: {
        const lane_end lane = write_usual_requests(p, end);
        p = lane.at;
        if (lane.stop == lane_stop::at_word) {  // for the general path
          scan_.reset();
          place_ = place::time;
        } else if (lane.stop == lane_stop::in_payload) {
          place_ = place::payload;
        } else if (lane.stop == lane_stop::at_nul) {
          place_ = place::after_nul;
        }  // and at the input's end, the lane goes on in the next piece
        break;
      }
      case place::time:
      case place::payload: {
        const token_part_end part =
            place_ == place::time ? scan_time_part(scan_, p, end) : write_payload(out_, p, end);
        p = part.at;
        if (part.stop == token_stop::past_bracket) {
          start_request();
          place_ = place::payload;
        } else if (part.stop != token_stop::at_input_end) {
          end_token();
          place_ = part.stop == token_stop::at_nul ? place::after_nul : place::lane;
        }  // and at the input's end, the token goes on in the next piece
        break;
      }
      case place::after_nul:
        while (p != end && !is_word_space(static_cast<unsigned char>(*p))) ++p;
        if (p != end) place_ = place::lane;
        break;
    }
  }
}

script_generator::lane_end script_generator::write_usual_requests(const char* p, const char* end) {
  // Room for a request's lines but for most of its payload, which is copied
  // as far as the room lasts.
  constexpr std::ptrdiff_t least_room = request_head_room + block_room + send_end.size();
  static_assert(least_room <= output_buffer::min_capacity);
  const std::span<char> room = out_.free_space(least_room);
  char* to = room.data();
  const char* const to_end = room.data() + room.size();
  // The time before, in a local that the compiler keeps in registers, stored
  // back once at the end.
  std::optional<request_time> previous = previous_;
  const lane_stop stop = [&] {
    for (;;) {
      while (p != end && is_word_space(static_cast<unsigned char>(*p))) ++p;
      const std::optional<usual_time_part> time = parse_usual_time(p, end);
      if (!time || to_end - to < least_room)
        return p == end ? lane_stop::at_input_end : lane_stop::at_word;
      to = write_request_head(previous, time->time, to);
      p = time->end;
      // A payload that the room or the input cuts short goes on by the general path.
      if (!copy_literal_blocks(p, end, to, to_end - send_end.size())) return lane_stop::in_payload;
      to = write_request_end(to);
      // What follows a NUL in a word is not part of the token.
      if (*p == '\0') return lane_stop::at_nul;
      ++p;  // past the space that ends the word, sparing the loop above a test of it
    }
  }();
  out_.commit(static_cast<std::size_t>(to - room.data()));
  previous_ = previous;
  return {p, stop};
}

void script_generator::start_request() {
  out_.write_in_place(request_head_room, [this](char* to) {
    return write_request_head(previous_, time_of(scan_), to);
  });
}

void script_generator::end_token() {
  if (place_ == place::time) start_request();
  out_.write_in_place(send_end.size(), [](char* to) { return write_request_end(to); });
}

void script_generator::finish() {
  // A short input may end while it could still have been a mark.
  if (!started_) start_script({held_.data(), held_count_});
  // The input's end ends its last token.
  if (place_ == place::time || place_ == place::payload) end_token();
  out_.put(epilogue);
}

}  // namespace replaygen
