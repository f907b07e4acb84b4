// What pictures that claim far more pixels than their files hold cost:
// a training run over 40 face files that each claim 16384 x 4096 (under
// 2 s), the peak memory of tavro-faces on such a probe (under 160 MB), and
// the peak memory of tavro-edges on the largest pictures the loader accepts
// (under 400 MB). Peak memory is the kernel's count for the whole process.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/recognition_session.h"
#include "platform/picture/message_box.h"

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

// The pictures, made once. Whole 16384 x 4096 JPEG files (about 64 Mpixels,
// the most the loader accepts), baseline and progressive; small files that
// only claim that size; a BMP of 8192 x 8192, which Qt decodes in colour.
struct Pictures {
  Pictures() {
    const QImage wide = facePicture(QSize(16384, 4096));
    save(wide, wideJpeg, "JPEG");
    save(wide, wideProgressiveJpeg, "JPEG", true);
    writeClaimingFile(claimingJpeg, false);
    writeClaimingFile(claimingProgressiveJpeg, true);
    save(facePicture(QSize(8192, 8192)), squareBmp, "BMP");
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
  QString squareBmp = dir.filePath("square.bmp");
};

// Forty face files, each a copy of `picture`, face0a a copy of `first`.
void writeFaceFolder(const QString& folder, const QString& picture, const QString& first) {
  for (char letter : {'a', 'b'})
    for (int number = 0; number < 20; ++number) {
      const bool isFirst = letter == 'a' && number == 0;
      QFile::copy(isFirst ? first : picture, Pictures::faceFile(folder, number, letter));
    }
}

// Case 0: whole baseline files; 1: the same with a whole progressive face0a;
// 2: small files claiming the size, face0a progressive.
void TrainingRunOverFortyFaceFilesClaiming16384x4096(benchmark::State& state) {
  const Pictures& pictures = Pictures::get();
  QTemporaryDir folder;
  const bool claiming = state.range(0) == 2;
  const QString picture = claiming ? pictures.claimingJpeg : pictures.wideJpeg;
  const QString first = state.range(0) == 0 ? picture
                        : claiming          ? pictures.claimingProgressiveJpeg
                                            : pictures.wideProgressiveJpeg;
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
BENCHMARK(TrainingRunOverFortyFaceFilesClaiming16384x4096)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

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
// file; 3: small claiming progressive file.
void TavroFacesPeakMemoryOnAProbeClaiming16384x4096(benchmark::State& state) {
  const Pictures& pictures = Pictures::get();
  const QString probes[] = {pictures.wideJpeg, pictures.wideProgressiveJpeg, pictures.claimingJpeg,
                            pictures.claimingProgressiveJpeg};
  reportPeak(state, QStringLiteral(TAVRO_FACES_PATH), {"--faces", pictures.ordinaryFaces.path(), probes[state.range(0)]});
}
BENCHMARK(TavroFacesPeakMemoryOnAProbeClaiming16384x4096)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Case 0: the 16384 x 4096 JPEG, decoded straight to grey; 1: the
// 8192 x 8192 BMP, which Qt decodes in colour before it turns grey.
void TavroEdgesPeakMemoryOnTheLargestPicture(benchmark::State& state) {
  const Pictures& pictures = Pictures::get();
  QTemporaryDir out;
  const QString picture = state.range(0) == 0 ? pictures.wideJpeg : pictures.squareBmp;
  reportPeak(state, QStringLiteral(TAVRO_EDGES_PATH), {picture, "--out", out.path()});
}
BENCHMARK(TavroEdgesPeakMemoryOnTheLargestPicture)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

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
