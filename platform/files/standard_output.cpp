#include "platform/files/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "platform/errors.h"

namespace tavro {

void writeStandardOutput(const QByteArray& bytes) {
  // Anything stdio still holds goes first, so the order stays as written.
  if (std::fflush(stdout) != 0)
    throw Error(ErrorKind::Platform, std::string("Cannot write to standard output: ") + std::strerror(errno));
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(STDOUT_FILENO, p, static_cast<std::size_t>(left));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      const int error = written < 0 ? errno : EIO;
      throw Error(ErrorKind::Platform, std::string("Cannot write to standard output: ") + std::strerror(error));
    }
    p += written;
    left -= written;
  }
}

}  // namespace tavro
