#include "gui/pump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include "core/jobs/job.h"

namespace tessaly {
namespace {

bool on_window_thread() {
  return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

}  // namespace

bool pump_delay(int amount, DelayUnit unit) {
  static const long long factors[] = {1, 1000, 60'000, 3'600'000};
  long long ms = static_cast<long long>(amount) * factors[static_cast<int>(unit)];
  if (ms <= 0) return true;
  if (!on_window_thread()) {
    sleep_ms(static_cast<int>(std::min<long long>(ms, 0x7FFFFFFF)));
    return true;
  }
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(static_cast<int>(std::min<long long>(ms, 0x7FFFFFFF)));
  loop.exec();
  return true;
}

void pump_wait(int ms) {
  if (ms <= 0) return;
  if (!on_window_thread()) {
    sleep_ms(ms);
    return;
  }
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(ms - clock.elapsed()));
    QThread::msleep(1);
  }
}

void do_events() {
  if (on_window_thread())
    QCoreApplication::processEvents();
  else
    checkpoint();
}

void do_events_if_input() {
  if (on_window_thread())
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  else
    checkpoint();
}

}  // namespace tessaly
