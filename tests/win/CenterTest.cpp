// Centring over the owner or the work area, and keeping the window inside the work area.
#include <gtest/gtest.h>

#include "TestDialogs.h"
#include "win/Center.h"
#include "win/Module.h"

namespace {

struct CenterCase {
    const char* name;
    RECT window, over, workArea;
    POINT expected;
};

TEST(Center, PositionTable) {
    const RECT work{0, 0, 1000, 700};
    const CenterCase cases[] = {
        {"centred in the work area", {0, 0, 200, 100}, work, work, {400, 300}},
        {"centred over an owner", {0, 0, 200, 100}, {100, 100, 500, 400}, work, {200, 200}},
        {"owner near the right edge: moved left",
         {0, 0, 200, 100},
         {850, 100, 1000, 200},
         work,
         {800, 100}},
        {"owner near the bottom: moved up",
         {0, 0, 200, 100},
         {100, 650, 300, 700},
         work,
         {100, 600}},
        {"owner partly off the left and top", {0, 0, 200, 100}, {-300, -200, 0, 0}, work, {0, 0}},
        {"larger than the work area: top-left stays visible",
         {0, 0, 1200, 900},
         work,
         work,
         {0, 0}},
        {"work area not at the origin",
         {0, 0, 100, 100},
         {50, 40, 250, 240},
         {50, 40, 250, 240},
         {100, 90}},
    };
    for (const auto& c : cases) {
        const POINT p = win::CenteredPosition(c.window, c.over, c.workArea);
        EXPECT_EQ(p.x, c.expected.x) << c.name;
        EXPECT_EQ(p.y, c.expected.y) << c.name;
    }
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

RECT WindowRect(HWND hwnd) {
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    return rc;
}

RECT WorkArea() {
    RECT rc{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

LONG MidX(const RECT& r) { return (r.left + r.right) / 2; }
LONG MidY(const RECT& r) { return (r.top + r.bottom) / 2; }

class CenterWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 60, 50, 400, 300,
                                    nullptr, nullptr, nullptr, nullptr);
        m_dialog = ::CreateDialogParamW(win::ModuleInstance(), MAKEINTRESOURCEW(IDD_TEST), m_owner,
                                        PlainDialogProc, 0);
        ASSERT_TRUE(m_owner && m_dialog);
    }
    void TearDown() override {
        ::DestroyWindow(m_dialog);
        ::DestroyWindow(m_owner);
    }
    HWND m_owner = nullptr;
    HWND m_dialog = nullptr;
};

TEST_F(CenterWindowTest, OverAVisibleOwner) {
    ::ShowWindow(m_owner, SW_SHOWNORMAL);
    const RECT before = WindowRect(m_dialog);
    ASSERT_TRUE(win::CenterWindow(m_dialog, m_owner));
    const RECT after = WindowRect(m_dialog);
    EXPECT_NEAR(MidX(after), MidX(WindowRect(m_owner)), 1);
    EXPECT_NEAR(MidY(after), MidY(WindowRect(m_owner)), 1);
    // Only the position changes.
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(CenterWindowTest, OverTheWorkAreaWhenTheOwnerIsHiddenOrMinimised) {
    for (int show : {SW_HIDE, SW_MINIMIZE}) {
        ::ShowWindow(m_owner, show);
        ASSERT_TRUE(win::CenterWindow(m_dialog, m_owner));
        const RECT after = WindowRect(m_dialog);
        EXPECT_NEAR(MidX(after), MidX(WorkArea()), 1) << show;
        EXPECT_NEAR(MidY(after), MidY(WorkArea()), 1) << show;
    }
}

TEST_F(CenterWindowTest, OverTheWorkAreaWithoutOwner) {
    ASSERT_TRUE(win::CenterWindow(m_dialog, nullptr));
    const RECT after = WindowRect(m_dialog);
    EXPECT_NEAR(MidX(after), MidX(WorkArea()), 1);
    EXPECT_NEAR(MidY(after), MidY(WorkArea()), 1);
}

}  // namespace
