// The summary at the end of every run, and the offer to download the maker's full scanner.
#pragma once

#include <cstdint>
#include <string>

#include "win/Dialog.h"

// The sentence that sums up a run, such as "扫描完成，查出3个病毒，恢复12个项目".
std::wstring BuildSummary(bool stopped, int32_t virusCount, int32_t restoredCount);

// "http://<download host>/zozirezuv.exe"
std::wstring DownloadAddress();

class COKDlg : public win::CDialog {
public:
    COKDlg();

protected:
    win::Reply OnInitDialog(HWND focus) override;
    win::Reply OnCommand(WORD id, WORD code, HWND control) override;
};

// Shows COKDlg for the run that has just ended, owned by the active window; opens the download
// address when the user accepts.
void RunCompletionDialog();
