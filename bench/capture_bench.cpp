// Speed of the capture control: snapshot time, JPEG, BMP and PNG (target
// under 20 ms) and
// whether preview and recording keep up with the source's frame rate
// (target: no frame lost at 30 frames a second), and whether the file plays
// as long as the recording ran, also from a camera slower than it claims.
// Runs offscreen on whatever source the control picks (the test picture on a
// machine without camera).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <thread>

#include <QApplication>
#include <QTemporaryDir>
#include <opencv2/videoio.hpp>

#include "capture/ez_vid_cap.h"
#include "capture/source_choice.h"

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

struct Played {
  int frames = 0;
  double framesPerSecond = 0;
};

Played playBack(const QString& path) {
  cv::VideoCapture video(path.toStdString(), cv::CAP_OPENCV_MJPEG);
  Played played{0, video.get(cv::CAP_PROP_FPS)};
  cv::Mat frame;
  while (video.read(frame)) ++played.frames;
  return played;
}

// A camera that claims 30 frames a second and delivers 12.5.
class SlowCamera : public tavro::TestPictureSource {
 public:
  SlowCamera() : TestPictureSource(tavro::kControlPictureSize, 12.5) {}
  double framesPerSecond() const override { return 30.0; }
};

void writeFrameFile(benchmark::State& state, const char* name) {
  tavro::ezVidCap control;
  const QString path = scratch().filePath(name);
  control.WriteFrameFile(path);  // opens the source and waits for its first frame
  for (auto _ : state) control.WriteFrameFile(path);
  state.SetLabel(control.statusText().toStdString());
}

void BM_WriteFrameFile_Jpeg(benchmark::State& state) { writeFrameFile(state, "snapshot.jpg"); }
void BM_WriteFrameFile_Bmp(benchmark::State& state) { writeFrameFile(state, "TavroTEST.BMP"); }
void BM_WriteFrameFile_Png(benchmark::State& state) { writeFrameFile(state, "snapshot.png"); }

// Preview on and a recording running for state.range(0) seconds, as with
// "ON" then "Record ". Expected frames: the source's rate times the time the
// recording ran, plus the frame it starts with.
void previewWhileRecording(benchmark::State& state, tavro::ezVidCap& control, double deliveredRate) {
  const auto seconds = std::chrono::seconds(state.range(0));
  const QString path = scratch().filePath("recording.avi");
  QString notice;
  QObject::connect(&control, &tavro::ezVidCap::recordingNotice, [&](const QString& text) { notice = text; });
  tavro::RecordingSummary saved;
  QObject::connect(&control, &tavro::ezVidCap::recordingSaved, [&](const tavro::RecordingSummary& s) { saved = s; });
  for (auto _ : state) {
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
    while (control.isFinishingRecording()) runEventsFor(std::chrono::milliseconds(10));
    runEventsFor(std::chrono::milliseconds(50));  // the outcome's signals

    const Played played = playBack(path);
    state.counters["frames_expected"] = std::floor(elapsed * deliveredRate) + 1;
    state.counters["frames_recorded"] = played.frames;
    state.counters["frames_dropped"] = double(saved.framesDropped);
    state.counters["frames_shown"] = double(control.framesShown() - shownBefore);
    state.counters["file_fps"] = played.framesPerSecond;
    state.counters["seconds_recorded"] = elapsed;
    state.counters["seconds_played"] = played.frames / played.framesPerSecond;
    state.SetLabel((control.statusText() + (notice.isEmpty() ? "" : "; " + notice)).toStdString());
  }
}

void BM_PreviewWhileRecording(benchmark::State& state) {
  tavro::ezVidCap control;
  previewWhileRecording(state, control, 30.0);
}

void BM_PreviewWhileRecordingSlowCamera(benchmark::State& state) {
  tavro::ezVidCap control([] { return tavro::SourceChoice{std::make_unique<SlowCamera>(), {}}; });
  previewWhileRecording(state, control, 12.5);
}

BENCHMARK(BM_WriteFrameFile_Jpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFrameFile_Bmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFrameFile_Png)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewWhileRecording)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PreviewWhileRecordingSlowCamera)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

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
