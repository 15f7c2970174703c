// replaygen: reads timed requests such as "[1.5]go" from standard input and
// writes to standard output a Python script that replays them into a Java
// program at their times.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "output_buffer.hpp"
#include "script_generator.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <winerror.h>

// Text mode on Windows ends a file or pipe at a 0x1A byte, which is data here;
// a console keeps text mode, so that Ctrl-Z, Enter still ends typed input.
static void read_input_as_bytes() {
  if (!_isatty(_fileno(stdin))) _setmode(_fileno(stdin), _O_BINARY);
}

// Windows' errors for a pipe whose reader has gone, and wine's, are EPIPE:
// the C runtime makes ERROR_NO_DATA and ERROR_PIPE_NOT_CONNECTED EINVAL,
// which says nothing of the pipe.
static int write_error_number() {
  switch (_doserrno) {
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
    case ERROR_PIPE_NOT_CONNECTED:
      return EPIPE;
    default:
      return errno;
  }
}
#else
static void read_input_as_bytes() {}
static int write_error_number() { return errno; }
#endif

namespace {

// Large enough that reads and writes cost little per byte.
constexpr std::size_t io_chunk = 1 << 16;

struct io_failure {
  const char* what;
  int error;
};

void write_to_stdout(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
    throw io_failure{"write error", write_error_number()};
}

void generate_script() {
  replaygen::output_buffer out(io_chunk, write_to_stdout);
  replaygen::script_generator script(out);
  std::vector<char> input(io_chunk);
  // One end of input is enough: at a terminal, reading on would wait for another.
  while (!std::feof(stdin)) {
    const std::size_t got = std::fread(input.data(), 1, input.size(), stdin);
    if (std::ferror(stdin)) throw io_failure{"read error", errno};
    script.feed(input.data(), input.data() + got);
  }
  script.finish();
  out.flush();
}

}  // namespace

int main() {
  read_input_as_bytes();
  // The program buffers in large chunks itself; a second buffer would only copy.
  std::setvbuf(stdin, nullptr, _IONBF, 0);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  try {
    generate_script();
    if (std::fclose(stdout) != 0) throw io_failure{"write error", errno};
  } catch (const io_failure& failure) {
    std::fprintf(stderr, "replaygen: %s: %s\n", failure.what, std::strerror(failure.error));
    return 1;
  } catch (const replaygen::input_refused& refusal) {
    std::fprintf(stderr, "replaygen: input error: %s\n", refusal.what());
    return 1;
  }
  return 0;
}
