#include "platform/standard_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/errors.h"

namespace tavro {

namespace {

// Anything stdio still holds goes first, so the order stays as written.
int writeStandardOutputAll(std::string_view bytes) {
  return std::fflush(stdout) != 0 ? errno : writeAll(STDOUT_FILENO, bytes);
}

}  // namespace

int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? errno : EIO;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

void writeStandardOutput(std::string_view bytes) {
  if (const int error = writeStandardOutputAll(bytes); error != 0)
    throw Error(ErrorKind::Platform, std::string("Cannot write to standard output: ") + std::strerror(error));
}

int printAndFinish(std::string_view program, std::string_view text) {
  const int error = writeStandardOutputAll(text);
  if (error == 0) return 0;
  std::fprintf(stderr, "%.*s: cannot write to standard output: %s\n", static_cast<int>(program.size()),
               program.data(), std::strerror(error));
  return 1;
}

}  // namespace tavro
