// Speed of the capture control: snapshot time (target under 20 ms) and
// whether preview and recording keep up with the source's frame rate
// (target: no frame lost at 30 frames a second). Runs offscreen on whatever
// source the control picks (the test picture on a machine without camera).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <thread>

#include <QApplication>
#include <QTemporaryDir>
#include <opencv2/videoio.hpp>

#include "platform/capture/ez_vid_cap.h"

namespace {

using Clock = std::chrono::steady_clock;

QTemporaryDir& scratch() {
  static QTemporaryDir folder;
  return folder;
}

void runEventsFor(std::chrono::milliseconds duration) {
  const auto end = Clock::now() + duration;
  while (Clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

int framesIn(const QString& path) {
  cv::VideoCapture video(path.toStdString(), cv::CAP_OPENCV_MJPEG);
  int frames = 0;
  cv::Mat frame;
  while (video.read(frame)) ++frames;
  return frames;
}

void writeFrameFile(benchmark::State& state, const char* name) {
  tavro::ezVidCap control;
  const QString path = scratch().filePath(name);
  control.WriteFrameFile(path);  // opens the source and waits for its first frame
  for (auto _ : state) control.WriteFrameFile(path);
  state.SetLabel(control.statusText().toStdString());
}

void BM_WriteFrameFile_Jpeg(benchmark::State& state) { writeFrameFile(state, "snapshot.jpg"); }
void BM_WriteFrameFile_Bmp(benchmark::State& state) { writeFrameFile(state, "TavroTEST.BMP"); }

// Preview on and a recording running for state.range(0) seconds, as with
// "ON" then "Record ". Expected frames: the source's rate times the time the
// recording ran, plus the frame it starts with.
void BM_PreviewWhileRecording(benchmark::State& state) {
  const auto seconds = std::chrono::seconds(state.range(0));
  const QString path = scratch().filePath("recording.avi");
  for (auto _ : state) {
    tavro::ezVidCap control;
    control.resize(160, 120);
    control.show();
    control.setLiveView(true);
    runEventsFor(std::chrono::milliseconds(500));  // the source is open and running
    const std::uint64_t shownBefore = control.framesShown();

    control.setRecordFileName(path);
    const auto start = Clock::now();
    control.StartRecording();
    runEventsFor(seconds);
    control.StopRecording();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    const double expected = std::floor(elapsed * 30.0) + 1;
    state.counters["frames_expected"] = expected;
    state.counters["frames_recorded"] = framesIn(path);
    state.counters["frames_shown"] = double(control.framesShown() - shownBefore);
    state.SetLabel(control.statusText().toStdString());
  }
}

BENCHMARK(BM_WriteFrameFile_Jpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFrameFile_Bmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewWhileRecording)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
