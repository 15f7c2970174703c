// Runs the script generator in memory, for the tests and the fuzz target.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "output_buffer.hpp"
#include "script_generator.hpp"

inline const std::string expected_prologue =
    "import subprocess\n"
    "import time\n"
    "import threading\n"
    "ff = open(\"output.txt\",\"w\")\n"
    "output1 = subprocess.Popen(\"java -jar G:\\compus\\OO\\quillmarsh\\quillmarsh.jar\","
    "stdin = subprocess.PIPE,stdout = ff,shell=True)\n";
inline const std::string expected_epilogue = "output1.stdin.close()\nff.close()\n";

// The script for `input`, fed in pieces of `chunk` bytes, each its own allocation, whose end the
// sanitizers guard, and collected through an output buffer of `capacity` bytes.
inline std::string script_for(std::string_view input, std::size_t chunk = 1 << 16,
                              std::size_t capacity = 1 << 16) {
  std::string script;
  replaygen::output_buffer out(capacity, [&](std::string_view bytes) { script += bytes; });
  replaygen::script_generator generator(out);
  for (std::size_t at = 0; at < input.size(); at += chunk) {
    const std::vector<char> piece(input.begin() + at,
                                  input.begin() + at + std::min(chunk, input.size() - at));
    generator.feed(piece.data(), piece.data() + piece.size());
  }
  generator.finish();
  out.flush();
  return script;
}
