// The output buffer: collects the script's text and hands it on in large
// pieces, so that the stream underneath sees few, large writes.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <functional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace replaygen {

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

  // Free space, at least `size` bytes of it (`size` at most min_capacity), to
  // write into directly; then take in what was written with `commit`.
  std::span<char> free_space(std::size_t size) {
    assert(size <= min_capacity);
    if (data_.size() - used_ < size) flush();
    return {data_.data() + used_, data_.size() - used_};
  }
  void commit(std::size_t count) {
    assert(count <= data_.size() - used_);
    used_ += count;
  }
  // Takes in what `write` writes into free space of at least `size` bytes:
  // given where to write, it returns the end of what it wrote.
  template <typename Writer>
  void write_in_place(std::size_t size, Writer write) {
    const std::span<char> room = free_space(size);
    commit(static_cast<std::size_t>(write(room.data()) - room.data()));
  }

  // Hands on everything collected so far.
  void flush();

 private:
  void put_in_pieces(std::string_view text);

  std::vector<char> data_;
  std::size_t used_ = 0;
  drain_function drain_;
};

// Writes `text` into free space of an output buffer at `to`; returns the end
// of what it wrote. Every function that writes into free space takes the
// position last, as std::copy does, and returns the end of what it wrote.
inline char* write_text(std::string_view text, char* to) {
  return std::copy(text.begin(), text.end(), to);
}

}  // namespace replaygen
