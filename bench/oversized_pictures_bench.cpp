// What pictures that claim far more pixels than their files hold cost:
// a training run over 40 face files that each claim 16384 x 4096 (under
// 2 s), the peak memory of tavro-faces on such a probe (under 160 MB), and
// the peak memory of tavro-edges on the largest pictures the loader accepts
// (under 400 MB). Peak memory is the kernel's count for the whole process.
// JPEG, PNG, GIF and run-length BMP files alike; and pictures that hold
// every pixel they claim, the largest accepted: 8192 x 8192 uncompressed
// BMP, ASCII PGM and binary PPM files, and a 16384 x 4096 JPEG turned
// upright by its EXIF orientation, whose corner lies in its last rows.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <gif_lib.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColor>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/recognition_session.h"
#include "widgets/message_box.h"

namespace {

class QuietMessageBox : public tavro::MessageBox {
 public:
  void show(const QString&) override {}
};

// A face-like picture: a light oval on a dark ground, with some shading.
QImage facePicture(QSize size) {
  QImage picture(size, QImage::Format_RGB32);
  picture.fill(QColor(40, 40, 50));
  QPainter painter(&picture);
  painter.setBrush(QColor(200, 170, 150));
  painter.drawEllipse(QRect(QPoint(size.width() / 4, size.height() / 8), size / 2));
  painter.fillRect(QRect(0, 0, size.width() / 3, size.height() / 5), QColor(90, 120, 160));
  return picture;
}

void save(const QImage& picture, const QString& path, const char* format, bool progressive = false) {
  QImageWriter writer(path, format);
  writer.setProgressiveScanWrite(progressive);
  if (!writer.write(picture)) qFatal("cannot write %s", qPrintable(path));
}

QByteArray readAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
  return file.readAll();
}

// A small JPEG whose frame header claims 16384 x 4096: a few hundred bytes.
void writeClaimingFile(const QString& path, bool progressive) {
  const QString small = path + ".small";
  save(facePicture(QSize(48, 48)), small, "JPEG", progressive);
  QByteArray jpeg = readAll(small);
  const qsizetype frame = std::max(jpeg.indexOf("\xFF\xC0"), jpeg.indexOf("\xFF\xC2"));
  jpeg.replace(frame + 5, 4, QByteArray("\x10\x00\x40\x00", 4));  // height 4096, width 16384
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size()) qFatal("cannot write %s", qPrintable(path));
}

// The claimed picture, a row at a time: a face in its top-left 100 x 100
// pixels, the rest the face picture's flat ground.
constexpr int kClaimedWidth = 16384;
constexpr int kClaimedHeight = 4096;

const std::vector<QRgb>& claimedRow(int y) {
  static const std::vector<std::vector<QRgb>> rows = [] {
    const QImage face = facePicture(QSize(100, 100));
    std::vector<std::vector<QRgb>> made(101, std::vector<QRgb>(kClaimedWidth, face.pixel(99, 99)));
    for (int row = 0; row < 100; ++row)
      for (int x = 0; x < 100; ++x) made[row][x] = face.pixel(x, row);
    return made;
  }();
  return rows[std::min(y, 100)];
}

// Rows in the order an interlaced picture stores them: Adam7 passes for
// PNG (libpng picks each pass's pixels from whole rows), four for GIF.
std::vector<int> rowOrder(bool interlaced, bool gif) {
  std::vector<int> rows;
  const int passes = interlaced ? (gif ? 4 : 7) : 1;
  static constexpr int kGifStart[] = {0, 4, 2, 1}, kGifStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < passes; ++pass)
    for (int y = gif && interlaced ? kGifStart[pass] : 0; y < kClaimedHeight; y += gif && interlaced ? kGifStep[pass] : 1)
      rows.push_back(y);
  return rows;
}

