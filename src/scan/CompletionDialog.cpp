#include "scan/CompletionDialog.h"

#include <shellapi.h>

#include "HostNames.h"
#include "res/resource.h"
#include "scan/ScanState.h"

std::wstring BuildSummary(bool stopped, int32_t virusCount, int32_t restoredCount) {
    std::wstring text = stopped ? L"已被用户终止，" : L"扫描完成，";
    if (virusCount != 0) {
        text += L"查出" + std::to_wstring(virusCount) + L"个病毒，";
    } else {
        text += L"未发现病毒，";
    }
    if (restoredCount != 0) {
        text += L"恢复" + std::to_wstring(restoredCount) + L"个项目";
    } else {
        text += L"未发现系统损坏";
    }
    return text;
}

std::wstring DownloadAddress() {
    return std::wstring(L"http://") + hosts::kDownload + L"/zozirezuv.exe";
}

COKDlg::COKDlg() : win::CDialog(IDD_DONE) {}

win::Reply COKDlg::OnInitDialog(HWND) {
    CenterWindow();
    // The worker has ended: the counts are final.
    const std::wstring summary = BuildSummary(g_scanState.stopRequested != 0,
                                              g_scanState.virusCount, g_scanState.restoredCount);
    ::SetWindowTextW(GetItem(IDC_SUMMARY), summary.c_str());
    return win::Handled(TRUE);
}

win::Reply COKDlg::OnCommand(WORD id, WORD, HWND) {
    if (id != IDOK && id != IDCANCEL) return win::NotHandled();
    EndDialog(id);
    return win::Handled();
}

void RunCompletionDialog() {
    COKDlg dlg;
    if (dlg.DoModal(::GetActiveWindow()) == IDOK) {
        ::ShellExecuteW(nullptr, L"open", DownloadAddress().c_str(), nullptr, nullptr,
                        SW_SHOWNORMAL);
    }
}
