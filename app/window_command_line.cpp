#include "app/window_command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include "build_info.h"
#include "files/entries.h"
#include "files/native_names.h"

namespace tavro {

namespace {

constexpr auto kProgram = "tavro-cam";

const char kDescription[] =
    "Opens the Tavro CAM window: a camera preview, snapshots into face files,\n"
    "training of a face database from them and identification of a picture.\n"
    "\n"
    "Face files (face0a.jpg .. face19b.jpg) live in the program's folder; once the\n"
    "program is installed, in $XDG_DATA_HOME/tavro-cam (by default\n"
    "~/.local/share/tavro-cam), created by the first \"PIC (A)\", \"PIC (B)\" or\n"
    "\"PIC (C)\". A path typed in the window that begins with a single \\ starts\n"
    "in the home folder: the default \\TavroTEST.BMP is ~/TavroTEST.BMP.\n"
    "\n"
    "--find-face suits face files and probes that are ordinary uncropped photos or\n"
    "camera snapshots with the face anywhere; tightly cropped faces do better\n"
    "without it.\n"
    "\n"
    "Exit status: 0 when the window is closed or help or version was printed;\n"
    "1 when standard output cannot be written or --find-face finds no face\n"
    "cascade; 2 for a command line that cannot be run. Qt's own settings are read from the environment (QT_QPA_PLATFORM, ...).";

WindowCommandLine refuse(const QString& why) { return {WindowCommandLine::Action::Refuse, why, {}, {}}; }

}  // namespace

WindowCommandLine parseWindowCommandLine(const QStringList& arguments, const char* cameraVariable) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(kDescription));
  // Not addHelpOption(): it also lists --help-all, whose Qt options need a
  // display to exist.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Displays this help and exits."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Displays the version and exits."));
  const QCommandLineOption faces(
      QStringLiteral("faces"),
      QStringLiteral("Folder of the face files, instead of the program's own; created by the first snapshot."),
      QStringLiteral("DIR"));
  const QCommandLineOption camera(
      QStringLiteral("camera"),
      QStringLiteral("The camera: test (the moving test picture), a number N or /dev/videoN. "
                     "Wins over TAVRO_CAMERA, which takes the same values."),
      QStringLiteral("SOURCE"));
  const QCommandLineOption findFace(
      QStringLiteral("find-face"),
      QStringLiteral("Find the face in each face file and probe and use it, cut to fill the face box, in place "
                     "of the picture's top-left corner; the preview outlines the face a snapshot would give. "
                     "Needs the Debian package opencv-data."));
  parser.addOptions({help, version, faces, camera, findFace});

  if (!parser.parse(arguments)) {
    QString why = parser.errorText();
    if (why.endsWith(u'.')) why.chop(1);
    return refuse(why);
  }
  if (parser.isSet(help)) {
    QString text = parser.helpText();
    text.replace(QStringLiteral("<executable_name>"), QLatin1String(kProgram));
    return {WindowCommandLine::Action::ShowHelp, text, {}, {}};
  }
  if (parser.isSet(version))
    return {WindowCommandLine::Action::ShowVersion, QString::fromStdString(build::versionLine(kProgram)), {}, {}};
  if (!parser.positionalArguments().isEmpty())
    return refuse(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().constFirst()));

  WindowCommandLine result;
  result.findFace = parser.isSet(findFace);
  result.faces = parser.value(faces);
  if (parser.isSet(faces)) {
    if (result.faces.isEmpty()) return refuse(QStringLiteral("--faces needs a folder"));
    const EntryKind kind = entryKind(result.faces);
    if (kind != EntryKind::Nothing && kind != EntryKind::Folder)
      return refuse(QStringLiteral("--faces %1: not a folder").arg(displayName(absolutePath(result.faces))));
  }
  if (!parser.isSet(camera)) {
    result.camera = parseCameraSetting(cameraVariable);
    return result;
  }
  result.camera = parseCameraSetting(parser.value(camera).toLocal8Bit().constData());
  if (result.camera.kind == CameraSetting::Kind::Invalid || result.camera.kind == CameraSetting::Kind::Automatic)
    return refuse(
        QStringLiteral("--camera takes test, a camera number N or /dev/videoN, not '%1'").arg(parser.value(camera)));
  return result;
}

}  // namespace tavro
