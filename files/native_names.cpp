#include "files/native_names.h"

namespace tavro {

namespace {

constexpr char16_t kFirstRawByte = 0xDC80;  // stands for byte 0x80
constexpr char16_t kLastRawByte = 0xDCFF;   // stands for byte 0xFF

// Length of the valid UTF-8 sequence at p (at most n bytes), 0 if none: no overlong forms, no
// surrogates, nothing beyond U+10FFFF.
int validSequenceLength(const unsigned char* p, qsizetype n) {
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  int length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;  // allowed range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;   // overlong
    if (c == 0xED) high = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;   // overlong
    if (c == 0xF4) high = 0x8F;  // beyond U+10FFFF
  } else {
    return 0;
  }
  if (n < length || p[1] < low || p[1] > high) return 0;
  for (int i = 2; i < length; ++i)
    if ((p[i] & 0xC0) != 0x80) return 0;  // not a continuation byte
  return length;
}

bool isRawByte(const QString& name, qsizetype i) {
  const char16_t c = name[i].unicode();
  // A low surrogate after a high one is half of a real character.
  return c >= kFirstRawByte && c <= kLastRawByte && (i == 0 || !name[i - 1].isHighSurrogate());
}

}  // namespace

QStringList nativeArguments(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << fromNativeName(QByteArray(argv[i]));
  return arguments;
}

QString fromNativeName(const QByteArray& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype n = bytes.size();
  QString name;
  qsizetype runStart = 0;  // start of the valid run not yet decoded
  for (qsizetype i = 0; i < n;) {
    const int length = validSequenceLength(p + i, n - i);
    if (length > 0) {
      i += length;
      continue;
    }
    name += QString::fromUtf8(bytes.constData() + runStart, i - runStart);
    name += QChar(static_cast<char16_t>(0xDC00 + p[i]));
    runStart = ++i;
  }
  return name + QString::fromUtf8(bytes.constData() + runStart, n - runStart);
}

QByteArray toNativeName(const QString& name) {
  QByteArray bytes;
  qsizetype runStart = 0;
  for (qsizetype i = 0; i < name.size(); ++i) {
    if (!isRawByte(name, i)) continue;
    bytes += QStringView(name).sliced(runStart, i - runStart).toUtf8();
    bytes += static_cast<char>(name[i].unicode() - 0xDC00);
    runStart = i + 1;
  }
  return bytes + QStringView(name).sliced(runStart).toUtf8();
}

QString displayName(const QString& name) {
  QString shown = name;
  for (qsizetype i = 0; i < shown.size(); ++i)
    if (isRawByte(name, i)) shown[i] = QChar::ReplacementCharacter;
  return shown;
}

QString fileStem(const QString& path) {
  const QString fileName = path.mid(path.lastIndexOf(u'/') + 1);
  const qsizetype dot = fileName.lastIndexOf(u'.');
  return dot > 0 ? fileName.left(dot) : fileName;
}

}  // namespace tavro
