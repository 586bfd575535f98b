#include "support/Wait.h"

#include <windows.h>

namespace testing_support {

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool WaitUntil(const std::function<bool()>& done, unsigned timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (::GetTickCount64() >= deadline) return done();
        PumpMessages();
        ::Sleep(20);
    }
}

}  // namespace testing_support
