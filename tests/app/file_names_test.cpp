#include "app/file_names.h"

#include <gtest/gtest.h>

#include "platform/errors.h"

namespace {

using tavro::faceFilePath;

TEST(FaceFilePath, JoinsDirectoryNumberAndLetter) {
  EXPECT_EQ(faceFilePath("/opt/tavro", 0, 0), "/opt/tavro/face0a.jpg");
  EXPECT_EQ(faceFilePath("/opt/tavro", 19, 1), "/opt/tavro/face19b.jpg");
  EXPECT_EQ(faceFilePath("/opt/tavro", 19, 2), "/opt/tavro/face19c.jpg");
  EXPECT_EQ(faceFilePath("/opt/tavro/", 7, 0), "/opt/tavro/face7a.jpg");
  EXPECT_EQ(faceFilePath("", 1, 0), "/face1a.jpg");
}

TEST(FaceFilePath, RefusesALetterBeyondTheAlphabet) {
  EXPECT_EQ(faceFilePath("/d", 1, 25), "/d/face1z.jpg");
  EXPECT_THROW(faceFilePath("/d", 1, 26), tavro::Error);
  EXPECT_THROW(faceFilePath("/d", 1, -1), tavro::Error);
}

}  // namespace
