#include "win/Center.h"

#include <algorithm>

namespace win {

POINT CenteredPosition(const RECT& window, const RECT& over, const RECT& workArea) {
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG x = over.left + ((over.right - over.left) - width) / 2;
    LONG y = over.top + ((over.bottom - over.top) - height) / 2;
    // Right and bottom first, so that a window larger than the area keeps its title bar in view.
    x = std::max(std::min(x, workArea.right - width), workArea.left);
    y = std::max(std::min(y, workArea.bottom - height), workArea.top);
    return POINT{x, y};
}

bool CenterWindow(HWND hwnd, HWND owner) {
    RECT window;
    if (!::GetWindowRect(hwnd, &window)) return false;

    RECT workArea;
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0)) {
        workArea = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }

    RECT over = workArea;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        if (!::GetWindowRect(owner, &over)) over = workArea;
    }

    const POINT pos = CenteredPosition(window, over, workArea);
    return ::SetWindowPos(hwnd, nullptr, pos.x, pos.y, 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

}  // namespace win