// A PNG claiming 16384 x 4096 (RGB, or grey), a few hundred kilobytes.
void writeClaimingPng(const QString& path, bool grey, bool interlaced) {
  FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (file == nullptr || info == nullptr || setjmp(png_jmpbuf(png)) != 0) qFatal("cannot write %s", qPrintable(path));
  png_init_io(png, file);
  png_set_IHDR(png, info, kClaimedWidth, kClaimedHeight, 8, grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_interlace_handling(png);
  const int channels = grey ? 1 : 3;
  std::vector<png_byte> row(static_cast<std::size_t>(kClaimedWidth * channels));
  for (const int y : rowOrder(interlaced, false)) {
    for (int x = 0; x < kClaimedWidth; ++x) {
      const QRgb pixel = claimedRow(y)[x];
      const int samples[] = {grey ? qGray(pixel) : qRed(pixel), qGreen(pixel), qBlue(pixel)};
      std::copy(samples, samples + channels, row.begin() + x * channels);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) qFatal("cannot write %s", qPrintable(path));
}

// A GIF claiming 16384 x 4096, its palette the 256 greys.
void writeClaimingGif(const QString& path, bool interlaced) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
  std::vector<GifColorType> greys(256);
  for (int level = 0; level < 256; ++level) greys[level] = {GifByteType(level), GifByteType(level), GifByteType(level)};
  ColorMapObject* palette = GifMakeMapObject(256, greys.data());
  if (gif == nullptr || EGifPutScreenDesc(gif, kClaimedWidth, kClaimedHeight, 8, 0, palette) == GIF_ERROR ||
      EGifPutImageDesc(gif, 0, 0, kClaimedWidth, kClaimedHeight, interlaced, nullptr) == GIF_ERROR)
    qFatal("cannot write %s", qPrintable(path));
  std::vector<GifPixelType> row(kClaimedWidth);
  for (const int y : rowOrder(interlaced, true)) {
    for (int x = 0; x < kClaimedWidth; ++x) row[x] = static_cast<GifPixelType>(qGray(claimedRow(y)[x]));
    if (EGifPutLine(gif, row.data(), kClaimedWidth) == GIF_ERROR) qFatal("cannot write %s", qPrintable(path));
  }
  GifFreeMapObject(palette);
  if (EGifCloseFile(gif, &error) == GIF_ERROR) qFatal("cannot write %s", qPrintable(path));
}

// An ASCII PGM (P2) of the picture's green levels, a row to a line.
void writeAsciiPgm(const QImage& picture, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
  file.write(QStringLiteral("P2\n%1 %2\n255\n").arg(picture.width()).arg(picture.height()).toLatin1());
  QByteArray line;
  for (int y = 0; y < picture.height(); ++y) {
    line.clear();
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    for (int x = 0; x < picture.width(); ++x) line.append(QByteArray::number(qGreen(row[x]))).append(' ');
    line.back() = '\n';
    if (file.write(line) != line.size()) qFatal("cannot write %s", qPrintable(path));
  }
}

// The JPEG with an EXIF block saying its picture stands upright once turned
// 90 degrees clockwise (orientation 6), as a phone writes it.
void writeTurnedJpeg(const QString& from, const QString& path) {
  static const char exif[] = "\xFF\xE1\x00\x22" "Exif\0\0" "II*\0\x08\0\0\0" "\x01\0"
                             "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0" "\0\0\0\0";
  const QByteArray jpeg = readAll(from);
  const QByteArray turned = jpeg.left(2) + QByteArray(exif, sizeof exif - 1) + jpeg.mid(2);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(turned) != turned.size()) qFatal("cannot write %s", qPrintable(path));
}

// A run-length (RLE8) BMP claiming 16384 x 4096 in greys, every pixel in a
// run: about 550 KB.
void writeClaimingRunLengthBmp(const QString& path) {
  QByteArray runs;
  for (int y = kClaimedHeight - 1; y >= 0; --y) {  // bottom row first
    const std::vector<QRgb>& row = claimedRow(y);
    for (int x = 0, count = 1; x < kClaimedWidth; x += count) {
      for (count = 1; count < 255 && x + count < kClaimedWidth && row[x + count] == row[x];) ++count;
      const int level = qGray(row[x]);
      runs.append(char(count)).append(char(level));
    }
    runs.append(2, '\0');  // end of the row
  }
  runs.append("\0\1", 2);  // end of the picture
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  const quint32 dataAt = 14 + 40 + 4 * 256;
  out.writeRawData("BM", 2);
  out << quint32(dataAt + runs.size()) << quint32(0) << dataAt << quint32(40) << qint32(kClaimedWidth)
      << qint32(kClaimedHeight) << quint16(1) << quint16(8) << quint32(1) << quint32(runs.size()) << qint32(2835)
      << qint32(2835) << quint32(256) << quint32(0);
  for (int level = 0; level < 256; ++level) out << quint8(level) << quint8(level) << quint8(level) << quint8(0);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes + runs) != bytes.size() + runs.size())
    qFatal("cannot write %s", qPrintable(path));
}

