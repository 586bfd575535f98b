// The run protocol with the real main dialog. Stand-in stages record what ran and what the
// status line said, raise the counters, and can hold the worker at a gate, so that a stop can
// be pressed during any chosen stage. A second thread plays the user.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/MainDlg.h"
#include "driver/Driver.h"
#include "res/resource.h"
#include "scan/ScanRun.h"
#include "scan/ScanState.h"
#include "support/Wait.h"

namespace {

constexpr int kStages = 4;
const wchar_t* const kStageStatus[kStages] = {kStatusProcesses, kStatusFixedDrives,
                                              kStatusRemovableDrives, kStatusRepair};

// Shared between the stand-in stages (worker thread) and the test.
struct Stages {
    std::mutex mutex;
    std::vector<int> ran;
    std::vector<std::wstring> statusSeen;
    HANDLE gate[kStages] = {};     // manual-reset events: a stage waits until its gate is open
    HANDLE entered[kStages] = {};  // set when a stage has begun
    HWND dialog = nullptr;
    std::atomic<int> scale{1};  // multiplies what the stages count

    Stages() {
        for (int i = 0; i < kStages; ++i) {
            gate[i] = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
            entered[i] = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        }
    }
    ~Stages() {
        for (int i = 0; i < kStages; ++i) {
            ::CloseHandle(gate[i]);
            ::CloseHandle(entered[i]);
        }
    }
    void NewRun() {
        std::lock_guard<std::mutex> lock(mutex);
        ran.clear();
        statusSeen.clear();
        for (HANDLE e : entered) ::ResetEvent(e);
    }
};

Stages* g_stages = nullptr;

void RunStage(int index) {
    wchar_t status[256] = {};
    ::InternalGetWindowText(::GetDlgItem(g_stages->dialog, IDC_STATUS), status, 256);
    {
        std::lock_guard<std::mutex> lock(g_stages->mutex);
        g_stages->ran.push_back(index);
        g_stages->statusSeen.push_back(status);
    }
    ::SetEvent(g_stages->entered[index]);
    ::WaitForSingleObject(g_stages->gate[index], 30000);
    // Counts that tell the stages apart: fixed +1/+1, removable +2/0, repair 0/+3.
    const int scale = g_stages->scale;
    if (index == 1) {
        g_scanState.virusCount += scale;
        g_scanState.restoredCount += scale;
    } else if (index == 2) {
        g_scanState.virusCount += 2 * scale;
    } else if (index == 3) {
        g_scanState.restoredCount += 3 * scale;
    }
}

// The main dialog, with the finish timer under the test's control.
class TestMainDlg : public CMainDlg {
public:
    std::atomic<bool> ticks{true};

protected:
    win::Reply OnInitDialog(HWND focus) override {
        g_stages->dialog = Hwnd();
        return CMainDlg::OnInitDialog(focus);
    }
    win::Reply OnTimer(UINT_PTR id) override {
        if (!ticks) return win::Handled();
        return CMainDlg::OnTimer(id);
    }
};

class ScanProtocol : public ::testing::Test {
protected:
    void SetUp() override {
        g_stages = &m_stages;
        m_saved = ActiveScanStages();
        ActiveScanStages() = {[] { RunStage(0); }, [] { RunStage(1); }, [] { RunStage(2); },
                              [] { RunStage(3); }};
        g_scanState.stopRequested = 0;
        g_scanState.scanFinished = 0;
        g_scanState.workerBusy = 0;
    }
    void TearDown() override {
        ActiveScanStages() = m_saved;
        g_stages = nullptr;
    }

    // Runs the main dialog while `user` plays the user on another thread; closes it after.
    void RunDialog(const std::function<void(HWND)>& user) {
        std::thread player([&] {
            HWND main = driver::WaitForMainWindow(10000, ::GetCurrentProcessId());
            if (!main) return;
            user(main);
            driver::Click(main, IDCANCEL);
        });
        m_dialog.DoModal(nullptr);
        player.join();
    }

    // What the user sees once a summary is up, after closing it.
    struct Summary {
        std::wstring text, statusWhileOpen, captionWhileOpen, statusAfter, captionAfter;
    };
    static Summary TakeSummary(HWND main) {
        Summary s;
        HWND done = driver::WaitForDoneDialog(15000, ::GetCurrentProcessId());
        if (!done) return s;
        s.text = driver::ControlText(done, IDC_SUMMARY);
        s.statusWhileOpen = driver::ControlText(main, IDC_STATUS);
        s.captionWhileOpen = driver::ControlText(main, IDC_START_STOP);
        driver::Click(done, IDCANCEL);
        testing_support::WaitUntil(
            [&] { return driver::ControlText(main, IDC_START_STOP) == kStartCaption; });
        s.statusAfter = driver::ControlText(main, IDC_STATUS);
        s.captionAfter = driver::ControlText(main, IDC_START_STOP);
        return s;
    }

    static void Press(HWND main) { driver::Click(main, IDC_START_STOP); }

