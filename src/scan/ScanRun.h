// One scan run: the worker with its stage order and status texts, and the two handlers of the
// main dialog that start, stop and finish a run.
#pragma once

#include <windows.h>

inline constexpr wchar_t kStartCaption[] = L"开始查杀";
inline constexpr wchar_t kStopCaption[] = L"停止查杀";
inline constexpr wchar_t kIdlePrompt[] = L"请点击“开始查杀”，立即检测并清除赤影(Tarlisk)病毒";
inline constexpr wchar_t kStatusProcesses[] = L"正在结束病毒进程...";
inline constexpr wchar_t kStatusFixedDrives[] = L"正在清除本地病毒...";
inline constexpr wchar_t kStatusRemovableDrives[] = L"正在清除U盘病毒...";
inline constexpr wchar_t kStatusRepair[] = L"正在修复系统...";

// The stages that a run goes through, in order. Tests put stand-ins here to hold a run at a
// chosen stage; the program always runs the real ones.
struct ScanStages {
    void (*terminateProcesses)();
    void (*cleanFixedDrives)();
    void (*cleanRemovableDrives)();
    void (*repairSystem)();
};
ScanStages& ActiveScanStages();

// The worker: runs the stages on its own thread, writing each stage's text into the status
// line of `dialog`. It holds only the window handle, so once the dialog is gone its writes fail
// harmlessly.
void RunScan(HWND dialog);

// The start/stop button (command 1008): starts a run, or stops the running one and shows its
// summary once the worker has ended.
void OnStartStop(HWND dialog);
// Timer 1: shows the summary of a run that has finished.
void OnTimer(HWND dialog);
