#include "platform/qt_event_pump.h"

#include <QCoreApplication>
#include <QTimer>

namespace harvel {

void QtEventPump::processPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::waitForEvents(std::chrono::milliseconds timeout) {
  if (timeout.count() <= 0) {
    processPendingEvents();
    return;
  }
  // The timer's own event ends the sleep when nothing else happens first.
  QTimer wakeUp;
  wakeUp.setSingleShot(true);
  wakeUp.setTimerType(Qt::PreciseTimer);
  wakeUp.start(timeout);
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace harvel
