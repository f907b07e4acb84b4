#include "app/file_stamp.h"

#include <sys/stat.h>

#include "files/native_names.h"

namespace tavro {

std::optional<FileStamp> fileStamp(const QString& path) {
  struct stat info {};
  if (::stat(toNativeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return FileStamp{std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec,
                   std::int64_t{info.st_size}};
}

}  // namespace tavro
