#pragma once
// Runs a command-line tool to its end and keeps its exit status and what it
// wrote to its two streams.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

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

// How runNative starts the tool.
struct NativeSetup {
  QByteArray standardOutput;   // a file to write to instead of a capture
  rlim_t fileSizeLimit = RLIM_INFINITY;
  // Permissions hold for root too (root without the capabilities that override them).
  bool permissionsHold = false;
};

// Runs the tool with arguments given as the system's bytes (QProcess would
// re-encode them), and the setup above; streams kept as bytes.
struct NativeRun {
  int status = -1;  // -1: ended by a signal
  QByteArray out;
  QByteArray err;
};

inline NativeRun runNative(const QByteArray& program, const QList<QByteArray>& args, const NativeSetup& setup = {}) {
  QTemporaryDir streams;
  const QByteArray outPath = setup.standardOutput.isEmpty() ? QFile::encodeName(streams.filePath("out")) : setup.standardOutput;
  const QByteArray errPath = QFile::encodeName(streams.filePath("err"));
  std::vector<char*> argv{const_cast<char*>(program.constData())};
  for (const QByteArray& arg : args) argv.push_back(const_cast<char*>(arg.constData()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {  // only async-signal-safe calls from here to exec
    const int out = open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int err = open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const rlimit limit{setup.fileSizeLimit, setup.fileSizeLimit};
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    if (setup.permissionsHold && geteuid() == 0 &&
        (prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE) != 0 || prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH) != 0))
      _exit(126);
    execv(program.constData(), argv.data());
    _exit(127);
  }
  NativeRun run;
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return run;
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  QFile out(QFile::decodeName(outPath));
  if (setup.standardOutput.isEmpty() && out.open(QIODevice::ReadOnly)) run.out = out.readAll();
  QFile err(QFile::decodeName(errPath));
  if (err.open(QIODevice::ReadOnly)) run.err = err.readAll();
  return run;
}

}  // namespace tavro::testing
