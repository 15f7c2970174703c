// The exact value of long digit strings, correctly rounded by the C++
// library where it can, else by the C library.
#include "exact_decimal.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string_view>
#include <version>

namespace replaygen {

namespace {

// The decimal number `text` (with a non-zero digit, and a NUL after it),
// correctly rounded to a double; none where that leaves the range of doubles.
std::optional<double> correctly_rounded(std::string_view text) {
#if defined(__cpp_lib_to_chars)
  double value = 0.0;
  const auto error = std::from_chars(text.data(), text.data() + text.size(), value).ec;
  if (error == std::errc::result_out_of_range) return std::nullopt;
#else
  // Libraries without from_chars for doubles (libc++): strtod rounds
  // correctly in the C libraries concerned, and reads the point as '.' since
  // this program never calls setlocale.
  const double value = std::strtod(text.data(), nullptr);
  if (std::isinf(value) || value == 0.0) return std::nullopt;
#endif
  return value;
}

}  // namespace

double power_of_ten(std::uint64_t n) {
  if (n < exact_powers_of_ten.size()) return exact_powers_of_ten[static_cast<std::size_t>(n)];
  char text[8] = "1e";
  *std::to_chars(text + 2, text + sizeof text - 1, n).ptr = '\0';
  return *correctly_rounded(text);
}

void exact_digits::push(char digit) {
  if (significant == 0 && digit == '0') return;
  ++significant;
  if (kept_count < kept_max)
    kept[kept_count++] = digit;
  else if (digit != '0')
    dropped_nonzero = true;
}

void exact_digits::push_all(std::uint64_t number) {
  char text[20];
  const char* text_end = std::to_chars(text, text + sizeof text, number).ptr;
  for (const char* p = text; p != text_end; ++p) push(*p);
}

double exact_digits::value(std::uint64_t fraction_digits) const {
  constexpr double largest = std::numeric_limits<double>::max();
  if (significant == 0) return 0.0;
  // The value is 0.<kept digits> times ten to the power of `significant`
  // less `fraction_digits`; far enough out of range, the exponent alone decides.
  if (significant > fraction_digits && significant - fraction_digits > 310) return largest;
  if (fraction_digits > significant && fraction_digits - significant > 330) return 0.0;
  const long long exponent =
      static_cast<long long>(significant) - static_cast<long long>(fraction_digits);

  // "0." digits, a tie-breaking digit, "e", the exponent and a NUL.
  std::array<char, 2 + exact_digits::kept_max + 1 + 1 + 8 + 1> text{'0', '.'};
  char* text_end = std::copy_n(kept.data(), kept_count, text.data() + 2);
  // A non-zero digit past the kept ones only has to break a rounding tie.
  if (dropped_nonzero) *text_end++ = '1';
  *text_end++ = 'e';
  text_end = std::to_chars(text_end, text.data() + text.size() - 1, exponent).ptr;
  *text_end = '\0';
  return correctly_rounded({text.data(), text_end}).value_or(exponent > 0 ? largest : 0.0);
}

}  // namespace replaygen
