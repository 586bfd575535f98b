// Centring a window over its owner, or over the work area of the screen.
#pragma once

#include <windows.h>

namespace win {

// Top-left corner for a window of rectangle `window` centred over `over`, then moved inside
// `workArea` wherever it would stick out (left and top win when it is larger than the area).
POINT CenteredPosition(const RECT& window, const RECT& over, const RECT& workArea);

// Centres `hwnd` over `owner` when the owner is visible and not minimised, otherwise over the
// work area. Only the position changes: size, stacking order and activation stay.
bool CenterWindow(HWND hwnd, HWND owner);

}  // namespace win
