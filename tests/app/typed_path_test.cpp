#include <gtest/gtest.h>

#include "app/typed_path.h"

namespace {

// One leading '\' is the home folder; every '\' is a separator; '/' and
// "\\" keep a path absolute; anything else stays relative.
TEST(TypedPath, BackslashesAreSeparatorsAndOneLeadingBackslashIsHome) {
  const struct {
    const char* typed;
    const char* home;
    const char* expected;
  } cases[] = {
      {"\\TavroTEST.BMP", "/home/ann", "/home/ann/TavroTEST.BMP"},
      {"\\pics\\face.jpg", "/home/ann/", "/home/ann/pics/face.jpg"},
      {"\\TavroTEST.BMP", "/", "/TavroTEST.BMP"},
      {"\\\\srv\\share\\x.bmp", "/home/ann", "//srv/share/x.bmp"},
      {"/tmp\\faces\\face19a.jpg", "/home/ann", "/tmp/faces/face19a.jpg"},
      {"plain\\name.bmp", "/home/ann", "plain/name.bmp"},
      {"", "/home/ann", ""},
  };
  for (const auto& [typed, home, expected] : cases) {
    EXPECT_EQ(tavro::typedPath(typed, home), expected) << typed << " at home " << home;
    // The window and the capture control both apply it.
  }
  EXPECT_EQ(tavro::typedPath("\\TavroTEST.BMP"), QDir::homePath() + "/TavroTEST.BMP");
}

}  // namespace
