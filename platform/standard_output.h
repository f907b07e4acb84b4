#pragma once
// Text for standard output, written whole or reported: a full disk or a
// closed pipe is never taken for success.

#include <string_view>

namespace tavro {

// Writes the text to standard output and flushes it. False when that
// failed; errno then holds the system's reason.
bool writeStandardOutput(std::string_view text);

// For a program that prints one text and ends (help, version): the exit
// status, 0 when the text was written; otherwise 1, after
// "program: cannot write to standard output: reason" on standard error.
int printAndFinish(std::string_view program, std::string_view text);

}  // namespace tavro
