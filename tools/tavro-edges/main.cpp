// tavro-edges PICTURE... [--grid WxH] [--out DIR]: shows what the edge
// toolkit sees in pictures, as PNG files.

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <csignal>
#include <exception>

#include "build_info.h"
#include "edge_views.h"
#include "files/entries.h"
#include "files/file_set.h"
#include "files/native_names.h"
#include "grid_option.h"
#include "platform/errors.h"
#include "platform/standard_output.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

int fail(const QString& message, int status) {
  QTextStream(stderr) << "tavro-edges: " << message << "\n";
  return status;
}

// Standard output that cannot be written is a failure too.
int print(const QByteArray& text) {
  try {
    tavro::writeStandardOutput(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  } catch (const tavro::Error& e) {
    return fail(QString::fromStdString(e.what()), kFailed);
  }
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Past a file-size limit a write fails with a reason instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  tavro::removeTemporariesOnInterrupt();
  // Only files are drawn; charts still need a GUI application, which the
  // offscreen platform provides without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  tavro::provideRuntimeFolder();
  QApplication app(argc, argv);
  QApplication::setApplicationName("tavro-edges");
  // Names as the system has them, raw bytes kept (Qt's arguments lose them).
  const QStringList arguments = tavro::nativeArguments(argc, argv);
  QApplication::setApplicationVersion(tavro::build::kVersion);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Samples each picture into a grid of grey levels, finds its edges and writes PNG views:\n"
      "the grid, the edge class map, the edge traces over a faded copy of the picture and\n"
      "the histograms of edge classes and trace directions, named after the picture\n"
      "(NAME-grid.png, ...). Without --grid the grid keeps the picture's shape: 128 cells\n"
      "along the longer side. Where a view's name would write over a picture of the run or\n"
      "a view it wrote already, the picture's views are named NAME-2-grid.png, ... instead.\n"
      "\n"
      "Each picture's five files are written all or nothing: each to a temporary file beside\n"
      "its name, renamed into place only when all five are whole; if anything fails, none of\n"
      "the five names is created or changed, and the next picture is tried. A name taken by\n"
      "a link is replaced, never written through; a read-only file is not replaced. On\n"
      "Ctrl-C or SIGTERM the temporary files are removed (exit status 130 or 143).\n"
      "\n"
      "Exit status: 0 on success; 1 when a picture cannot be loaded or a file or standard\n"
      "output cannot be written; 2 for a command line that cannot be run.");
  parser.addOption(QCommandLineOption({"h", "help"}, "Displays this help."));
  parser.addVersionOption();
  parser.addPositionalArgument("PICTURE", "Picture files to look at (BMP, JPEG, PNG, ...).", "PICTURE...");
  const QCommandLineOption gridOption(
      "grid", QStringLiteral("Grid size in cells, each side %1 to %2 (default: %2 along the picture's longer "
                             "side, the other in proportion).")
                  .arg(tavro::edges_tool::kMinGridSide).arg(tavro::edges_tool::kMaxGridSide),
      "WxH");
  const QCommandLineOption outOption("out", "Folder for the PNG files (default: the current folder).", "DIR", ".");
  parser.addOption(gridOption);
  parser.addOption(outOption);

  if (!parser.parse(arguments)) return fail(parser.errorText() + " (see --help)", kUsageError);
  if (parser.isSet("help")) return print(parser.helpText().toUtf8());
  if (parser.isSet("version"))
    return tavro::printAndFinish("tavro-edges", tavro::build::versionLine("tavro-edges"));
  if (parser.positionalArguments().isEmpty()) return fail("give at least one PICTURE (see --help)", kUsageError);

  tavro::edges_tool::EdgeViewsRequest request;
  request.outputFolder = parser.value(outOption);
  try {
    if (parser.isSet(gridOption)) request.grid = tavro::edges_tool::parseGridOption(parser.value(gridOption));
  } catch (const tavro::Error& e) {
    return fail(QString::fromStdString(e.what()), kUsageError);
  }

  // Every picture is guarded before the first view is written, so that no
  // view takes the place of a picture still to be read.
  tavro::GuardedFiles guarded;
  for (const QString& picture : parser.positionalArguments()) guarded.guard(picture);
  bool failed = false;
  bool printing = true;  // until standard output fails; the views are still written
  for (const QString& picture : parser.positionalArguments()) {
    request.picturePath = picture;
    QByteArray report;
    try {
      for (const QString& path : tavro::edges_tool::writeEdgeViews(request, guarded))
        report += "wrote " + tavro::toNativeName(path) + "\n";
    } catch (const tavro::Error& e) {
      failed = fail(QString::fromStdString(e.what()), kFailed) != 0;
    } catch (const std::exception& e) {
      failed = fail(QString::fromLocal8Bit(e.what()), kFailed) != 0;
    }
    // Said as each picture is done.
    if (printing && !report.isEmpty() && print(report) != 0) {
      failed = true;
      printing = false;
    }
  }
  return failed ? kFailed : 0;
}
