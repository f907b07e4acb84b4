// The command lines of the three programs, run with no display at all:
// help and version never need one, and a bad command line is status 2.

#include <gtest/gtest.h>

#include "build_info.h"
#include "tool_run.h"

namespace {

using tavro::testing::runProgram;

TEST(CommandLine, HelpVersionAndRefusalsNeedNoDisplay) {
  QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) noDisplay.remove(name);
  noDisplay.insert("TAVRO_CAMERA", "front");  // not understood: refused only when --camera says it
  const QString version = QString::fromStdString(tavro::build::kVersion);
  const struct {
    const char* program;
    QStringList args;
    int status;
    QString out;  // what standard output starts with
    QString err;  // what standard error ends with
  } cases[] = {
      {TAVRO_CAM_PATH, {"--version"}, 0, "tavro-cam " + version + "\n", ""},
      {TAVRO_FACES_PATH, {"--version"}, 0, "tavro-faces " + version + "\n", ""},
      {TAVRO_EDGES_PATH, {"--version"}, 0, "tavro-edges " + version + "\n", ""},
      {TAVRO_CAM_PATH, {"--help"}, 0, "Usage: tavro-cam [options]\n", ""},
      {TAVRO_CAM_PATH, {"--help-all"}, 2, "", "tavro-cam: Unknown option 'help-all' (see --help)\n"},
      {TAVRO_CAM_PATH, {"--faces"}, 2, "", "tavro-cam: Missing value after '--faces' (see --help)\n"},
      {TAVRO_CAM_PATH,
       {"--faces", TAVRO_CAM_PATH},
       2,
       "",
       QStringLiteral("tavro-cam: --faces %1: not a folder (see --help)\n").arg(TAVRO_CAM_PATH)},
      {TAVRO_CAM_PATH,
       {"--camera", "front"},
       2,
       "",
       "tavro-cam: --camera takes test, a camera number N or /dev/videoN, not 'front' (see --help)\n"},
      {TAVRO_CAM_PATH, {"--camera", "test", "extra"}, 2, "", "tavro-cam: unexpected argument 'extra' (see --help)\n"},
  };
  for (const auto& [program, args, status, out, err] : cases) {
    const auto run = runProgram(program, args, noDisplay);
    const std::string line = std::string(program) + " " + args.join(' ').toStdString();
    EXPECT_EQ(run.status, status) << line;
    EXPECT_EQ(run.out.left(out.size()), out) << line;
    EXPECT_EQ(run.out.isEmpty(), out.isEmpty()) << line;
    EXPECT_TRUE(run.err.toStdString().ends_with(err.toStdString())) << line << ": " << run.err.toStdString();
  }
  // The help lists what it accepts, and nothing it refuses.
  const QString help = runProgram(TAVRO_CAM_PATH, {"--help"}, noDisplay).out;
  for (const char* option : {"--help", "--version", "--faces <DIR>", "--camera <SOURCE>", "--find-face"})
    EXPECT_TRUE(help.contains(option)) << option;
}

TEST(CommandLine, AFailedWriteToStandardOutputIsStatusOneWithTheReason) {
  QProcess program;
  program.setStandardOutputFile("/dev/full");
  program.start(TAVRO_CAM_PATH, {"--version"});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 1);
  EXPECT_EQ(program.readAllStandardError(), "tavro-cam: cannot write to standard output: No space left on device\n");
}

}  // namespace
