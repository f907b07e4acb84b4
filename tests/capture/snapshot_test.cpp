#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include "capture/ez_vid_cap.h"
#include "capture/capture_path.h"
#include "tests/capture/test_support.h"

namespace tavro {
namespace {

using testing::platformErrorOf;

class SnapshotTest : public testing::CaptureTest {
 protected:
  // The format Qt finds in the content, whatever the name says.
  static QByteArray formatInside(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.format();
  }
};

TEST(PicturePath, PngForPngJpegForJpgAndJpegNames) {
  EXPECT_EQ(pictureFormatFor("a/face19a.jpg"), PictureFormat::Jpeg);
  EXPECT_EQ(pictureFormatFor("a/FACE.JPG"), PictureFormat::Jpeg);
  EXPECT_EQ(pictureFormatFor("x.Jpeg"), PictureFormat::Jpeg);
  EXPECT_EQ(pictureFormatFor("/TavroTEST.BMP"), PictureFormat::Bmp);
  EXPECT_EQ(pictureFormatFor("x.png"), PictureFormat::Png);
  EXPECT_EQ(pictureFormatFor("x.PNG"), PictureFormat::Png);
  EXPECT_EQ(pictureFormatFor("x.jpg.txt"), PictureFormat::Bmp);
  EXPECT_EQ(pictureFormatFor("jpg"), PictureFormat::Bmp);
}

TEST_F(SnapshotTest, SnapshotLoadsBackAtTheFrameSize) {
  ezVidCap control;
  const QString path = pathOf("TavroTEST.BMP");
  control.WriteFrameFile(path);  // preview is off: a frame is there anyway
  EXPECT_FALSE(control.liveView());
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  EXPECT_EQ(reader.format(), "bmp");
  const QImage picture = reader.read();
  ASSERT_FALSE(picture.isNull()) << reader.errorString().toStdString();
  EXPECT_EQ(picture.size(), QSize(160, 120));
}

TEST_F(SnapshotTest, WrittenInTheFormatTheNameSays) {
  ezVidCap control;
  const std::pair<const char*, const char*> cases[] = {{"face19a.jpg", "jpeg"}, {"UPPER.JPEG", "jpeg"},
                                                       {"picture.png", "png"},  {"SNAP.Png", "png"},
                                                       {"no_extension", "bmp"}};
  for (const auto& [name, format] : cases) {
    const QString path = pathOf(name);
    control.WriteFrameFile(path);
    EXPECT_EQ(formatInside(path), QByteArray(format)) << name;
    EXPECT_EQ(QImage(path).size(), QSize(160, 120)) << name;
  }
}

TEST_F(SnapshotTest, OlderFileIsReplacedWhole) {
  const QString path = pathOf("face19b.jpg");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("not a picture");
  old.close();
  ezVidCap control;
  control.WriteFrameFile(path);
  EXPECT_EQ(QImage(path).size(), QSize(160, 120));
  EXPECT_EQ(folderEntries(), QStringList{"face19b.jpg"});
}

TEST_F(SnapshotTest, ALinkUnderTheNameIsReplacedAndItsTargetKept) {
  const QString target = pathOf("target.txt");
  QFile kept(target);
  ASSERT_TRUE(kept.open(QIODevice::WriteOnly) && kept.write("kept") == 4);
  kept.close();
  ASSERT_TRUE(QFile::link(target, pathOf("face19a.jpg")));
  ezVidCap control;
  control.WriteFrameFile(pathOf("face19a.jpg"));
  EXPECT_FALSE(QFileInfo(pathOf("face19a.jpg")).isSymLink());
  EXPECT_EQ(QImage(pathOf("face19a.jpg")).size(), QSize(160, 120));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "kept");
}

TEST_F(SnapshotTest, UnwritablePathIsAnErrorNamingIt) {
  QFile plain(pathOf("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  ezVidCap control;
  const QString path = pathOf("plain/snap.bmp");  // a file is no folder, even for root
  const std::string message = platformErrorOf([&] { control.WriteFrameFile(path); });
  EXPECT_NE(message.find("Cannot write the picture file " + path.toStdString()), std::string::npos) << message;
  EXPECT_FALSE(platformErrorOf([&] { control.WriteFrameFile(pathOf("missing/snap.jpg")); }).empty());
  EXPECT_EQ(folderEntries(), QStringList{"plain"});  // no half or temporary file left
}

TEST_F(SnapshotTest, EmptyNameFolderOrDeviceIsNeverReplaced) {
  ezVidCap control;
  EXPECT_FALSE(platformErrorOf([&] { control.WriteFrameFile(""); }).empty());
  ASSERT_TRUE(QDir(folder_.path()).mkdir("folder"));
  EXPECT_NE(platformErrorOf([&] { control.WriteFrameFile(pathOf("folder")); }).find("not an ordinary file"),
            std::string::npos);
  const QString pipe = pathOf("pipe.bmp");
  ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  EXPECT_FALSE(platformErrorOf([&] { control.WriteFrameFile(pipe); }).empty());
  EXPECT_FALSE(QFileInfo(pipe).isFile());
  EXPECT_TRUE(QFileInfo(pipe).exists());
}

}  // namespace
}  // namespace tavro
