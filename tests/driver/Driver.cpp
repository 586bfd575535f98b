#include "driver/Driver.h"

#include <vector>

namespace driver {

namespace {

HWND FindDialog(const wchar_t* title, DWORD processId) {
    for (HWND hwnd = ::FindWindowExW(nullptr, nullptr, L"#32770", title); hwnd;
         hwnd = ::FindWindowExW(nullptr, hwnd, L"#32770", title)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (::IsWindowVisible(hwnd) && (processId == 0 || owner == processId)) return hwnd;
    }
    return nullptr;
}

}  // namespace

HWND WaitForDialog(const wchar_t* title, unsigned timeoutMs, DWORD processId) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND hwnd = FindDialog(title, processId)) return hwnd;
        if (::GetTickCount64() >= deadline) return nullptr;
        ::Sleep(50);
    }
}

HWND WaitForMainWindow(unsigned timeoutMs, DWORD processId) {
    return WaitForDialog(kMainTitle, timeoutMs, processId);
}

HWND WaitForDoneDialog(unsigned timeoutMs, DWORD processId) {
    return WaitForDialog(kDoneTitle, timeoutMs, processId);
}

std::wstring WindowText(HWND hwnd) {
    if (!hwnd) return {};
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    std::vector<wchar_t> buffer(length + 1);
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(),
                               reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 5000,
                               &copied))
        return {};
    return std::wstring(buffer.data(), copied);
}

std::wstring ControlText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }

bool Click(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                          reinterpret_cast<LPARAM>(control)) != FALSE;
}

HWND FocusedWindow(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool PressKey(HWND window, UINT vk) {
    HWND target = FocusedWindow(window);
    if (!target) target = window;
    const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    const LPARAM up = down | (1LL << 30) | (1LL << 31);
    return ::PostMessageW(target, WM_KEYDOWN, vk, down) && ::PostMessageW(target, WM_KEYUP, vk, up);
}

bool CloseWindow(HWND window) {
    return ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

}  // namespace driver
