#pragma once
// Waits that keep the window alive. On the window thread they process window messages while
// they wait; on a worker thread there are no messages, so they are checkpoint-aware sleeps.

namespace tessaly {

enum class DelayUnit { Milliseconds = 0, Seconds = 1, Minutes = 2, Hours = 3 };

// Waits amount x unit; returns true.
bool pump_delay(int amount, DelayUnit unit = DelayUnit::Milliseconds);
// Processes messages in a loop until ms milliseconds have passed; 0 or less returns at once.
void pump_wait(int ms);
void do_events();
void do_events_if_input();

}  // namespace tessaly
