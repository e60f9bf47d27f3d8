#include "cli/interrupt_watcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace harvel {
namespace {

int g_pipe[2] = {-1, -1};

extern "C" void OnSignal(int signal) {
  // Async-signal-safe: the next signal takes the default action.
  std::signal(signal, SIG_DFL);
  const char byte = 1;
  [[maybe_unused]] const auto written = write(g_pipe[1], &byte, 1);
}

}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt, QObject* parent)
    : QObject(parent), onInterrupt_(std::move(onInterrupt)) {
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &InterruptWatcher::handle);
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
}

InterruptWatcher::~InterruptWatcher() {
  if (g_pipe[0] < 0)
    return;
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  notifier_.reset();
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void InterruptWatcher::handle() {
  char bytes[16];
  while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
  }
  if (interrupted_)
    return;
  interrupted_ = true;
  if (onInterrupt_)
    onInterrupt_();
}

}  // namespace harvel
