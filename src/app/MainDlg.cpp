#include "app/MainDlg.h"

#include "removal/ProcessTermination.h"
#include "res/resource.h"
#include "scan/ScanRun.h"
#include "win/Module.h"

namespace {

constexpr UINT_PTR kFinishTimer = 1;
constexpr UINT kFinishTimerPeriodMs = 200;

HICON LoadAppIcon(int sizeX, int sizeY) {
    return static_cast<HICON>(::LoadImageW(win::ModuleInstance(), MAKEINTRESOURCEW(IDI_APP),
                                           IMAGE_ICON, sizeX, sizeY, LR_DEFAULTCOLOR));
}

}  // namespace

CMainDlg::CMainDlg() : win::CDialog(IDD_MAIN) {}

win::Reply CMainDlg::OnInitDialog(HWND) {
    CenterWindow();

    m_hIcon = LoadAppIcon(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    HICON smallIcon = LoadAppIcon(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));

    ::SetTimer(Hwnd(), kFinishTimer, kFinishTimerPeriodMs, nullptr);
    EnableDebugPrivilege();

    // TRUE: the system puts the focus on the first tab stop, the start/stop button.
    return win::Handled(TRUE);
}

win::Reply CMainDlg::OnCommand(WORD id, WORD, HWND) {
    switch (id) {
        case IDOK:
            EndDialog(IDOK);
            return win::Handled();
        case IDCANCEL:
            EndDialog(IDCANCEL);
            return win::Handled();
        case IDC_START_STOP:
            OnStartStop(Hwnd());
            return win::Handled();
        default:
            return win::NotHandled();
    }
}

win::Reply CMainDlg::OnTimer(UINT_PTR id) {
    if (id == kFinishTimer) ::OnTimer(Hwnd());
    return win::Handled();
}
