#include "win/Dialog.h"

#include "win/Center.h"
#include "win/Module.h"

namespace win {

namespace {

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg) {
    switch (msg) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
    }
}

}  // namespace

INT_PTR CDialog::DoModal(HWND owner) {
    return ::DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

bool CDialog::CenterWindow() { return win::CenterWindow(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER)); }

Reply CDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            return OnInitDialog(reinterpret_cast<HWND>(wParam));
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        case WM_TIMER:
            return OnTimer(static_cast<UINT_PTR>(wParam));
        case WM_ERASEBKGND:
            return OnEraseBackground(reinterpret_cast<HDC>(wParam));
        default:
            return OnMessage(msg, wParam, lParam);
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    // Messages that come before WM_INITDIALOG (WM_SETFONT and the like) get the default.
    if (!self) return FALSE;

    const Reply reply = self->Dispatch(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    if (!reply.handled) return FALSE;
    if (ReturnsResultDirectly(msg)) return static_cast<INT_PTR>(reply.result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, reply.result);
    return TRUE;
}

}  // namespace win
