#pragma once
// Shared pieces of the window benchmarks: finding controls, the window-thread gap probe, medians.
#include <time.h>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace tessaly::bench {

template <class T>
T* find(QWidget* root, const char* name) {
  T* w = root->findChild<T*>(QString::fromUtf8(name));
  if (!w) qFatal("control not found: %s", name);
  return w;
}

// Processor time of the calling thread, in nanoseconds.
inline qint64 thread_cpu_ns() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Largest gap between ticks of a 1 ms timer running on the window thread: the longest stretch
// during which the window could not respond. Also the window thread's own processor time within
// that stretch: on a machine busy with other work the stretch grows while the thread waits for a
// processor, and its processor time is what the stretch would be on an idle machine.
class GapProbe : public QObject {
 public:
  GapProbe() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
  }
  void start() {
    clock_.start();
    last_ = 0;
    last_cpu_ = thread_cpu_ns();
    longest_ = 0;
    longest_cpu_ = 0;
    longest_end_ = 0;
    timer_.start();
  }
  double stop_ms() {
    timer_.stop();
    // A stretch without a tick that lasts until now counts as well (a stall right at the end,
    // or one that began before the first tick).
    tick();
    return static_cast<double>(longest_) / 1e6;
  }
  // When the longest gap ended, in milliseconds after start().
  double longest_end_ms() const { return static_cast<double>(longest_end_) / 1e6; }
  // The window thread's processor time within the longest gap, in milliseconds.
  double longest_cpu_ms() const { return static_cast<double>(longest_cpu_) / 1e6; }

 private:
  void tick() {
    const qint64 now = clock_.nsecsElapsed();
    const qint64 cpu = thread_cpu_ns();
    if (now - last_ > longest_) {
      longest_ = now - last_;
      longest_cpu_ = cpu - last_cpu_;
      longest_end_ = now;
    }
    last_ = now;
    last_cpu_ = cpu;
  }

  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 last_cpu_ = 0;
  qint64 longest_ = 0;
  qint64 longest_cpu_ = 0;
  qint64 longest_end_ = 0;
};

inline double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace tessaly::bench
