// The sandbox's web browser is a recorder: every address it is asked to open becomes one line
// of C:\sandbox\browser.log.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

std::vector<std::string> BrowserLog();
void ClearBrowserLog();
// Waits until the log holds at least `count` lines; returns the log as it then stands.
std::vector<std::string> WaitForBrowserLog(size_t count, unsigned timeoutMs = 10000);

}  // namespace testing_support
