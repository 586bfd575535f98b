#include "win/Subclass.h"

namespace win {

namespace {
// The window property that leads from a subclassed window to its object.
constexpr wchar_t kObjectProperty[] = L"TarliskSubclassObject";
}  // namespace

bool CSubclassWindow::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !::IsWindow(hwnd)) return false;
    // A window of another process cannot run our window procedure.
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId()) return false;
    if (!::SetPropW(hwnd, kObjectProperty, this)) return false;

    m_hWnd = hwnd;
    m_prevProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
    if (!m_prevProc) {
        ::RemovePropW(hwnd, kObjectProperty);
        m_hWnd = nullptr;
        return false;
    }
    return true;
}

HWND CSubclassWindow::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (!hwnd) return nullptr;
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_prevProc));
    ::RemovePropW(hwnd, kObjectProperty);
    m_hWnd = nullptr;
    m_prevProc = nullptr;
    return hwnd;
}

LRESULT CALLBACK CSubclassWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CSubclassWindow*>(::GetPropW(hwnd, kObjectProperty));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);

    if (msg == WM_NCDESTROY) {
        // Last message of the window: hand it back to its own procedure and let go.
        WNDPROC prev = self->m_prevProc;
        self->UnsubclassWindow();
        return ::CallWindowProcW(prev, hwnd, msg, wParam, lParam);
    }

    const Reply reply = self->OnMessage(msg, wParam, lParam);
    if (reply.handled) return reply.result;
    return self->CallPrevious(msg, wParam, lParam);
}

}  // namespace win
