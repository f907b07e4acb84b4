#include "app/face_names.h"

#include <cctype>
#include <cstdlib>

#include "imaging/checked_arithmetic.h"

namespace tavro {

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Length of the leading number: blanks, a sign, digits with an optional
// decimal point, and an exponent only when digits follow it.
std::size_t leadingNumberEnd(const std::string& text, std::size_t& start) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t digitsFrom = i;
  while (i < text.size() && isDigit(text[i])) ++i;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && isDigit(text[i])) ++i;
  }
  if (i == digitsFrom || (i == digitsFrom + 1 && text[digitsFrom] == '.')) return start;  // no digits
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && isDigit(text[j])) {
      while (j < text.size() && isDigit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

}  // namespace

std::string faceName(std::int16_t faceNumber) { return std::to_string(faceNumber); }

std::int16_t faceNumberFromName(const std::string& name) {
  std::size_t start = 0;
  const std::size_t end = leadingNumberEnd(name, start);
  if (end == start) return 0;
  const std::string number = name.substr(start, end - start);
  return checked::roundToInt16(std::strtod(number.c_str(), nullptr));
}

}  // namespace tavro
