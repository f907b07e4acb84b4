// tavro-faces end to end on generated face files: the same answers as the
// window for the same folder and probes, missing and corrupt files, runs that
// add up, the JSON output, and the command-line errors.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/tavro_recog.h"
#include "face_picture_files.h"
#include "pictures/picture_loader.h"
#include "tool_run.h"
#include "widgets/picture_box.h"

namespace {

using namespace tavro::testing;

ToolRun runTool(const QStringList& args,
                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  return runProgram(QStringLiteral(TAVRO_FACES_PATH), args, environment);
}

// The window's answer to each probe: what pic1 shows after "Check IMAGE".
class WindowAnswers {
 public:
  WindowAnswers(const QString& facesDirectory, RecordingMessageBox& messages) {
    static int argc = 1;
    static char name[] = "tavro_faces_tests";
    static char* argv[] = {name, nullptr};
    setenv("TAVRO_CAMERA", "test", 0);
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);  // lives to the end
    window_ = std::make_unique<tavro::TAVRO_RECOG>(facesDirectory, messages);
  }

  void train() { button("cmdstart")->click(); }
  QImage check(const QString& probe) {
    window_->findChild<QLineEdit*>("TXT_file")->setText(probe);
    button("cmdTest")->click();
    return window_->findChild<tavro::PictureBox*>("pic1")->model().image();
  }

 private:
  QPushButton* button(const char* name) { return window_->findChild<QPushButton*>(name); }
  std::unique_ptr<tavro::TAVRO_RECOG> window_;
};

// A grey pattern unlike any face, so that its answer is no one's by design.
QString writePatternProbe(const QString& directory) {
  QImage picture(100, 100, QImage::Format_RGB32);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      const int grey = (x * x + 3 * y * y + 7 * x * y) % 256;
      picture.setPixelColor(x, y, QColor(grey, grey, grey));
    }
  const QString path = QDir(directory).filePath("pattern.png");
  EXPECT_TRUE(picture.save(path, "PNG"));
  return path;
}

class TavroFaces : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString face(int number, char letter) const { return faceFileName(dir.path(), number, letter); }
  QTemporaryDir dir;
};

