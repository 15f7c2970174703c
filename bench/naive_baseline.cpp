// The obvious way to write the program, kept only as the benchmark's
// baseline: one formatted read per token and formatted prints per line.
#include <algorithm>
#include <cmath>
#include <cstdio>

int main() {
  std::printf("import subprocess\nimport time\nimport threading\n");
  std::printf("ff = open(\"output.txt\",\"w\")\n");
  std::printf(
      "output1 = subprocess.Popen(\"java -jar G:\\compus\\OO\\quillmarsh\\quillmarsh.jar\","
      "stdin = subprocess.PIPE,stdout = ff,shell=True)\n");
  static char token[1 << 16];
  int count = 0;
  double previous = 0.0;
  while (std::scanf("%65535s", token) == 1) {
    double value = 0.0;
    bool seen_mark = false;
    int fraction_digits = 0;
    const char* payload = "";
    for (const char* p = token; *p != '\0'; ++p) {
      if (*p == ']') {
        payload = p + 1;
        break;
      }
      if (*p == '[') {
        value = 0.0;
      } else if (*p < '0' || *p > '9') {
        seen_mark = true;
      } else {
        value = (value * 10.0 + *p) - 48.0;
        if (seen_mark) ++fraction_digits;
      }
    }
    value /= std::pow(10.0, fraction_digits);
    if (count > 0) std::printf("time.sleep(%.1f)\n", std::max(value - previous, 0.0));
    std::printf("output1.stdin.write(b\"");
    for (const char* p = payload; *p != '\0'; ++p) {
      const auto c = static_cast<unsigned char>(*p);
      if (c == '\\' || c == '"')
        std::printf("\\%c", c);
      else if (c < '!' || c > '~')
        std::printf("\\x%02x", c);
      else
        std::putchar(c);
    }
    std::printf("\\n\")\n");
    std::printf("output1.stdin.flush()\n");
    previous = value;
    ++count;
  }
  std::printf("output1.stdin.close()\nff.close()\n");
  return 0;
}
