#pragma once
// Runs a command-line tool to its end and keeps its exit status and what it
// wrote to its two streams.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace tavro::testing {

struct ToolRun {
  int status = -1;  // -1: the tool did not end normally within a minute
  QString out;
  QString err;
};

inline ToolRun runProgram(const QString& program, const QStringList& args,
                          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  QProcess tool;
  tool.setProcessEnvironment(environment);
  tool.start(program, args);
  ToolRun run;
  if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit) return run;
  run.status = tool.exitCode();
  run.out = QString::fromUtf8(tool.readAllStandardOutput());
  run.err = QString::fromUtf8(tool.readAllStandardError());
  return run;
}

}  // namespace tavro::testing
