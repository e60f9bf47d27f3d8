#include "cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QProcess>
#include <vector>

#include "downloader_process.h"

extern char** environ;

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

CliRun RunCliOnTerminal(const QStringList& arguments, int columns,
                        std::chrono::milliseconds timeout) {
  CliRun run;
  winsize size{};
  size.ws_row = 24;
  size.ws_col = static_cast<unsigned short>(columns);
  int terminal = -1;
  int side = -1;
  if (openpty(&terminal, &side, nullptr, nullptr, &size) != 0)
    return run;
  termios modes{};
  tcgetattr(side, &modes);
  modes.c_oflag &= ~static_cast<tcflag_t>(OPOST);  // "\n" stays "\n"
  tcsetattr(side, TCSANOW, &modes);

  const std::string program = ProgramFolderOfBuild() + "/harvel-cli";
  std::vector<std::string> args{program};
  for (const QString& argument : arguments)
    args.push_back(argument.toStdString());
  std::vector<char*> argv;
  for (std::string& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, side, 1);
  posix_spawn_file_actions_adddup2(&actions, side, 2);
  posix_spawn_file_actions_addclose(&actions, terminal);
  posix_spawn_file_actions_addclose(&actions, side);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(side);
  if (spawned != 0) {
    close(terminal);
    return run;
  }

  // Read until harvel-cli has ended and the terminal stays quiet (the
  // downloader it closes may hold the terminal a little longer).
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  bool ended = false;
  auto quietSince = std::chrono::steady_clock::now();
  for (;;) {
    pollfd wait{terminal, POLLIN, 0};
    const int ready = poll(&wait, 1, 50);
    if (ready > 0) {
      char buffer[4096];
      const ssize_t got = read(terminal, buffer, sizeof buffer);
      if (got <= 0)
        break;  // every writer has gone
      run.out.append(buffer, static_cast<std::size_t>(got));
      quietSince = std::chrono::steady_clock::now();
      continue;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!ended && waitpid(pid, &status, WNOHANG) == pid)
      ended = true;
    if (ended && now - quietSince > std::chrono::milliseconds(500))
      break;
    if (!ended && now > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      close(terminal);
      return run;
    }
  }
  if (!ended)
    waitpid(pid, &status, 0);
  close(terminal);
  run.finished = true;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace harvel::test
