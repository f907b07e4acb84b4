// tavro-edges PICTURE [--grid WxH] [--out DIR]: shows what the edge toolkit
// sees in a picture, as PNG files.

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <csignal>
#include <exception>

#include "build_info.h"
#include "edge_views.h"
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
  // Only files are drawn; charts still need a GUI application, which the
  // offscreen platform provides without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName("tavro-edges");
  // Names as the system has them, raw bytes kept (Qt's arguments lose them).
  const QStringList arguments = tavro::nativeArguments(argc, argv);
  QApplication::setApplicationVersion(tavro::build::kVersion);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Samples a picture into a grid of grey levels, finds its edges and writes PNG views:\n"
      "the grid, the edge class map, the edge traces and the histograms of edge classes\n"
      "and trace directions, named after the picture (NAME-grid.png, ...).\n"
      "\n"
      "The five files are written all or nothing: each to a temporary file beside its name,\n"
      "renamed into place only when all five are whole; if anything fails, none of the\n"
      "five names is created or changed. A name taken by a link is replaced, never written\n"
      "through.\n"
      "\n"
      "Exit status: 0 on success; 1 when the picture cannot be loaded or a file or standard\n"
      "output cannot be written; 2 for a command line that cannot be run.");
  parser.addOption(QCommandLineOption({"h", "help"}, "Displays this help."));
  parser.addVersionOption();
  parser.addPositionalArgument("PICTURE", "Picture file to look at (BMP, JPEG, PNG, ...).");
  const QCommandLineOption gridOption(
      "grid", QStringLiteral("Grid size in cells, each side %1 to %2 (default %3x%4).")
                  .arg(tavro::edges_tool::kMinGridSide).arg(tavro::edges_tool::kMaxGridSide)
                  .arg(tavro::edges_tool::kDefaultGrid.width()).arg(tavro::edges_tool::kDefaultGrid.height()),
      "WxH");
  const QCommandLineOption outOption("out", "Folder for the PNG files (default: the current folder).", "DIR", ".");
  parser.addOption(gridOption);
  parser.addOption(outOption);

  if (!parser.parse(arguments)) return fail(parser.errorText() + " (see --help)", kUsageError);
  if (parser.isSet("help")) return print(parser.helpText().toUtf8());
  if (parser.isSet("version"))
    return tavro::printAndFinish("tavro-edges", tavro::build::versionLine("tavro-edges"));
  if (parser.positionalArguments().size() != 1)
    return fail("give exactly one PICTURE (see --help)", kUsageError);

  tavro::edges_tool::EdgeViewsRequest request;
  request.picturePath = parser.positionalArguments().front();
  request.grid = tavro::edges_tool::kDefaultGrid;
  request.outputFolder = parser.value(outOption);
  try {
    if (parser.isSet(gridOption)) request.grid = tavro::edges_tool::parseGridOption(parser.value(gridOption));
  } catch (const tavro::Error& e) {
    return fail(QString::fromStdString(e.what()), kUsageError);
  }

  QByteArray report;
  try {
    for (const QString& path : tavro::edges_tool::writeEdgeViews(request))
      report += "wrote " + tavro::toNativeName(path) + "\n";
  } catch (const tavro::Error& e) {
    return fail(QString::fromStdString(e.what()), kFailed);
  } catch (const std::exception& e) {
    return fail(QString::fromLocal8Bit(e.what()), kFailed);
  }
  return print(report);
}
