// Subclassing an existing control: unhandled messages reach the control's own procedure, which
// still paints and answers; the previous procedure comes back when the control goes away.
#include <gtest/gtest.h>

#include "TestDialogs.h"
#include "support/Wait.h"
#include "win/Handle.h"
#include "win/Module.h"
#include "win/Subclass.h"

namespace {

constexpr UINT kPing = WM_APP + 5;

class PingLabel : public win::CSubclassWindow {
public:
    int pings = 0;

protected:
    win::Reply OnMessage(UINT msg, WPARAM, LPARAM) override {
        if (msg != kPing) return win::NotHandled();
        ++pings;
        return win::Handled(7);
    }
};

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A modeless dialog of the test template, shown, destroyed at the end of the test.
class Window {
public:
    Window() {
        m_hwnd = ::CreateDialogParamW(win::ModuleInstance(), MAKEINTRESOURCEW(IDD_TEST), nullptr,
                                      PlainDialogProc, 0);
        ::ShowWindow(m_hwnd, SW_SHOWNORMAL);
        ::UpdateWindow(m_hwnd);
    }
    ~Window() {
        if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
    }
    HWND Get() const { return m_hwnd; }
    HWND Label() const { return ::GetDlgItem(m_hwnd, IDC_TEST_STATIC); }

private:
    HWND m_hwnd;
};

// Counts the pixels of a window's client area that differ from its top-left pixel.
int DrawnPixels(HWND hwnd) {
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    win::WindowDC dc(hwnd);
    const COLORREF background = ::GetPixel(dc.Get(), 0, 0);
    int drawn = 0;
    for (int y = 0; y < rc.bottom; ++y)
        for (int x = 0; x < rc.right; ++x)
            if (::GetPixel(dc.Get(), x, y) != background) ++drawn;
    return drawn;
}

TEST(Subclass, HandledMessagesStayUnhandledOnesReachTheControl) {
    Window window;
    ASSERT_TRUE(window.Get());
    PingLabel label;
    ASSERT_TRUE(label.SubclassWindow(window.Label()));
    EXPECT_EQ(label.Hwnd(), window.Label());

    EXPECT_EQ(::SendMessageW(window.Label(), kPing, 0, 0), 7);
    EXPECT_EQ(label.pings, 1);

    wchar_t text[64] = {};
    EXPECT_EQ(::SendMessageW(window.Label(), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text)), 11);
    EXPECT_STREQ(text, L"static text");
    EXPECT_TRUE(::SetWindowTextW(window.Label(), L"new text"));
    ::GetWindowTextW(window.Label(), text, 64);
    EXPECT_STREQ(text, L"new text");
}

TEST(Subclass, SubclassedStaticStillPaints) {
    Window window;
    PingLabel label;
    ASSERT_TRUE(label.SubclassWindow(window.Label()));

    ::RedrawWindow(window.Label(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    testing_support::PumpMessages();
    // The control's own WM_PAINT ran: nothing is left to paint, and its text is on the screen.
    EXPECT_FALSE(::GetUpdateRect(window.Label(), nullptr, FALSE));
    EXPECT_GT(DrawnPixels(window.Label()), 20);
}

TEST(Subclass, PutsThePreviousProcedureBackWhenTheControlIsDestroyed) {
    Window window;
    const LONG_PTR original = ::GetWindowLongPtrW(window.Label(), GWLP_WNDPROC);
    PingLabel label;
    ASSERT_TRUE(label.SubclassWindow(window.Label()));
    EXPECT_NE(::GetWindowLongPtrW(window.Label(), GWLP_WNDPROC), original);

    ::DestroyWindow(window.Label());
    EXPECT_EQ(label.Hwnd(), nullptr);
    EXPECT_EQ(label.UnsubclassWindow(), nullptr);
}

TEST(Subclass, PutsThePreviousProcedureBackWhenTheObjectGoesFirst) {
    Window window;
    const LONG_PTR original = ::GetWindowLongPtrW(window.Label(), GWLP_WNDPROC);
    {
        PingLabel label;
        ASSERT_TRUE(label.SubclassWindow(window.Label()));
    }
    EXPECT_EQ(::GetWindowLongPtrW(window.Label(), GWLP_WNDPROC), original);
    // The control answers on its own again.
    EXPECT_EQ(::SendMessageW(window.Label(), kPing, 0, 0), 0);
}

TEST(Subclass, RefusesNoWindowAndASecondWindow) {
    Window window;
    PingLabel label;
    EXPECT_FALSE(label.SubclassWindow(nullptr));
    ASSERT_TRUE(label.SubclassWindow(window.Label()));
    EXPECT_FALSE(label.SubclassWindow(::GetDlgItem(window.Get(), IDC_TEST_BUTTON)));
    EXPECT_EQ(label.Hwnd(), window.Label());
}

}  // namespace
