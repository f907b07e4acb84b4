#pragma once
// Standard output written in full and checked: text that cannot be written
// (a full disk, a closed pipe end, a file-size limit) is a failure, never a
// silent loss.

#include <string_view>

namespace tavro {

// Writes every byte to the descriptor, again after a signal: 0, or errno (EIO for no progress).
int writeAll(int fd, std::string_view bytes);

// Writes every byte to standard output, after anything stdio still holds.
// Throws Error(Platform) "Cannot write to standard output: reason" with the
// system's reason when they cannot all be written.
void writeStandardOutput(std::string_view bytes);

// For a program that prints one text and ends (help, version): the exit
// status, 0 when the text was written; otherwise 1, after
// "program: cannot write to standard output: reason" on standard error.
int printAndFinish(std::string_view program, std::string_view text);

}  // namespace tavro
