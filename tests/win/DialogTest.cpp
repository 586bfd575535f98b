// The modal dialog base: each message kind reaches its handler, handled results reach the
// sender, unhandled messages get the system's default dialog handling.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TestDialogs.h"
#include "win/Dialog.h"
#include "win/Handle.h"

namespace {

constexpr UINT kRunChecks = WM_APP + 1;
constexpr UINT kAnswer42 = WM_APP + 2;

// Records what reaches each handler; runs `checks` from inside the modal loop.
class RecordingDlg : public win::CDialog {
public:
    RecordingDlg() : win::CDialog(IDD_TEST) {}

    std::vector<std::string> calls;
    std::function<void(RecordingDlg&)> checks;
    bool handleErase = false;
    bool endAfterChecks = true;

protected:
    win::Reply OnInitDialog(HWND) override {
        calls.push_back("init " + std::to_string(Hwnd() != nullptr));
        ::PostMessageW(Hwnd(), WM_TIMER, 7, 0);
        // The high word (notification code) must not hide the command id.
        ::PostMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, 0x1234), 0);
        ::PostMessageW(Hwnd(), kRunChecks, 0, 0);
        return win::Handled(TRUE);
    }
    win::Reply OnCommand(WORD id, WORD code, HWND) override {
        calls.push_back("command " + std::to_string(id) + " " + std::to_string(code));
        if (id == IDCANCEL) {
            EndDialog(2);
            return win::Handled();
        }
        return win::Handled();
    }
    win::Reply OnTimer(UINT_PTR id) override {
        calls.push_back("timer " + std::to_string(id));
        return win::Handled();
    }
    win::Reply OnEraseBackground(HDC) override {
        if (!handleErase) return win::NotHandled();
        calls.push_back("erase");
        return win::Handled(1);
    }
    win::Reply OnMessage(UINT msg, WPARAM, LPARAM) override {
        if (msg == kAnswer42) return win::Handled(42);
        if (msg == kRunChecks) {
            if (checks) checks(*this);
            if (endAfterChecks) EndDialog(77);
            return win::Handled();
        }
        return win::NotHandled();
    }
};

TEST(Dialog, DispatchesEachMessageKindToItsHandlerAndEndsWithTheResult) {
    RecordingDlg dlg;
    EXPECT_EQ(dlg.DoModal(nullptr), 77);
    const std::vector<std::string> expected = {"init 1", "timer 7", "command 11 4660"};
    EXPECT_EQ(dlg.calls, expected);
    EXPECT_EQ(dlg.Hwnd(), nullptr);  // let go of the window once it is destroyed
}

TEST(Dialog, HandledResultsReachTheSender) {
    RecordingDlg dlg;
    dlg.handleErase = true;
    LRESULT answer = 0, erase = 0;
    dlg.checks = [&](RecordingDlg& d) {
        answer = ::SendMessageW(d.Hwnd(), kAnswer42, 0, 0);
        win::WindowDC dc(d.Hwnd());
        erase = ::SendMessageW(d.Hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    };
    dlg.DoModal(nullptr);
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(erase, 1);
    EXPECT_EQ(dlg.calls.back(), "erase");
}

TEST(Dialog, UnhandledMessagesGetTheDefaultDialogHandling) {
    RecordingDlg dlg;
    std::wstring title;
    HWND focus = nullptr, button = nullptr;
    dlg.checks = [&](RecordingDlg& d) {
        wchar_t text[64] = {};
        ::SendMessageW(d.Hwnd(), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        title = text;
        focus = ::GetFocus();
        button = d.GetItem(IDC_TEST_BUTTON);
    };
    dlg.DoModal(nullptr);
    EXPECT_EQ(title, L"Framework test");
    // TRUE from OnInitDialog: the system gave the focus to the first tab stop.
    EXPECT_EQ(focus, button);
}

TEST(Dialog, EscapeArrivesAsCancelCommand) {
    RecordingDlg dlg;
    dlg.endAfterChecks = false;
    dlg.checks = [](RecordingDlg&) { ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1); };
    EXPECT_EQ(dlg.DoModal(nullptr), 2);
    EXPECT_EQ(dlg.calls.back(), "command 2 0");
}

TEST(Dialog, MissingTemplateGivesMinusOne) {
    class NoTemplate : public win::CDialog {
    public:
        NoTemplate() : win::CDialog(9999) {}
    } dlg;
    EXPECT_EQ(dlg.DoModal(nullptr), -1);
}

}  // namespace
