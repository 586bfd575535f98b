#include "support/BrowserLog.h"

#include <windows.h>

#include <fstream>

#include "support/Wait.h"

namespace testing_support {

namespace {
constexpr wchar_t kLogPath[] = L"C:\\sandbox\\browser.log";
}

std::vector<std::string> BrowserLog() {
    std::vector<std::string> lines;
    std::ifstream in(kLogPath);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void ClearBrowserLog() { ::DeleteFileW(kLogPath); }

std::vector<std::string> WaitForBrowserLog(size_t count, unsigned timeoutMs) {
    WaitUntil([&] { return BrowserLog().size() >= count; }, timeoutMs);
    return BrowserLog();
}

}  // namespace testing_support
