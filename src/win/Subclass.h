// Subclassing of an existing control: messages go first to OnMessage, and every message that it
// does not handle goes on to the control's previous window procedure. The previous procedure is
// put back when the control is destroyed, or when the object goes away first.
#pragma once

#include <windows.h>

#include "win/Message.h"

namespace win {

class CSubclassWindow {
public:
    CSubclassWindow() = default;
    virtual ~CSubclassWindow() { UnsubclassWindow(); }
    CSubclassWindow(const CSubclassWindow&) = delete;
    CSubclassWindow& operator=(const CSubclassWindow&) = delete;

    // Fails for a null or foreign window and when this object is attached already.
    bool SubclassWindow(HWND hwnd);
    // Puts the previous window procedure back; returns the window, or null when not attached.
    HWND UnsubclassWindow();

    HWND Hwnd() const { return m_hWnd; }

protected:
    virtual Reply OnMessage(UINT /*msg*/, WPARAM, LPARAM) { return NotHandled(); }
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) {
        return ::CallWindowProcW(m_prevProc, m_hWnd, msg, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_prevProc = nullptr;
};

}  // namespace win
