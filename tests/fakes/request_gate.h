#pragma once
// Shared by the fakes of services that tools call from many threads at once: how many requests
// a handler is working on right now (and the most at any moment), and holding requests until
// the test lets them go. Handlers keep the gate through a shared pointer, so a server that
// outlives its fake still answers; the fake's destructor lets every held request go.
#include <condition_variable>
#include <memory>
#include <mutex>

namespace tessaly::fakes {

class RequestGate {
 public:
  // Counts one request in flight for its lifetime.
  class Pass {
   public:
    explicit Pass(std::shared_ptr<RequestGate> gate);
    ~Pass();
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;

   private:
    std::shared_ptr<RequestGate> gate_;
  };

  // Waits until release() or shutdown(), or `ms` when ms >= 0 (whichever comes first).
  void hold(int ms = -1);
  void wait_ms(int ms) { hold_for(ms, false); }
  // Waits until a request is held and `peak` have been in flight at once; false on time-out.
  bool wait_for_held_and_peak(int peak, int timeout_ms);
  // Lets every request held now go.
  void release();
  // Lets every held request go and holds none from now on.
  void shutdown();

  int in_flight() const;
  int peak() const;  // the most in flight at once since the last reset_peak()
  int held() const;
  void reset_peak();

 private:
  void hold_for(int ms, bool until_released);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  int in_flight_ = 0, peak_ = 0, held_ = 0;
  unsigned generation_ = 0;
  bool shut_ = false;
};

}  // namespace tessaly::fakes
