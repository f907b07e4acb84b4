// Finding faces: in a 320 x 243 photo (under 10 ms) and a 640 x 480 camera
// frame (under 20 ms), and a training run over 40 face files of such photos
// with faces found (under 0.5 s). Wall time: OpenCV searches on its threads.
// The photos come from the development set of faces beside the project.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "app/recognition_session.h"
#include "finding/face_finder.h"

namespace {

class QuietMessageBox : public tavro::MessageBox {
 public:
  void show(const QString&) override {}
};

const QString kFacesDev = QStringLiteral(TAVRO_FACES_DEV);

// A person's photo in front of a plain wall, at `scale`, its face near the middle.
QImage photo(int person, int shot, QSize size, double scale) {
  const QImage face(QStringLiteral("%1/p%2/%3.jpg").arg(kFacesDev).arg(person, 2, 10, QChar('0')).arg(shot, 2, 10, QChar('0')));
  QImage picture(size, QImage::Format_RGB32);
  picture.fill(QColor(150, 146, 140));
  if (face.isNull()) return {};
  const QImage scaled = face.scaled(face.size() * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QPainter(&picture).drawImage((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2, scaled);
  return picture;
}

void find(benchmark::State& state, QSize size, double scale) {
  const QImage picture = photo(0, 1, size, scale);
  if (picture.isNull()) return state.SkipWithError("no development faces beside the project");
  tavro::FaceFinder finder;
  for (auto _ : state) {
    const std::optional<QRect> square = finder.faceSquare(picture);
    if (!square) return state.SkipWithError("no face found");
    benchmark::DoNotOptimize(square);
  }
}

void FindFaceIn320x243Photo(benchmark::State& state) { find(state, {320, 243}, 1.0); }
void FindFaceIn640x480Frame(benchmark::State& state) { find(state, {640, 480}, 2.0); }
BENCHMARK(FindFaceIn320x243Photo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FindFaceIn640x480Frame)->Unit(benchmark::kMillisecond)->UseRealTime();

void TrainingRunWithFacesFound(benchmark::State& state) {
  QTemporaryDir dir;
  for (int number = 0; number < 20; ++number)
    for (int letter = 0; letter < 2; ++letter) {
      const QImage picture = photo(number % 18, 1 + letter + 2 * (number / 18), {320, 243}, 1.0);
      if (picture.isNull()) return state.SkipWithError("no development faces beside the project");
      picture.save(QDir(dir.path()).filePath(QStringLiteral("face%1%2.jpg").arg(number).arg(QChar('a' + letter))));
    }
  QuietMessageBox messages;
  tavro::FaceFinder finder;
  for (auto _ : state) {
    tavro::PictureBoxModel pic0 = tavro::PictureBoxModel::faceBox();
    tavro::PictureBoxModel pic1 = tavro::PictureBoxModel::faceBox();
    tavro::RecognitionSession session(dir.path(), messages, pic0, pic1);
    session.loader().setFaceFinder(&finder);
    const tavro::TrainingRun run = session.trainDatabase();
    benchmark::DoNotOptimize(run.storedFaces);
  }
}
BENCHMARK(TrainingRunWithFacesFound)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication::setAttribute(Qt::AA_Use96Dpi);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
