// tavro-faces speed target: a training run over 40 face files plus 1,000
// probe pictures of 100 x 100 pixels, in under 2 s in all. Measured twice:
// the whole program started as a process, and its workings in-process.

#include <benchmark/benchmark.h>

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "probe_identification.h"
#include "widgets/message_box.h"

namespace {

constexpr int kProbes = 1000;

class QuietMessageBox : public tavro::MessageBox {
 public:
  void show(const QString&) override {}
};

// A 100 x 100 grey pattern of its own for each seed.
QImage patternPicture(int seed) {
  QImage picture(100, 100, QImage::Format_RGB32);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      const int grey = (x * (7 + seed % 5) + y * 13 + seed * 31) % 256;
      picture.setPixelColor(x, y, QColor(grey, grey, grey));
    }
  return picture;
}

// face0a .. face19b, and kProbes JPEG probes under probes/.
struct FaceFolder {
  FaceFolder() {
    for (int letter = 0; letter < 2; ++letter)
      for (int number = 0; number < 20; ++number)
        patternPicture(number * 2 + letter)
            .save(dir.filePath(QStringLiteral("face%1%2.jpg").arg(number).arg(QChar(u'a' + letter))), "JPEG");
    QDir(dir.path()).mkdir(QStringLiteral("probes"));
    for (int i = 0; i < kProbes; ++i) {
      const QString path = dir.filePath(QStringLiteral("probes/probe%1.jpg").arg(i));
      patternPicture(i).save(path, "JPEG");
      probes.append(path);
    }
  }
  QTemporaryDir dir;
  QStringList probes;
};

void TavroFacesProgramFortyFacesThousandProbes(benchmark::State& state) {
  const FaceFolder folder;
  for (auto _ : state) {
    QProcess tool;
    tool.start(QStringLiteral(TAVRO_FACES_PATH), QStringList{"--faces", folder.dir.path()} + folder.probes);
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) {
      state.SkipWithError("tavro-faces failed");
      break;
    }
    benchmark::DoNotOptimize(tool.readAllStandardOutput());
  }
}
BENCHMARK(TavroFacesProgramFortyFacesThousandProbes)->Unit(benchmark::kMillisecond)->UseRealTime();

void TrainingAndThousandProbesInProcess(benchmark::State& state) {
  const FaceFolder folder;
  QuietMessageBox messages;
  for (auto _ : state) {
    tavro::faces_tool::ProbeIdentification identification(folder.dir.path(), messages);
    identification.train(1);
    for (const QString& probe : folder.probes) {
      const tavro::faces_tool::ProbeAnswer answer = identification.identify(probe);
      benchmark::DoNotOptimize(answer.faceNumber);
    }
  }
}
BENCHMARK(TrainingAndThousandProbesInProcess)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
