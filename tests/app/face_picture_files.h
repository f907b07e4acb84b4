#pragma once
// Generated face files for the tests: each face number a white square on
// black at its own place, the "b" picture shifted by two pixels, so every
// face is told apart from every other by the 25 x 25 sampling.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <cstdint>

#include "widgets/message_box.h"

namespace tavro::testing {

inline QImage facePicture(int number, int letterIndex) {
  QImage picture(100, 100, QImage::Format_RGB32);
  picture.fill(Qt::black);
  const int shift = 2 * letterIndex;
  const int left = (number % 5) * 20 + shift;
  const int top = (number / 5) * 25 + shift;
  for (int y = top; y < top + 18 && y < 100; ++y)
    for (int x = left; x < left + 18 && x < 100; ++x) picture.setPixelColor(x, y, Qt::white);
  return picture;
}

inline QString faceFileName(const QString& directory, int number, char letter) {
  return QDir(directory).filePath(QStringLiteral("face%1%2.jpg").arg(number).arg(QChar(letter)));
}

// Writes the face file of a number and letter, JPEG content unless told.
inline bool writeFaceFile(const QString& directory, int number, char letter, const char* format = "JPEG") {
  return facePicture(number, letter - 'a').save(faceFileName(directory, number, letter), format);
}

// face0a .. face19a and face0b .. face19b.
inline bool writeAllFaceFiles(const QString& directory) {
  for (char letter : {'a', 'b'})
    for (int number = 0; number < 20; ++number)
      if (!writeFaceFile(directory, number, letter)) return false;
  return true;
}

inline bool writeText(const QString& path, const QByteArray& text) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  return file.write(text) == text.size();
}

// Keeps every text shown instead of showing it.
class RecordingMessageBox : public MessageBox {
 public:
  void show(const QString& text) override { texts.append(text); }
  QStringList texts;
};

// The pixels of a picture as a box shows them: the part inside its area.
inline bool showsPicture(const QImage& shown, const QImage& picture) {
  for (int y = 0; y < picture.height() && y < shown.height(); ++y)
    for (int x = 0; x < picture.width() && x < shown.width(); ++x)
      if (shown.pixel(x, y) != picture.pixel(x, y)) return false;
  return true;
}

}  // namespace tavro::testing
