// The program's only window: the start/stop button, the status line and the three links.
#pragma once

#include <windows.h>

#include "win/Dialog.h"

class CMainDlg : public win::CDialog {
public:
    CMainDlg();

protected:
    win::Reply OnInitDialog(HWND focus) override;
    win::Reply OnCommand(WORD id, WORD code, HWND control) override;
    win::Reply OnTimer(UINT_PTR id) override;

private:
    // The application icon at the large-icon size; loaded once, never released.
    HICON m_hIcon = nullptr;
};
