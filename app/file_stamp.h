#pragma once
// A file's modification time and size: enough to tell that a face file was
// replaced or edited after a training run read it.

#include <QString>
#include <cstdint>
#include <optional>

namespace tavro {

struct FileStamp {
  std::int64_t modifiedNanoseconds = 0;
  std::int64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the ordinary file the name leads to (links followed); none
// when it leads to nothing else or cannot be looked up.
std::optional<FileStamp> fileStamp(const QString& path);

}  // namespace tavro