// The pictures, made once. Whole 16384 x 4096 JPEG files (about 64 Mpixels,
// the most the loader accepts), baseline and progressive; small files that
// only claim that size, in every format a box's corner is decoded from; a
// BMP of 8192 x 8192, which Qt decodes in colour.
struct Pictures {
  Pictures() {
    const QImage wide = facePicture(QSize(16384, 4096));
    save(wide, wideJpeg, "JPEG");
    save(wide, wideProgressiveJpeg, "JPEG", true);
    writeClaimingFile(claimingJpeg, false);
    writeClaimingFile(claimingProgressiveJpeg, true);
    writeClaimingPng(claimingPng, false, false);
    writeClaimingPng(claimingGreyPng, true, false);
    writeClaimingPng(claimingInterlacedPng, false, true);
    writeClaimingGif(claimingGif, false);
    writeClaimingGif(claimingInterlacedGif, true);
    writeClaimingRunLengthBmp(claimingRunLengthBmp);
    const QImage square = facePicture(QSize(8192, 8192));
    save(square, squareBmp, "BMP");
    save(square, squarePpm, "PPM");
    writeAsciiPgm(square, squareAsciiPgm);
    writeTurnedJpeg(wideJpeg, turnedJpeg);
    for (char letter : {'a', 'b'})
      for (int number = 0; number < 20; ++number)
        save(facePicture(QSize(100, 100)), faceFile(ordinaryFaces.path(), number, letter), "JPEG");
  }
  static QString faceFile(const QString& folder, int number, char letter) {
    return QDir(folder).filePath(QStringLiteral("face%1%2.jpg").arg(number).arg(QChar(letter)));
  }
  static const Pictures& get() {
    static const Pictures pictures;
    return pictures;
  }
  QTemporaryDir dir;
  QTemporaryDir ordinaryFaces;
  QString wideJpeg = dir.filePath("wide.jpg");
  QString wideProgressiveJpeg = dir.filePath("wide-progressive.jpg");
  QString claimingJpeg = dir.filePath("claiming.jpg");
  QString claimingProgressiveJpeg = dir.filePath("claiming-progressive.jpg");
  QString claimingPng = dir.filePath("claiming.png");
  QString claimingGreyPng = dir.filePath("claiming-grey.png");
  QString claimingInterlacedPng = dir.filePath("claiming-interlaced.png");
  QString claimingGif = dir.filePath("claiming.gif");
  QString claimingInterlacedGif = dir.filePath("claiming-interlaced.gif");
  QString claimingRunLengthBmp = dir.filePath("claiming-rle.bmp");
  QString squareBmp = dir.filePath("square.bmp");
  QString squarePpm = dir.filePath("square.ppm");
  QString squareAsciiPgm = dir.filePath("square-ascii.pgm");
  QString turnedJpeg = dir.filePath("wide-turned.jpg");
};

// Forty face files, each `picture` (a hard link: some are 235 MB), face0a `first`.
void writeFaceFolder(const QString& folder, const QString& picture, const QString& first) {
  for (char letter : {'a', 'b'})
    for (int number = 0; number < 20; ++number) {
      const bool isFirst = letter == 'a' && number == 0;
      const QString face = Pictures::faceFile(folder, number, letter);
      if (::link(QFile::encodeName(isFirst ? first : picture).constData(), QFile::encodeName(face).constData()) != 0)
        qFatal("cannot link %s", qPrintable(face));
    }
}

// Case 0: whole baseline files; 1: the same with a whole progressive face0a;
// 2: small JPEG files claiming the size, face0a progressive; 3: small RGB
// PNG files, face0a grey; 4: small GIF files; 5: small run-length BMPs;
// 6: 8192 x 8192 BMP files; 7: 8192 x 8192 ASCII PGM files; 8: 8192 x 8192
// binary PPM files; 9: whole 16384 x 4096 JPEG files turned by EXIF.
void TrainingRunOverFortyFaceFilesClaiming16384x4096(benchmark::State& state) {
  const Pictures& p = Pictures::get();
  const std::pair<QString, QString> files[] = {
      {p.wideJpeg, p.wideJpeg},     {p.wideJpeg, p.wideProgressiveJpeg}, {p.claimingJpeg, p.claimingProgressiveJpeg},
      {p.claimingPng, p.claimingGreyPng}, {p.claimingGif, p.claimingGif},       {p.claimingRunLengthBmp, p.claimingRunLengthBmp},
      {p.squareBmp, p.squareBmp},   {p.squareAsciiPgm, p.squareAsciiPgm}, {p.squarePpm, p.squarePpm},
      {p.turnedJpeg, p.turnedJpeg}};
  const auto& [picture, first] = files[state.range(0)];
  QTemporaryDir folder;
  writeFaceFolder(folder.path(), picture, first);
  QuietMessageBox messages;
  for (auto _ : state) {
    tavro::PictureBoxModel pic0 = tavro::PictureBoxModel::faceBox();
    tavro::PictureBoxModel pic1 = tavro::PictureBoxModel::faceBox();
    tavro::RecognitionSession session(folder.path(), messages, pic0, pic1);
    session.trainDatabase();
    benchmark::DoNotOptimize(session.faceCount());
  }
}
BENCHMARK(TrainingRunOverFortyFaceFilesClaiming16384x4096)->DenseRange(0, 9)->Unit(benchmark::kMillisecond);

