// Ending the worm's processes: sleepers of our own at the worm's paths, and bystanders beside
// them, in the sandbox PC.
#include <gtest/gtest.h>

#include <algorithm>

#include "planter/WormProcesses.h"
#include "removal/ProcessTermination.h"
#include "support/HostPath.h"

namespace {

using planter::WormProcesses;

bool Ended(const std::wstring& path) { return !planter::IsRunning(path); }

TEST(TerminateProcessesByPath, EndsTheWormsProcessesAndNothingElse) {
    WormProcesses processes;
    std::wstring error;
    ASSERT_TRUE(processes.Start(testing_support::SleeperPath(), &error)) << error.size();
    ASSERT_TRUE(planter::IsRunning(L"C:\\windows\\system32\\svchost.exe"));

    TerminateProcessesByPath(L"wscript.exe");
    TerminateProcessesByPath(L"system\\svchost.exe");

    // Worm processes ended with exit code 0; bystanders and Wine's own service host run on.
    for (const std::string& problem : processes.Problems()) ADD_FAILURE() << problem;
}

TEST(TerminateProcessesByPath, EachTextEndsOnlyItsOwnMatches) {
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> ended;
    };
    const Case cases[] = {
        {L"wscript.exe", {L"C:\\tools\\wscript.exe", L"C:\\tools\\wscript.exe.bak\\run.exe"}},
        {L"system\\svchost.exe",
         {L"C:\\windows\\system\\svchost.exe", L"D:\\X\\SYSTEM\\SVCHOST.EXE"}},
        {L"no such text in any path", {}},
    };
    for (const Case& c : cases) {
        WormProcesses processes;
        ASSERT_TRUE(processes.Start(testing_support::SleeperPath()));
        TerminateProcessesByPath(c.text);
        std::vector<std::wstring> all = WormProcesses::WormPaths();
        for (const auto& p : WormProcesses::BystanderPaths()) all.push_back(p);
        for (const std::wstring& path : all) {
            const bool shouldEnd = std::find(c.ended.begin(), c.ended.end(), path) != c.ended.end();
            // Termination does not wait for the end: give it a moment.
            bool ended = false;
            for (int i = 0; i < 100 && !(ended = Ended(path)) && shouldEnd; ++i) ::Sleep(50);
            EXPECT_EQ(ended, shouldEnd)
                << "text #" << (&c - cases) << ", path #" << (&path - all.data());
        }
        EXPECT_TRUE(planter::IsRunning(L"C:\\windows\\system32\\svchost.exe"));
    }
}

TEST(EnableDebugPrivilege, Succeeds) { EXPECT_TRUE(EnableDebugPrivilege()); }

}  // namespace
