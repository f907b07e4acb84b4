#include "platform/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tavro {

bool writeStandardOutput(std::string_view text) {
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return std::fflush(stdout) == 0 && written && !std::ferror(stdout);
}

int printAndFinish(std::string_view program, std::string_view text) {
  if (writeStandardOutput(text)) return 0;
  const int reason = errno;
  std::fprintf(stderr, "%.*s: cannot write to standard output: %s\n", static_cast<int>(program.size()), program.data(),
               reason != 0 ? std::strerror(reason) : "unknown error");
  return 1;
}

}  // namespace tavro
