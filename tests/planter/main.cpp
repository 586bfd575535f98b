// tarlisk_planter: puts the worm's traces and their bystanders into the sandbox PC, for the demo
// and for looking at a scan by hand. Refuses to run outside Wine.
//
//   tarlisk_planter plant    plant every trace and bystander, start the worm processes
//   tarlisk_planter check    after a scan: list what is not as a scan should leave it
//   tarlisk_planter remove   take the planted files and processes away again (the registry
//                            keeps its state: make a new sandbox for a clean one)
//
// Exits with 0 when it did what was asked (for check: when nothing is amiss).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "planter/DiskTraces.h"
#include "planter/RegistryTraces.h"
#include "planter/WormProcesses.h"

namespace {

void Print(const std::string& line) { std::printf("%s\n", line.c_str()); }

std::wstring SleeperPath() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    // Started from the host's file system, Wine names us "unix\..." without the "\\?\" that
    // makes it a path again.
    if (path.rfind(L"unix\\", 0) == 0) path = L"\\\\?\\" + path;
    return path.substr(0, path.rfind(L'\\') + 1) + L"tarlisk_sleeper.exe";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!planter::CheckSandbox().empty()) {
        std::fprintf(stderr, "tarlisk_planter: refusing to run outside the sandbox PC\n");
        return 2;
    }
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"plant") {
        std::wstring error;
        planter::WormProcesses processes;
        if (!planter::PlantDisk(&error) || !processes.Start(SleeperPath(), &error)) {
            std::fwprintf(stderr, L"tarlisk_planter: %ls\n", error.c_str());
            return 1;
        }
        processes.Detach();
        planter::Problems problems = planter::PlantRegistryDamage();
        for (const auto& p : planter::PlantRegistryBystanders()) problems.push_back(p);
        for (const auto& p : problems) Print("cannot plant: " + p);
        if (!problems.empty()) return 1;
        Print("planted; a scan should count " + std::to_string(planter::ExpectedDiskVirusCount()) +
              " worm items and restore " +
              std::to_string(planter::ExpectedDiskRestoredCount() +
                             planter::ItemsWithoutBystanders().size()) +
              " items");
        return 0;
    }
    if (command == L"check") {
        std::vector<std::string> problems = planter::DiskProblems();
        for (const auto& p : planter::ProcessProblemsByPath()) problems.push_back(p);
        for (const auto& p : planter::CheckRegistryRepaired(planter::ItemsWithoutBystanders()))
            problems.push_back(p);
        for (const auto& p : planter::CheckRegistryBystandersUnchanged()) problems.push_back(p);
        for (const auto& p : problems) Print(p);
        Print(problems.empty() ? "all as a scan should leave it"
                               : "problems: " + std::to_string(problems.size()));
        return problems.empty() ? 0 : 1;
    }
    if (command == L"remove") {
        planter::RemoveProcessesByPath();
        planter::RemoveDisk();
        return 0;
    }
    std::fprintf(stderr, "usage: tarlisk_planter plant|check|remove\n");
    return 2;
}
