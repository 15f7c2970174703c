// The output buffer: collects the script's text and hands it on in large
// pieces.
#include "output_buffer.hpp"

namespace replaygen {

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

}  // namespace replaygen
