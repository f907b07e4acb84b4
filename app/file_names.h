#pragma once
// The file names the window works with: face files beside the program, and
// paths typed by the user.

#include <QString>
#include <cstdint>

namespace tavro {

// Program directory + "/face" + number + letter + ".jpg"; the letter is the
// lower-case letter of the picture index (0 = "a"). Throws
// Error(SubscriptOutOfRange) for an index outside "a" to "z".
QString faceFilePath(const QString& programDirectory, std::int16_t faceNumber,
                     std::int16_t letterIndex);

// A path as typed into the text box, used as it stands except that '\'
// separates folders as '/' does.
QString typedPath(const QString& text);

}  // namespace tavro