TEST_F(TavroFaces, AnswersAsTheWindowDoesWithMissingAndCorruptFiles) {
  ASSERT_TRUE(writeAllFaceFiles(dir.path()));
  ASSERT_TRUE(QFile::remove(face(3, 'a')));
  ASSERT_TRUE(writeText(face(5, 'a'), "not a picture\n"));
  QFile jpeg(face(2, 'b'));
  ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly));
  const QString corrupt = dir.filePath("corrupt.jpg");
  ASSERT_TRUE(writeText(corrupt, jpeg.read(jpeg.size() * 2 / 3)));  // cut in its pixel data
  const QString pattern = writePatternProbe(dir.path());
  const QString missing = dir.filePath("missing.jpg");
  const QStringList probes = {face(7, 'b'), face(3, 'b'), face(5, 'b'), pattern, missing, corrupt};

  const ToolRun run = runTool(QStringList{"--faces", dir.path()} + probes);
  // The missing and the corrupt probe were not identified.
  EXPECT_EQ(run.status, 1) << run.err.toStdString();
  const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), probes.size()) << run.out.toStdString();
  QList<QStringList> fields;
  for (const QString& line : lines) fields.append(line.split('\t'));
  for (qsizetype i = 0; i < probes.size(); ++i) {
    ASSERT_EQ(fields[i].size(), 3) << lines[i].toStdString();
    EXPECT_EQ(fields[i][0], probes[i]);
  }
  // Each "b" picture is stored unchanged under its number. Face 3 has no "a"
  // file and face 5's cannot be read: nothing shown for either.
  EXPECT_EQ(fields[0].mid(1), QStringList({"7", face(7, 'a')}));
  EXPECT_EQ(fields[1].mid(1), QStringList({"3", ""}));
  EXPECT_EQ(fields[2].mid(1), QStringList({"5", ""}));
  // A probe not loaded leaves the pattern in the work surface.
  EXPECT_EQ(fields[4][1], fields[3][1]);
  EXPECT_EQ(fields[5][1], fields[3][1]);
  // Each with its reason.
  EXPECT_TRUE(run.err.contains("tavro-faces: " + missing + ": not loaded (not found); its answer")) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("tavro-faces: " + corrupt + ": not loaded (Invalid picture: " + corrupt))
      << run.err.toStdString();

  RecordingMessageBox windowMessages;
  WindowAnswers window(dir.path(), windowMessages);
  window.train();
  QImage before = window.check(probes[0]);
  for (qsizetype i = 0; i < probes.size(); ++i) {
    const QImage shown = window.check(probes[i]);
    const QString faceFile = fields[i][2];
    if (faceFile.isEmpty())
      EXPECT_EQ(shown, before) << "pic1 kept its picture for " << probes[i].toStdString();
    else
      EXPECT_TRUE(showsPicture(shown, tavro::loadPicture(faceFile))) << probes[i].toStdString();
    before = shown;
  }
  // The same loading messages, in the same order, on standard error.
  QStringList toolMessages;
  for (const QString& line : run.err.split('\n'))
    if (line.startsWith("tavro-faces: frmMain/")) toolMessages.append(line.mid(13));
  EXPECT_EQ(toolMessages, windowMessages.texts);
  const QString unreadable = "frmMain/loadFace/Invalid picture: " + face(5, 'a') + " holds no picture in a known format";
  ASSERT_GE(toolMessages.size(), 3);
  EXPECT_EQ(toolMessages.mid(0, 2), QStringList({unreadable, unreadable}));  // training, then probe 5b
  const QStringList probeMessages = toolMessages.filter("frmMain/loadFace2/");
  ASSERT_EQ(probeMessages.size(), 1);
  EXPECT_TRUE(probeMessages[0].startsWith("frmMain/loadFace2/Invalid picture: " + corrupt)) << probeMessages[0].toStdString();
}

TEST_F(TavroFaces, TwoRunsDoubleTheDatabaseAndTiesGoToTheFirstRunWithoutADisplay) {
  // Only face5a and face10b. Run 1: faces 0a..4a are the placeholder,
  // 5a..9b face5a, 10b..19b face10b. Run 2 starts with face10b still shown,
  // so its faces 0a..4a are face10b too. The probe face10b scores 0 against
  // run 1's 10b..19b and run 2's 0a..4a and 10b..19b: the first, 10b, wins.
  ASSERT_TRUE(writeFaceFile(dir.path(), 5, 'a'));
  ASSERT_TRUE(writeFaceFile(dir.path(), 10, 'b'));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) environment.remove(name);
  const ToolRun run = runTool({"--faces", dir.path(), "--runs", "2", "--json", face(10, 'b'), face(5, 'a')}, environment);
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  // One line after training names the files the faces were not built from.
  EXPECT_EQ(run.err, "tavro-faces: Trained: 80 faces stored; 2 of 40 face files read from " + dir.path() +
                         "; 38 missing (face0a.jpg, face1a.jpg, face2a.jpg and 35 more) — their faces copy the "
                         "picture before them.\n");

  QJsonParseError error;
  const QJsonDocument json = QJsonDocument::fromJson(run.out.toUtf8(), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
  ASSERT_TRUE(json.isArray());
  const QJsonArray answers = json.array();
  ASSERT_EQ(answers.size(), 2);
  const QJsonObject tenB = answers[0].toObject();
  EXPECT_EQ(tenB["probe"].toString(), face(10, 'b'));
  EXPECT_EQ(tenB["faceName"].toString(), "10");
  EXPECT_TRUE(tenB["faceFile"].isNull());  // face10a.jpg is missing
  EXPECT_EQ(tenB["probeLoaded"].toBool(), true);
  EXPECT_EQ(tenB["storedFaces"].toInt(), 80);
  const QJsonObject fiveA = answers[1].toObject();
  EXPECT_EQ(fiveA["faceName"].toString(), "5");
  EXPECT_EQ(fiveA["faceFile"].toString(), face(5, 'a'));
}

