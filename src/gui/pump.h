#pragma once
// A wait that keeps the window alive. On the window thread it processes window messages while
// it waits; on a worker thread there are no messages, so it is a sleep in short steps.
#include <functional>

namespace tessaly {

// Processes messages until done() holds or timeout_ms have passed; returns done(). done() is
// looked at after every batch of messages, so a wait for something a message brings (a page
// loaded, a script's result) ends as soon as it has come.
bool pump_until(const std::function<bool()>& done, int timeout_ms);

}  // namespace tessaly
