// Waiting for something that another thread or process does, with a deadline.
#pragma once

#include <functional>

namespace testing_support {

// Polls `done` every 20 ms, pumping this thread's messages, until it holds or `timeoutMs` has
// passed. Returns its last answer.
bool WaitUntil(const std::function<bool()>& done, unsigned timeoutMs = 10000);

// Dispatches the messages waiting for this thread.
void PumpMessages();

}  // namespace testing_support
