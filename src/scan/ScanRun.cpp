#include "scan/ScanRun.h"

#include <cwchar>

#include "removal/DriveCleaning.h"
#include "removal/ProcessTermination.h"
#include "repair/RepairSystem.h"
#include "res/resource.h"
#include "scan/CompletionDialog.h"
#include "scan/ScanState.h"

namespace {

void TerminateWormProcesses() {
    TerminateProcessesByPath(L"wscript.exe");
    TerminateProcessesByPath(L"system\\svchost.exe");
}

bool StopRequested() { return g_scanState.stopRequested != 0; }

// Synchronous: returns once the dialog thread has set the text.
void SetStatus(HWND dialog, const wchar_t* text) {
    ::SetWindowTextW(::GetDlgItem(dialog, IDC_STATUS), text);
}

DWORD WINAPI ScanThread(void* dialog) {
    RunScan(static_cast<HWND>(dialog));
    return 0;
}

// Waits until the worker has ended. The worker's status writes are messages sent to this
// thread, so they are handled meanwhile; user input stays queued, so the button cannot act
// again before the summary is up.
void WaitForWorker() {
    while (g_scanState.workerBusy != 0) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

ScanStages& ActiveScanStages() {
    static ScanStages stages{TerminateWormProcesses, CleanFixedDrives, CleanRemovableDrives,
                             RepairSystem};
    return stages;
}

void RunScan(HWND dialog) {
    const ScanStages stages = ActiveScanStages();
    g_scanState.workerBusy = 1;

    SetStatus(dialog, kStatusProcesses);
    stages.terminateProcesses();
    if (!StopRequested()) {
        SetStatus(dialog, kStatusFixedDrives);
        stages.cleanFixedDrives();
        if (!StopRequested()) {
            SetStatus(dialog, kStatusRemovableDrives);
            stages.cleanRemovableDrives();
            if (!StopRequested()) {
                SetStatus(dialog, kStatusRepair);
                stages.repairSystem();
                SetStatus(dialog, kIdlePrompt);
                if (!StopRequested()) g_scanState.scanFinished = 1;
            }
        }
    }

    g_scanState.workerBusy = 0;
}

void OnStartStop(HWND dialog) {
    HWND button = ::GetDlgItem(dialog, IDC_START_STOP);
    wchar_t caption[512] = {};
    if (::GetWindowTextW(button, caption, 512) == 0) return;

    if (std::wcscmp(caption, kStartCaption) == 0) {
        g_scanState.stopRequested = 0;
        g_scanState.virusCount = 0;
        g_scanState.restoredCount = 0;
        // Busy from here, not from the worker's first step: a stop pressed before the new
        // thread has begun must still wait for it.
        g_scanState.workerBusy = 1;
        HANDLE thread = ::CreateThread(nullptr, 0, ScanThread, dialog, 0, nullptr);
        if (thread) {
            ::CloseHandle(thread);  // never joined
        } else {
            g_scanState.workerBusy = 0;
        }
        ::SetWindowTextW(button, kStopCaption);
        return;
    }

    g_scanState.stopRequested = 1;
    WaitForWorker();
    // A run that finished just before the stop has had its summary now: no second one.
    g_scanState.scanFinished.exchange(0);
    RunCompletionDialog();
    ::SetWindowTextW(button, kStartCaption);
    ::SetWindowTextW(::GetDlgItem(dialog, IDC_STATUS), kIdlePrompt);
}

void OnTimer(HWND dialog) {
    if (g_scanState.scanFinished == 0) return;
    if (g_scanState.scanFinished.exchange(0) == 0) return;
    RunCompletionDialog();
    ::SetWindowTextW(::GetDlgItem(dialog, IDC_START_STOP), kStartCaption);
}
