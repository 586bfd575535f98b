// The main dialog run in the test's own process, so that its state can be looked at directly.
#include <gtest/gtest.h>

#include <functional>

#include "app/MainDlg.h"

namespace {

constexpr UINT kRunChecks = WM_APP + 100;

// The real dialog, with a hook that runs checks from inside its modal loop and then ends it.
class HookedMainDlg : public CMainDlg {
public:
    std::function<void(HWND)> checks;

protected:
    win::Reply OnInitDialog(HWND focus) override {
        const win::Reply reply = CMainDlg::OnInitDialog(focus);
        ::PostMessageW(Hwnd(), kRunChecks, 0, 0);
        return reply;
    }
    win::Reply OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != kRunChecks) return CMainDlg::OnMessage(msg, wParam, lParam);
        if (checks) checks(Hwnd());
        EndDialog(IDCANCEL);
        return win::Handled();
    }
};

TEST(MainDlg, SetsTheBigAndSmallApplicationIcons) {
    HookedMainDlg dlg;
    HICON big = nullptr, small = nullptr;
    dlg.checks = [&](HWND hwnd) {
        big = reinterpret_cast<HICON>(::SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
        small = reinterpret_cast<HICON>(::SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
    };
    EXPECT_EQ(dlg.DoModal(nullptr), IDCANCEL);
    ASSERT_NE(big, nullptr);
    ASSERT_NE(small, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(big, &info));
    BITMAP bm{};
    ::GetObjectW(info.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, ::GetSystemMetrics(SM_CXICON));
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
}

}  // namespace
