// The summary sentence, and what each way of closing the completion dialog opens.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "driver/Driver.h"
#include "scan/CompletionDialog.h"
#include "scan/ScanState.h"
#include "support/BrowserLog.h"
#include "support/Utf8.h"
#include "support/Wait.h"

namespace {

TEST(BuildSummary, AllEightCombinations) {
    struct Case {
        bool stopped;
        int32_t virus, restored;
        const wchar_t* summary;
    };
    const Case cases[] = {
        {false, 0, 0, L"扫描完成，未发现病毒，未发现系统损坏"},
        {false, 3, 0, L"扫描完成，查出3个病毒，未发现系统损坏"},
        {false, 0, 2, L"扫描完成，未发现病毒，恢复2个项目"},
        {false, 3, 12, L"扫描完成，查出3个病毒，恢复12个项目"},
        {true, 0, 0, L"已被用户终止，未发现病毒，未发现系统损坏"},
        {true, 1, 0, L"已被用户终止，查出1个病毒，未发现系统损坏"},
        {true, 0, 2, L"已被用户终止，未发现病毒，恢复2个项目"},
        {true, 10000, 1234, L"已被用户终止，查出10000个病毒，恢复1234个项目"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuildSummary(c.stopped, c.virus, c.restored), c.summary)
            << c.stopped << " " << c.virus << " " << c.restored;
    }
}

TEST(DownloadAddress, IsThePlainHttpAddressOfTheInstaller) {
    const std::wstring address = DownloadAddress();
    EXPECT_EQ(address.rfind(L"http://", 0), 0u);
    EXPECT_EQ(address.substr(address.size() - 14), L"/zozirezuv.exe");
}

// What the user thread saw of the completion dialog.
struct Seen {
    std::wstring summary;
    bool focusOnDownload = false;
    bool found = false;
};

// Shows the dialog for the given counts while a second thread plays the user: reads what the
// dialog shows, then closes it with `close`.
Seen ShowCompletionDialog(int32_t stopped, int32_t virus, int32_t restored,
                          const std::function<void(HWND)>& close) {
    g_scanState.stopRequested = stopped;
    g_scanState.virusCount = virus;
    g_scanState.restoredCount = restored;
    Seen seen;
    std::thread user([&] {
        HWND dialog = driver::WaitForDoneDialog(10000, ::GetCurrentProcessId());
        if (!dialog) return;
        seen.found = true;
        seen.summary = driver::ControlText(dialog, 1019);
        testing_support::WaitUntil(
            [&] { return driver::FocusedWindow(dialog) == ::GetDlgItem(dialog, IDOK); }, 3000);
        seen.focusOnDownload = driver::FocusedWindow(dialog) == ::GetDlgItem(dialog, IDOK);
        close(dialog);
    });
    RunCompletionDialog();
    user.join();
    return seen;
}

TEST(CompletionDialog, ShowsTheSummaryWithTheFocusOnDownload) {
    testing_support::ClearBrowserLog();
    const Seen seen = ShowCompletionDialog(0, 3, 12, [](HWND d) { driver::Click(d, IDCANCEL); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.summary, L"扫描完成，查出3个病毒，恢复12个项目");
    EXPECT_TRUE(seen.focusOnDownload);
}

TEST(CompletionDialog, OnlyAcceptingOpensTheDownloadAddressOnce) {
    struct Case {
        const char* name;
        std::function<void(HWND)> close;
        size_t opened;
    };
    const Case cases[] = {
        {"Enter", [](HWND d) { driver::PressKey(d, VK_RETURN); }, 1},
        {"立即下载", [](HWND d) { driver::Click(d, IDOK); }, 1},
        {"Escape", [](HWND d) { driver::PressKey(d, VK_ESCAPE); }, 0},
        {"取消", [](HWND d) { driver::Click(d, IDCANCEL); }, 0},
        {"close box", [](HWND d) { driver::CloseWindow(d); }, 0},
    };
    const std::string address = testing_support::Utf8(DownloadAddress());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::ClearBrowserLog();
        ASSERT_TRUE(ShowCompletionDialog(1, 1, 0, c.close).found);
        // The recorder runs in a process of its own: give it time to write, then count.
        testing_support::WaitForBrowserLog(c.opened ? c.opened : 1, c.opened ? 10000 : 1500);
        ::Sleep(300);
        const auto log = testing_support::BrowserLog();
        ASSERT_EQ(log.size(), c.opened);
        if (c.opened) {
            EXPECT_EQ(log[0], address);
        }
    }
    testing_support::ClearBrowserLog();
}

}  // namespace
