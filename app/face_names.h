#pragma once
// Face names: each stored face is named with the decimal text of its face
// number, and an identification's answer is turned back into a number.

#include <cstdint>
#include <string>

namespace tavro {

// "0" .. "19": decimal, no sign for positive numbers, no spaces.
std::string faceName(std::int16_t faceNumber);

// Reads the leading decimal number of a name (an empty or non-numeric text
// reads as 0) and rounds it to the nearest 16-bit integer, ties to even.
// Throws Error(Overflow) beyond the 16-bit range.
std::int16_t faceNumberFromName(const std::string& name);

}  // namespace tavro