// Runs a command to its end, its output thrown away, and prints the largest
// resident memory it had, in kilobytes. The kernel counts a child's peak from
// the memory its parent held when it forked, so the measuring is done by a
// fresh copy of this program, small when it forks: see main.
int printPeakOf(char** command) {
  const pid_t child = fork();
  if (child == 0) {
    const int nowhere = open("/dev/null", O_WRONLY);
    dup2(nowhere, 1);
    dup2(nowhere, 2);
    execv(command[0], command);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 127)
    return 1;
  return std::printf("%ld\n", usage.ru_maxrss) > 0 ? 0 : 1;
}

double peakMegabytes(const QString& program, const QStringList& arguments) {
  QProcess measurer;
  measurer.start(QCoreApplication::applicationFilePath(), QStringList{"--peak-of", program} + arguments);
  if (!measurer.waitForFinished(120000) || measurer.exitStatus() != QProcess::NormalExit || measurer.exitCode() != 0)
    return -1.0;
  return measurer.readAllStandardOutput().trimmed().toDouble() / 1024.0;
}

void reportPeak(benchmark::State& state, const QString& program, const QStringList& arguments) {
  double peak = 0.0;
  for (auto _ : state) {
    peak = peakMegabytes(program, arguments);
    if (peak < 0.0) state.SkipWithError("the program did not run to its end");
  }
  state.counters["peak_MB"] = peak;
}

// Case 0: the whole baseline file; 1: whole progressive; 2: small claiming
// file; 3: small claiming progressive file; 4: small RGB PNG; 5: small
// interlaced PNG; 6: small GIF; 7: small interlaced GIF; 8: small
// run-length BMP; 9: 8192 x 8192 BMP; 10: 8192 x 8192 ASCII PGM; 11:
// 8192 x 8192 binary PPM; 12: 16384 x 4096 JPEG turned by EXIF.
void TavroFacesPeakMemoryOnAProbeClaiming16384x4096(benchmark::State& state) {
  const Pictures& p = Pictures::get();
  const QString probes[] = {p.wideJpeg,    p.wideProgressiveJpeg,   p.claimingJpeg,
                            p.claimingProgressiveJpeg, p.claimingPng, p.claimingInterlacedPng,
                            p.claimingGif, p.claimingInterlacedGif, p.claimingRunLengthBmp,
                            p.squareBmp,   p.squareAsciiPgm,        p.squarePpm,
                            p.turnedJpeg};
  reportPeak(state, QStringLiteral(TAVRO_FACES_PATH), {"--faces", p.ordinaryFaces.path(), probes[state.range(0)]});
  state.counters["file_KB"] = static_cast<double>(QFileInfo(probes[state.range(0)]).size()) / 1024.0;
}
BENCHMARK(TavroFacesPeakMemoryOnAProbeClaiming16384x4096)->DenseRange(0, 12)->Unit(benchmark::kMillisecond)->UseRealTime();

// Case 0: the 16384 x 4096 JPEG; 1: the 8192 x 8192 BMP; 2: the 8192 x
// 8192 ASCII PGM; 3: the 16384 x 4096 JPEG turned by EXIF.
void TavroEdgesPeakMemoryOnTheLargestPicture(benchmark::State& state) {
  const Pictures& p = Pictures::get();
  QTemporaryDir out;
  const QString pictures[] = {p.wideJpeg, p.squareBmp, p.squareAsciiPgm, p.turnedJpeg};
  reportPeak(state, QStringLiteral(TAVRO_EDGES_PATH), {pictures[state.range(0)], "--out", out.path()});
}
BENCHMARK(TavroEdgesPeakMemoryOnTheLargestPicture)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "--peak-of") == 0) return printPeakOf(argv + 2);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
