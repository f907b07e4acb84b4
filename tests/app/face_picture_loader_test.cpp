#include "app/face_picture_loader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <sys/stat.h>
#include <QTemporaryDir>

#include "face_picture_files.h"
#include "widgets/picture_box_model.h"

namespace {

using namespace tavro::testing;

class FacePictureLoaderTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  RecordingMessageBox messages_;
  tavro::FacePictureLoader loader_{dir_.path(), messages_};
  tavro::PictureBoxModel box_ = tavro::PictureBoxModel::faceBox();
};


TEST_F(FacePictureLoaderTest, SkipsAMissingFileSilently) {
  EXPECT_FALSE(loader_.loadFace(5, 0, box_));
  EXPECT_FALSE(loader_.loadFace2(box_, dir_.filePath("nothing.bmp")));
  EXPECT_FALSE(loader_.loadFace2(box_, QString()));
  EXPECT_TRUE(showsPicture(box_.image(), tavro::facePlaceholder()));
  EXPECT_TRUE(messages_.texts.isEmpty());
}

// A folder, a FIFO or a device under a picture's name is no picture: said
// so, never waited on.
TEST_F(FacePictureLoaderTest, ReportsWhatIsNoOrdinaryFile) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir("face0a.jpg"));
  const QString fifo = dir_.filePath("fifo.jpg");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_EQ(loader_.loadFace(0, 0, box_).result, tavro::PictureLoad::Result::Unreadable);
  for (const QString& path : {fifo, QStringLiteral("/dev/zero")}) EXPECT_FALSE(loader_.loadFace2(box_, path));
  EXPECT_EQ(messages_.texts, QStringList({"frmMain/loadFace/Not a file: " + faceFileName(dir_.path(), 0, 'a'),
                                          "frmMain/loadFace2/Not a file: " + fifo,
                                          "frmMain/loadFace2/Not a file: /dev/zero"}));
}

TEST_F(FacePictureLoaderTest, ReportsATextFileWithTheRoutinesPrefix) {
  const QString path = faceFileName(dir_.path(), 2, 'a');
  ASSERT_TRUE(writeText(path, "not a picture\n"));
  EXPECT_FALSE(loader_.loadFace(2, 0, box_));
  ASSERT_EQ(messages_.texts.size(), 1);
  EXPECT_EQ(messages_.texts[0],
            "frmMain/loadFace/Invalid picture: " + path + " holds no picture in a known format");
  EXPECT_TRUE(showsPicture(box_.image(), tavro::facePlaceholder()));

  EXPECT_FALSE(loader_.loadFace2(box_, path));
  ASSERT_EQ(messages_.texts.size(), 2);
  EXPECT_TRUE(messages_.texts[1].startsWith("frmMain/loadFace2/Invalid picture: " + path));
}

TEST_F(FacePictureLoaderTest, KeepsThePreviousPictureWhenALoadFails) {
  ASSERT_TRUE(writeFaceFile(dir_.path(), 4, 'a', "PNG"));
  ASSERT_TRUE(loader_.loadFace(4, 0, box_));
  const QString corrupt = dir_.filePath("corrupt.jpg");
  ASSERT_TRUE(writeText(corrupt, QByteArray("\xff\xd8\xff\xe0", 4) + QByteArray(64, 'x')));
  EXPECT_FALSE(loader_.loadFace2(box_, corrupt));
  ASSERT_EQ(messages_.texts.size(), 1);
  EXPECT_TRUE(messages_.texts[0].startsWith("frmMain/loadFace2/Invalid picture: " + corrupt));
  EXPECT_TRUE(showsPicture(box_.image(), facePicture(4, 0)));
}

TEST_F(FacePictureLoaderTest, ReportsANameTheSystemCannotLookUp) {
  const QString tooLong = dir_.filePath(QString(300, 'x') + ".jpg");
  EXPECT_FALSE(loader_.loadFace2(box_, tooLong));
  EXPECT_EQ(messages_.texts, QStringList{"frmMain/loadFace2/File name too long: " + tooLong});
}

TEST_F(FacePictureLoaderTest, ReportsALetterOutsideTheAlphabet) {
  EXPECT_FALSE(loader_.loadFace(1, 26, box_));
  ASSERT_EQ(messages_.texts.size(), 1);
  EXPECT_EQ(messages_.texts[0], "frmMain/loadFace/Subscript out of range");
}

}  // namespace
