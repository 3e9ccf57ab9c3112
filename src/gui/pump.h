#pragma once
// Waits that keep the window alive. On the window thread they process window messages while
// they wait; on a worker thread there are no messages, so they are checkpoint-aware sleeps.
#include <functional>

namespace tessaly {

enum class DelayUnit { Milliseconds = 0, Seconds = 1, Minutes = 2, Hours = 3 };

// Waits amount x unit; returns true.
bool pump_delay(int amount, DelayUnit unit = DelayUnit::Milliseconds);
// Processes messages in a loop until ms milliseconds have passed; 0 or less returns at once.
void pump_wait(int ms);
// Processes messages until done() holds or timeout_ms have passed; returns done(). done() is
// looked at after every batch of messages, so a wait for something a message brings (a page
// loaded, a script's result) ends as soon as it has come.
bool pump_until(const std::function<bool()>& done, int timeout_ms);
void do_events();
void do_events_if_input();

}  // namespace tessaly
