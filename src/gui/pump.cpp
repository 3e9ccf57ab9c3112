#include "gui/pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include "core/jobs/job.h"

namespace tessaly {
namespace {

bool on_window_thread() {
  return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

}  // namespace

bool pump_until(const std::function<bool()>& done, int timeout_ms) {
  QElapsedTimer clock;
  clock.start();
  if (!on_window_thread()) {
    while (!done() && clock.elapsed() < timeout_ms) sleep_ms(1);
    return done();
  }
  // Between batches of messages the wait sleeps a millisecond instead of blocking in the
  // dispatcher: inside a loop nested in a message's handling, the dispatcher may not see a timer
  // of this wait and sleeps until some other timer is due (half a minute, seen in the ping pass).
  QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher();
  while (!done()) {
    if (clock.elapsed() >= timeout_ms) return false;
    if (!dispatcher->processEvents(QEventLoop::AllEvents)) QThread::msleep(1);
  }
  return true;
}

}  // namespace tessaly
