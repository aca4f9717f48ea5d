#include "app/core/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace NumberText {

std::string General(long double value, int precision) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  // Rounded once, to the decimal digits d.ddd...e±x of the exact binary value.
  char buffer[96];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, precision - 1).ptr;
  const std::string text(buffer, end);
  const bool negative = text[0] == '-';
  const std::size_t e = text.find('e');
  std::string digits;
  for (std::size_t i = negative ? 1 : 0; i < e; ++i)
    if (text[i] != '.') digits += text[i];
  const int exponent = std::atoi(text.c_str() + e + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent < -5 || exponent >= precision) {
    out += digits[0];
    if (digits.size() > 1) out += "." + digits.substr(1);
    return out + "E" + std::to_string(exponent);
  }
  if (exponent < 0) return out + "0." + std::string(-exponent - 1, '0') + digits;
  const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= whole) return out + digits + std::string(whole - digits.size(), '0');
  return out + digits.substr(0, whole) + "." + digits.substr(whole);
}

}  // namespace NumberText
