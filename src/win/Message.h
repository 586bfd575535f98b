// What a message handler says back: whether it handled the message and, if so, its result.
#pragma once

#include <windows.h>

namespace win {

struct Reply {
    bool handled = false;
    LRESULT result = 0;
};

inline constexpr Reply NotHandled() { return Reply{}; }
inline constexpr Reply Handled(LRESULT result = 0) { return Reply{true, result}; }

}  // namespace win