TEST_F(TavroFaces, RefusesCommandLinesItCannotRunWithStatusTwo) {
  ASSERT_TRUE(writeFaceFile(dir.path(), 0, 'a'));
  const QString probe = face(0, 'a');
  const QList<std::pair<QStringList, QString>> cases = {
      {{"--faces", dir.filePath("nowhere"), probe}, "no such folder of face files: " + dir.filePath("nowhere")},
      {{"--faces", probe, probe}, "no such folder of face files"},
      {{"--faces", dir.path()}, "give at least one PROBE"},
      {{"--faces", dir.path(), "--runs", "0", probe}, "--runs takes a whole number from 1 to 25"},
      {{"--faces", dir.path(), "--runs", "26", probe}, "from 1 to 25"},
      {{"--faces", dir.path(), "--runs", "two", probe}, "not \"two\""},
      {{"--faces", dir.path(), "--colour", probe}, "Unknown option 'colour'"},
  };
  for (const auto& [args, message] : cases) {
    const ToolRun run = runTool(args);
    EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(run.err.startsWith("tavro-faces: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
  }

  const ToolRun help = runTool({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* part : {"--faces <DIR>", "--runs <N>", "--json", "PROBE...", "Exit status"})
    EXPECT_TRUE(help.out.contains(part)) << part;
}

}  // namespace

namespace {

// The margin as the JSON gives it, from the scores it gives.
double marginOf(const QJsonObject& answer) {
  const double score = answer["score"].toInt();
  return (answer["runnerUp"].toObject()["score"].toInt() - score) / std::max(score, 1.0);
}

TEST_F(TavroFaces, ScoresMarginsAndUncertaintyInBothShapesAndAMatchPicturePerProbe) {
  ASSERT_TRUE(writeAllFaceFiles(dir.path()));
  const QString pattern = writePatternProbe(dir.path());
  const QString explain = dir.filePath("explain");
  const ToolRun json = runTool({"--faces", dir.path(), "--json", "--explain", explain, face(7, 'b'), pattern, pattern});
  ASSERT_EQ(json.status, 0) << json.err.toStdString();
  const QJsonArray answers = QJsonDocument::fromJson(json.out.toUtf8()).array();
  ASSERT_EQ(answers.size(), 3);
  const QStringList keys = {"faceFile", "faceName", "margin", "probe", "probeLoaded",
                            "runnerUp", "score", "storedFaces", "uncertain"};
  for (const QJsonValue& value : answers) {
    const QJsonObject answer = value.toObject();
    EXPECT_EQ(answer.keys(), keys);
    EXPECT_NE(answer["runnerUp"].toObject()["faceName"], answer["faceName"]);
    EXPECT_EQ(answer["margin"].toDouble(), marginOf(answer));
    EXPECT_FALSE(answer["uncertain"].toBool());  // always so without --min-margin
  }
  const QJsonObject stored = answers[0].toObject();  // face7b is stored as it is
  EXPECT_EQ(stored["score"].toInt(), 0);
  EXPECT_EQ(stored["margin"].toDouble(), stored["runnerUp"].toObject()["score"].toInt());
  for (const char* name : {"face7b.png", "pattern.png", "pattern-2.png"})
    EXPECT_FALSE(QImage(QDir(explain).filePath(name), "PNG").isNull()) << name;

  // The pattern's margin as M: equal is sure, the next number up uncertain.
  const QJsonObject answer = answers[1].toObject();
  const double margin = answer["margin"].toDouble();
  const QString above = QString::number(std::nextafter(margin, 1e300), 'g', 17);
  const QStringList scoreFields = {QString::number(answer["score"].toInt()),
                                   answer["runnerUp"].toObject()["faceName"].toString(),
                                   QString::number(answer["runnerUp"].toObject()["score"].toInt()),
                                   QString::number(margin, 'g', QLocale::FloatingPointShortest)};
  const struct {
    QStringList options;
    QStringList extraFields;
  } shapes[] = {
      {{}, {}},
      {{"--scores"}, scoreFields},
      {{"--min-margin", scoreFields.back()}, {"sure"}},
      {{"--scores", "--min-margin", above}, scoreFields + QStringList{"uncertain"}},
  };
  for (const auto& shape : shapes) {
    const ToolRun run = runTool(QStringList{"--faces", dir.path()} + shape.options + QStringList{pattern});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList fields = run.out.chopped(1).split('\t');
    EXPECT_EQ(fields.mid(0, 3), QStringList({pattern, answer["faceName"].toString(), answer["faceFile"].toString()}));
    EXPECT_EQ(fields.mid(3), shape.extraFields) << shape.options.join(' ').toStdString();
  }
}

}  // namespace

// Uncropped photos of the development set beside the project: two face files
// a person, another photo of each on a wall as a probe, and a pattern with no face.
TEST_F(TavroFaces, FindFaceAnswersUncroppedPhotosAndSaysWhereNoFaceWasFound) {
  const QString photos = QStringLiteral(TAVRO_FACES_DEV);
  const bool real = QFileInfo::exists(photos + "/p17/03.jpg");
  QStringList probes = {writePatternProbe(dir.path())};
  ASSERT_TRUE(QFile::copy(probes[0], face(19, 'a')));
  for (int person = 0; real && person < 18; ++person) {
    const QString folder = QStringLiteral("%1/p%2/").arg(photos).arg(person, 2, 10, QChar('0'));
    ASSERT_TRUE(QFile::copy(folder + "01.jpg", face(person, 'a')) && QFile::copy(folder + "02.jpg", face(person, 'b')));
    QImage probe(320, 243, QImage::Format_Grayscale8);
    probe.fill(150);
    QPainter(&probe).drawImage(70 + person, 20, QImage(folder + "03.jpg"));
    ASSERT_TRUE(probe.save(probes.emplace_back(QStringLiteral("%1/probe%2.png").arg(dir.path()).arg(person))));
  }
  const QStringList all = QStringList{"--faces", dir.path(), "--json"} + probes;
  const auto answers = [&](const QStringList& options) { return runTool(all + options).out.toUtf8(); };
  const QByteArray foundJson = answers({"--min-margin", "0", "--find-face"});
  qputenv("OPENCV_FOR_THREADS_NUM", "1");  // the same answers however many threads search
  EXPECT_EQ(answers({"--min-margin", "0", "--find-face"}), foundJson);
  qunsetenv("OPENCV_FOR_THREADS_NUM");
  const QJsonArray found = QJsonDocument::fromJson(foundJson).array(), byCorner = QJsonDocument::fromJson(answers({})).array();
  const QString said = "tavro-faces: no face found in %1; used as it is\n";
  const QString err = runTool({"--faces", dir.path(), "--find-face", probes[0]}).err;
  EXPECT_TRUE(err.startsWith(said.arg(face(19, 'a'))) && err.endsWith(said.arg(probes[0])) &&
              err.contains("; no face found in 1 (face19a.jpg), used as it is;")) << err.toStdString();
  ASSERT_EQ(found.size(), probes.size());
  EXPECT_TRUE(!found[0]["faceFound"].toBool(true) && found[0]["uncertain"].toBool());  // whatever its margin
  EXPECT_FALSE(byCorner[0].toObject().contains("faceFound"));
  int right = 0, rightByCorner = 0;
  for (qsizetype person = 1; person < found.size(); ++person) {
    EXPECT_TRUE(found[person]["faceFound"].toBool()) << person - 1;
    right += found[person]["faceName"].toString().toInt() == person - 1;
    rightByCorner += byCorner[person]["faceName"].toString().toInt() == person - 1;
  }
  EXPECT_GE(right, real ? 16 : 0);  // of 18
  EXPECT_LE(rightByCorner, right / 4);
  if (!real) GTEST_SKIP() << "only the picture with no face: no development photos in " << photos.toStdString();
}
