#include "platform/standard_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/errors.h"

namespace tavro {

namespace {

// Writes every byte; 0 when done, else the system's error number.
int writeAll(std::string_view bytes) {
  // Anything stdio still holds goes first, so the order stays as written.
  if (std::fflush(stdout) != 0) return errno;
  while (!bytes.empty()) {
    const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? errno : EIO;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

}  // namespace

void writeStandardOutput(std::string_view bytes) {
  if (const int error = writeAll(bytes); error != 0)
    throw Error(ErrorKind::Platform, std::string("Cannot write to standard output: ") + std::strerror(error));
}

int printAndFinish(std::string_view program, std::string_view text) {
  const int error = writeAll(text);
  if (error == 0) return 0;
  std::fprintf(stderr, "%.*s: cannot write to standard output: %s\n", static_cast<int>(program.size()),
               program.data(), std::strerror(error));
  return 1;
}

}  // namespace tavro
