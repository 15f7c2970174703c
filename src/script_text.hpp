// The replay script's fixed text: its opening and closing lines, and the
// pieces of the lines that wait and send around the waits and the payloads.
#pragma once

#include <string_view>

namespace replaygen {

inline constexpr std::string_view prologue = R"script(import subprocess
import time
import threading
ff = open("output.txt","w")
output1 = subprocess.Popen("java -jar G:\compus\OO\quillmarsh\quillmarsh.jar",stdin = subprocess.PIPE,stdout = ff,shell=True)
)script";

inline constexpr std::string_view epilogue = "output1.stdin.close()\nff.close()\n";

// A wait line holds the wait between these.
inline constexpr std::string_view sleep_start = "time.sleep(";
inline constexpr std::string_view sleep_end = ")\n";

// The lines that send a payload hold it, in its literal form, between these.
inline constexpr std::string_view send_start = "output1.stdin.write(b\"";
inline constexpr std::string_view send_end = "\\n\")\noutput1.stdin.flush()\n";

}  // namespace replaygen
