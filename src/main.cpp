// replaygen: reads timed requests such as "[1.5]go" from standard input and
// writes to standard output a Python script that replays them into a Java
// program at their times.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "script_writer.hpp"

namespace {

// Large enough that reads and writes cost little per byte.
constexpr std::size_t io_chunk = 1 << 16;

struct io_failure {
  const char* what;
  int error;
};

void write_to_stdout(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
    throw io_failure{"write error", errno};
}

void generate_script() {
  replaygen::output_buffer out(io_chunk, write_to_stdout);
  replaygen::script_generator script(out);
  std::vector<char> input(io_chunk);
  std::size_t got = 0;
  while ((got = std::fread(input.data(), 1, input.size(), stdin)) > 0)
    script.feed(input.data(), input.data() + got);
  if (std::ferror(stdin)) throw io_failure{"read error", errno};
  script.finish();
  out.flush();
}

}  // namespace

int main() {
  // The program buffers in large chunks itself; a second buffer would only copy.
  std::setvbuf(stdin, nullptr, _IONBF, 0);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  try {
    generate_script();
    if (std::fclose(stdout) != 0) throw io_failure{"write error", errno};
  } catch (const io_failure& failure) {
    std::fprintf(stderr, "replaygen: %s: %s\n", failure.what, std::strerror(failure.error));
    return 1;
  }
  return 0;
}
