// The real program in a sandbox PC planted with the worm's traces: a scan removes every trace,
// leaves every bystander as it was, and sums it up.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "driver/Driver.h"
#include "planter/DiskTraces.h"
#include "planter/RegistryTraces.h"
#include "planter/WormProcesses.h"
#include "support/BrowserLog.h"
#include "support/HostPath.h"
#include "support/Process.h"
#include "support/Utf8.h"
#include "support/Wait.h"

namespace {

class PlantedSandbox : public ::testing::Test {
protected:
    void SetUp() override {
        planter::RemoveDisk();
        std::wstring error;
        ASSERT_TRUE(planter::PlantDisk(&error)) << testing_support::Utf8(error);
        ASSERT_TRUE(m_processes.Start(testing_support::SleeperPath(), &error))
            << testing_support::Utf8(error);
        for (const auto& p : planter::DiskNotAsPlanted()) ADD_FAILURE() << p;
        for (const auto& p : planter::PlantRegistryDamage()) ADD_FAILURE() << p;
        testing_support::ClearBrowserLog();
    }
    void TearDown() override {
        m_program.Kill();
        m_processes.Remove();
        planter::RemoveDisk();
        for (const auto& p : m_registry.Restore()) ADD_FAILURE() << p;
        testing_support::ClearBrowserLog();
    }
    // Starts the program, scans, checks the summary and declines the download; then every
    // trace must be gone and every bystander as planted. `repairedItems` are the registry items
    // that hold the worm's damage; each counts as restored.
    void ScanAndCheck(const std::vector<int>& repairedItems) {
        HWND main = Launch();
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(driver::Click(main, 1008));

        HWND done = driver::WaitForDoneDialog(60000, m_program.Id());
        ASSERT_NE(done, nullptr) << "no summary within a minute";
        const size_t restored = planter::ExpectedDiskRestoredCount() + repairedItems.size();
        const std::wstring expected = L"扫描完成，查出" +
                                      std::to_wstring(planter::ExpectedDiskVirusCount()) +
                                      L"个病毒，恢复" + std::to_wstring(restored) + L"个项目";
        EXPECT_EQ(driver::ControlText(done, 1019), expected);
        EXPECT_EQ(driver::ControlText(main, 1017),
                  L"请点击“开始查杀”，立即检测并清除赤影(Tarlisk)病毒");
        EXPECT_EQ(driver::ControlText(main, 1008), L"停止查杀");
        driver::SaveScreenshot(done, testing_support::ScreenshotDir() + L"summary.bmp");

        ASSERT_TRUE(driver::Click(done, IDCANCEL));
        EXPECT_TRUE(testing_support::WaitUntil(
            [&] { return driver::ControlText(main, 1008) == L"开始查杀"; }));

        for (const auto& p : planter::DiskProblems()) ADD_FAILURE() << p;
        for (const auto& p : m_processes.Problems()) ADD_FAILURE() << p;
        for (const auto& p : planter::CheckRegistryRepaired(repairedItems)) ADD_FAILURE() << p;

        ASSERT_TRUE(driver::PressKey(main, VK_ESCAPE));
        EXPECT_EQ(m_program.WaitForExit(), 2u);
        EXPECT_TRUE(testing_support::BrowserLog().empty());  // declined: nothing opened
    }

    HWND Launch() {
        if (!m_program.Start(testing_support::ProgramPath())) return nullptr;
        return driver::WaitForMainWindow(15000, m_program.Id());
    }

    const planter::RegistryBackup m_registry;  // taken before anything is planted
    planter::WormProcesses m_processes;
    testing_support::ChildProcess m_program;
};

TEST_F(PlantedSandbox, ScanRemovesEveryTraceOfTheWorm) {
    // All seventeen registry items damaged.
    ScanAndCheck(planter::AllRegistryItems());
}

TEST_F(PlantedSandbox, ScanLeavesEveryBystanderAsItWas) {
    for (const auto& p : planter::PlantRegistryBystanders()) ADD_FAILURE() << p;
    ScanAndCheck(planter::ItemsWithoutBystanders());
    for (const auto& p : planter::CheckRegistryBystandersUnchanged()) ADD_FAILURE() << p;
}

TEST_F(PlantedSandbox, ClosingDuringAScanEndsTheProgramAtOnceWithoutSummary) {
    HWND main = Launch();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(driver::Click(main, 1008));
    ASSERT_TRUE(driver::CloseWindow(main));
    EXPECT_EQ(m_program.WaitForExit(15000), 2u);
    EXPECT_EQ(::FindWindowW(L"#32770", driver::kDoneTitle), nullptr);
}

}  // namespace
