#include "cli_process.h"

#include <QProcess>

#include "downloader_process.h"

namespace harvel::test {

CliRun RunCli(const QStringList& arguments, std::chrono::milliseconds timeout,
              const std::string& programFolder) {
  const std::string folder = programFolder.empty() ? ProgramFolderOfBuild() : programFolder;
  QProcess process;
  process.start(QString::fromStdString(folder + "/harvel-cli"), arguments);
  CliRun run;
  if (!process.waitForStarted(10000))
    return run;
  run.finished = process.waitForFinished(static_cast<int>(timeout.count()));
  if (!run.finished) {
    process.kill();
    process.waitForFinished(5000);
  }
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput().toStdString();
  run.err = process.readAllStandardError().toStdString();
  return run;
}

}  // namespace harvel::test
