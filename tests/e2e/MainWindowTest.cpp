// The real program: its window comes up as the user sees it, and it ends with the dialog's result.
#include <windows.h>

#include <gtest/gtest.h>

#include "driver/Driver.h"
#include "support/HostPath.h"
#include "support/Process.h"
#include "support/Utf8.h"
#include "support/Wait.h"

namespace {

constexpr wchar_t kIdlePrompt[] = L"请点击“开始查杀”，立即检测并清除赤影(Tarlisk)病毒";

class MainWindow : public ::testing::Test {
protected:
    // Starts the program and waits for its main window.
    void Launch(const std::wstring& arguments = L"") {
        ASSERT_TRUE(m_program.Start(testing_support::ProgramPath(), arguments))
            << "cannot start " << testing_support::Utf8(testing_support::ProgramPath());
        m_main = driver::WaitForMainWindow(15000, m_program.Id());
        ASSERT_NE(m_main, nullptr) << "the main window did not appear";
    }

    // The window shows what a user sees before a scan.
    void ExpectIdleWindow() {
        EXPECT_EQ(driver::WindowText(m_main), driver::kMainTitle);
        EXPECT_EQ(driver::ControlText(m_main, 1017), kIdlePrompt);
        EXPECT_EQ(driver::ControlText(m_main, 1008), L"开始查杀");
        EXPECT_TRUE(testing_support::WaitUntil(
            [&] { return driver::FocusedWindow(m_main) == ::GetDlgItem(m_main, 1008); }, 5000))
            << "the start/stop button does not have the focus";
    }

    testing_support::ChildProcess m_program;
    HWND m_main = nullptr;
};

TEST_F(MainWindow, ComesUpIdleWithTheFocusOnTheButtonAndEscapeEndsWithTwo) {
    Launch();
    ExpectIdleWindow();
    EXPECT_TRUE(
        driver::SaveScreenshot(m_main, testing_support::ScreenshotDir() + L"main-window.bmp"));

    ASSERT_TRUE(driver::PressKey(m_main, VK_ESCAPE));
    EXPECT_EQ(m_program.WaitForExit(), 2u);
}

TEST_F(MainWindow, IsCentredInTheWorkArea) {
    Launch();
    RECT window, work;
    ASSERT_TRUE(::GetWindowRect(m_main, &window));
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
    driver::CloseWindow(m_main);
    EXPECT_EQ(m_program.WaitForExit(), 2u);
}

TEST_F(MainWindow, CommandLineArgumentsChangeNothing) {
    Launch(L"/S --scan C:\\ -quiet");
    ExpectIdleWindow();
    driver::CloseWindow(m_main);
    EXPECT_EQ(m_program.WaitForExit(), 2u);
}

TEST_F(MainWindow, CommandsEndTheDialogWithTheirResult) {
    // IDOK ends with 1; IDCANCEL with 2 whatever the notification code in the high word.
    struct Case {
        WPARAM wParam;
        DWORD exitCode;
    };
    for (const Case& c : {Case{MAKEWPARAM(IDOK, 0), 1}, Case{MAKEWPARAM(IDCANCEL, 0x55), 2}}) {
        Launch();
        ASSERT_TRUE(::PostMessageW(m_main, WM_COMMAND, c.wParam, 0));
        EXPECT_EQ(m_program.WaitForExit(), c.exitCode);
        ASSERT_TRUE(testing_support::WaitUntil(
            [] { return !::FindWindowW(L"#32770", driver::kMainTitle); }));
    }
}

}  // namespace
