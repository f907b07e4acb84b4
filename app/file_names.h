#pragma once
// The names of the face files.

#include <QString>
#include <cstdint>

namespace tavro {

// Program directory + "/face" + number + letter + ".jpg"; the letter is the
// lower-case letter of the picture index (0 = "a"). Throws
// Error(SubscriptOutOfRange) for an index outside "a" to "z".
QString faceFilePath(const QString& programDirectory, std::int16_t faceNumber,
                     std::int16_t letterIndex);

}  // namespace tavro
