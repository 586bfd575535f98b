// tarlisk_driver: works the real program's windows from the command line, for the demo and for
// looking at the program by hand. Each argument is one step, run in order:
//
//   wait[=MS]         wait for the main window (default 15000 ms)
//   text=ID           print the text of control ID
//   focus             print the id of the control that has the focus
//   click=ID          click control ID (posted WM_COMMAND)
//   key=escape|enter  press a key in the focused control
//   close             the close box
//   screenshot=FILE   save the main window as a .bmp
//   summary[=MS]      wait for the completion dialog and print its summary
//   answer=ID         click button ID (1 or 2) of the completion dialog
//   sleep=MS          wait
//
// Prints one line per step that reads something; exits with 1 at the first step that fails.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "driver/Driver.h"
#include "support/Utf8.h"

namespace {

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool Fail(const wchar_t* step) {
    Print("failed: " + testing_support::Utf8(step));
    return false;
}

bool RunStep(const std::wstring& step, HWND& main) {
    const size_t eq = step.find(L'=');
    const std::wstring name = step.substr(0, eq);
    const std::wstring value = eq == std::wstring::npos ? L"" : step.substr(eq + 1);
    const int number = value.empty() ? 0 : _wtoi(value.c_str());

    if (name == L"sleep") {
        ::Sleep(number);
        return true;
    }
    if (name == L"wait") {
        main = driver::WaitForMainWindow(number ? number : 15000);
        if (!main) return Fail(step.c_str());
        Print("window: " + testing_support::Utf8(driver::WindowText(main)));
        return true;
    }
    if (name == L"summary") {
        HWND done = driver::WaitForDoneDialog(number ? number : 15000);
        if (!done) return Fail(step.c_str());
        Print("summary: " + testing_support::Utf8(driver::ControlText(done, 1019)));
        return true;
    }
    if (name == L"answer") {
        HWND done = driver::WaitForDoneDialog(5000);
        return (done && driver::Click(done, number)) || Fail(step.c_str());
    }
    if (!main) main = driver::WaitForMainWindow(15000);
    if (!main) return Fail(step.c_str());

    if (name == L"text") {
        Print("text " + std::to_string(number) + ": " +
              testing_support::Utf8(driver::ControlText(main, number)));
        return true;
    }
    if (name == L"focus") {
        Print("focus: " + std::to_string(::GetDlgCtrlID(driver::FocusedWindow(main))));
        return true;
    }
    if (name == L"click") return driver::Click(main, number) || Fail(step.c_str());
    if (name == L"key") {
        const UINT vk = value == L"escape" ? VK_ESCAPE : value == L"enter" ? VK_RETURN : 0;
        return (vk && driver::PressKey(main, vk)) || Fail(step.c_str());
    }
    if (name == L"close") return driver::CloseWindow(main) || Fail(step.c_str());
    if (name == L"screenshot") {
        if (!driver::SaveScreenshot(main, value)) return Fail(step.c_str());
        Print("screenshot: " + testing_support::Utf8(value));
        return true;
    }
    return Fail(step.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HWND main = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!RunStep(argv[i], main)) return 1;
    }
    return 0;
}
