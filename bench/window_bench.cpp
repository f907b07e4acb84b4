// The window's two speed targets: a training run over 40 face files of
// 100 x 100 JPEG pictures, end to end (under 100 ms), and opening the
// window (under 1 s).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>

#include "app/recognition_session.h"
#include "app/tavro_recog.h"
#include "widgets/message_box.h"

namespace {

class QuietMessageBox : public tavro::MessageBox {
 public:
  void show(const QString&) override {}
};

// Forty face files of noise-like grey patterns, each different.
void writeFaceFiles(const QString& directory) {
  for (char letter : {'a', 'b'}) {
    for (int number = 0; number < 20; ++number) {
      QImage face(100, 100, QImage::Format_RGB32);
      for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
          const int grey = (x * 7 + y * 13 + number * 31 + letter * 17) % 256;
          face.setPixelColor(x, y, QColor(grey, grey, grey));
        }
      face.save(QDir(directory).filePath(QStringLiteral("face%1%2.jpg").arg(number).arg(QChar(letter))), "JPEG");
    }
  }
}

void TrainingRunOverFortyJpegFaceFiles(benchmark::State& state) {
  QTemporaryDir dir;
  writeFaceFiles(dir.path());
  QuietMessageBox messages;
  for (auto _ : state) {
    // A fresh database each time, as a first "Train Database" click.
    tavro::PictureBoxModel pic0 = tavro::PictureBoxModel::faceBox();
    tavro::PictureBoxModel pic1 = tavro::PictureBoxModel::faceBox();
    tavro::RecognitionSession session(dir.path(), messages, pic0, pic1);
    session.trainDatabase();
    benchmark::DoNotOptimize(session.faceCount());
  }
}
BENCHMARK(TrainingRunOverFortyJpegFaceFiles)->Unit(benchmark::kMillisecond);

void OpeningTheWindow(benchmark::State& state) {
  QTemporaryDir dir;
  QuietMessageBox messages;
  for (auto _ : state) {
    tavro::TAVRO_RECOG window(dir.path(), messages);
    window.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(window.isVisible());
  }
}
BENCHMARK(OpeningTheWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Offscreen and with the built-in test picture unless told otherwise.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("TAVRO_CAMERA", "test", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
