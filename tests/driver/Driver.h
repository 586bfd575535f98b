// Drives the real program from another process of the sandbox: finds its windows by title,
// reads control texts, clicks by posting WM_COMMAND (a sent click would block while the click
// opens a modal dialog), and sends keys to the focused control.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

inline constexpr wchar_t kMainTitle[] = L"赤影(Tarlisk)U盘病毒专杀工具 - 诺瓦安全系列产品";
inline constexpr wchar_t kDoneTitle[] = L"赤影(Tarlisk)U盘病毒专杀工具";

// A visible dialog window (class #32770) with exactly this title, of the process `processId`
// (0: of any process), waited for up to timeoutMs. Naming the process keeps a window of a program
// that is just ending from being taken for the one just started.
HWND WaitForDialog(const wchar_t* title, unsigned timeoutMs, DWORD processId = 0);
HWND WaitForMainWindow(unsigned timeoutMs = 15000, DWORD processId = 0);
HWND WaitForDoneDialog(unsigned timeoutMs = 15000, DWORD processId = 0);

// The text of a control (WM_GETTEXT); empty when there is no such control.
std::wstring ControlText(HWND dialog, int id);
// The window text of a top-level window.
std::wstring WindowText(HWND hwnd);

// A click on a button or link: WM_COMMAND with the control's id, posted.
bool Click(HWND dialog, int id);
// The control that has the keyboard focus in the window's thread; null when none.
HWND FocusedWindow(HWND window);
// A key press (down and up) posted to the focused control of the window's thread.
bool PressKey(HWND window, UINT vk);
// The close box: WM_SYSCOMMAND SC_CLOSE, posted.
bool CloseWindow(HWND window);

// Writes the window, as the screen shows it, to a 24-bit .bmp file.
bool SaveScreenshot(HWND window, const std::wstring& path);

}  // namespace driver