    Stages m_stages;
    ScanStages m_saved{};
    TestMainDlg m_dialog;
};

TEST_F(ScanProtocol, FinishedRunShowsEachStageTextThenTheSummary) {
    Summary summary;
    std::wstring captionDuringRun;
    RunDialog([&](HWND main) {
        m_stages.NewRun();
        ::ResetEvent(m_stages.gate[3]);
        Press(main);
        ::WaitForSingleObject(m_stages.entered[3], 10000);
        captionDuringRun = driver::ControlText(main, IDC_START_STOP);
        ::SetEvent(m_stages.gate[3]);
        summary = TakeSummary(main);
    });
    EXPECT_EQ(m_stages.ran, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(m_stages.statusSeen,
              (std::vector<std::wstring>{kStatusProcesses, kStatusFixedDrives,
                                         kStatusRemovableDrives, kStatusRepair}));
    EXPECT_EQ(captionDuringRun, kStopCaption);
    EXPECT_EQ(summary.text, L"扫描完成，查出3个病毒，恢复4个项目");
    EXPECT_EQ(summary.captionWhileOpen, kStopCaption);
    EXPECT_EQ(summary.statusWhileOpen, kIdlePrompt);
    EXPECT_EQ(summary.captionAfter, kStartCaption);
    EXPECT_EQ(summary.statusAfter, kIdlePrompt);
}

TEST_F(ScanProtocol, StopDuringEachStage) {
    struct Case {
        int stage;
        std::vector<int> ran;
        const wchar_t* statusWhileOpen;
        const wchar_t* summary;
    };
    const Case cases[] = {
        {0, {0}, kStatusProcesses, L"已被用户终止，未发现病毒，未发现系统损坏"},
        {1, {0, 1}, kStatusFixedDrives, L"已被用户终止，查出1个病毒，恢复1个项目"},
        {2, {0, 1, 2}, kStatusRemovableDrives, L"已被用户终止，查出3个病毒，恢复1个项目"},
        // The repair finishes its item, then the worker still writes the idle prompt.
        {3, {0, 1, 2, 3}, kIdlePrompt, L"已被用户终止，查出3个病毒，恢复4个项目"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("stop during stage " + std::to_string(c.stage));
        Summary summary;
        bool summaryBeforeStageEnded = false;
        int secondSummaries = 0;
        RunDialog([&](HWND main) {
            m_stages.NewRun();
            for (HANDLE g : m_stages.gate) ::SetEvent(g);
            ::ResetEvent(m_stages.gate[c.stage]);
            Press(main);
            ::WaitForSingleObject(m_stages.entered[c.stage], 10000);
            Press(main);
            testing_support::WaitUntil([] { return g_scanState.stopRequested == 1; });
            // The dialog waits for the worker, which is still in its stage: no summary yet.
            summaryBeforeStageEnded = driver::WaitForDoneDialog(500) != nullptr;
            ::SetEvent(m_stages.gate[c.stage]);
            summary = TakeSummary(main);
            // The timer must not show a second summary for the same run.
            secondSummaries = driver::WaitForDoneDialog(800) != nullptr;
        });
        EXPECT_FALSE(summaryBeforeStageEnded);
        EXPECT_EQ(m_stages.ran, c.ran);
        EXPECT_EQ(summary.text, c.summary);
        EXPECT_EQ(summary.statusWhileOpen, c.statusWhileOpen);
        EXPECT_EQ(summary.captionWhileOpen, kStopCaption);
        EXPECT_EQ(summary.statusAfter, kIdlePrompt);
        EXPECT_EQ(summary.captionAfter, kStartCaption);
        EXPECT_EQ(secondSummaries, 0);
    }
}

TEST_F(ScanProtocol, StartThenImmediateStopStillRunsTheWholeTerminationStage) {
    Summary summary;
    RunDialog([&](HWND main) {
        m_stages.NewRun();
        ::ResetEvent(m_stages.gate[0]);
        // Both presses queued at once: the stop may come before the worker's first step.
        Press(main);
        Press(main);
        testing_support::WaitUntil([] { return g_scanState.stopRequested == 1; });
        ::Sleep(300);
        ::SetEvent(m_stages.gate[0]);
        summary = TakeSummary(main);
    });
    EXPECT_EQ(m_stages.ran, (std::vector<int>{0}));
    EXPECT_EQ(summary.text, L"已被用户终止，未发现病毒，未发现系统损坏");
}

TEST_F(ScanProtocol, TwoRunsInARowCountOnlyTheSecond) {
    Summary first, second;
    RunDialog([&](HWND main) {
        m_stages.NewRun();
        Press(main);
        first = TakeSummary(main);
        m_stages.NewRun();
        m_stages.scale = 10;
        Press(main);
        second = TakeSummary(main);
    });
    EXPECT_EQ(first.text, L"扫描完成，查出3个病毒，恢复4个项目");
    EXPECT_EQ(second.text, L"扫描完成，查出30个病毒，恢复40个项目");
}

TEST_F(ScanProtocol, StopAfterTheRunFinishedButBeforeTheTickShowsOneSummary) {
    Summary summary;
    bool second = true;
    RunDialog([&](HWND main) {
        m_dialog.ticks = false;
        m_stages.NewRun();
        Press(main);
        testing_support::WaitUntil(
            [] { return g_scanState.scanFinished == 1 && g_scanState.workerBusy == 0; });
        Press(main);
        summary = TakeSummary(main);
        m_dialog.ticks = true;
        second = driver::WaitForDoneDialog(1000) != nullptr;
    });
    EXPECT_EQ(summary.text, L"已被用户终止，查出3个病毒，恢复4个项目");
    EXPECT_FALSE(second);
    EXPECT_EQ(g_scanState.scanFinished, 0);
}

}  // namespace
