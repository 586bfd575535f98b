// The worm's running processes in the sandbox PC: sleepers of our own at the paths the worm's
// script host and its fake service host would have, and bystanders that must keep running.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/Handle.h"

namespace planter {

struct PlantedProcess {
    std::wstring path;
    bool worm;  // a worm process: ended with exit code 0 by a scan
    win::Handle process;
};

class WormProcesses {
public:
    WormProcesses() = default;
    ~WormProcesses() { Remove(); }
    WormProcesses(const WormProcesses&) = delete;
    WormProcesses& operator=(const WormProcesses&) = delete;

    // Copies the sleeper program to each path and starts it there. False, with the reason in
    // `error`, when one cannot be started or when not running in the sandbox PC.
    bool Start(const std::wstring& sleeperPath, std::wstring* error = nullptr);
    // Each process whose state differs from what a scan should leave: worm processes ended
    // with exit code 0 (waiting up to timeoutMs for them), bystanders still running, and Wine's
    // own service host in system32 still there.
    std::vector<std::string> Problems(unsigned timeoutMs = 10000) const;
    // Ends every planted process and deletes the copies.
    void Remove();
    // Lets the processes run on after this object is gone (for the planter program).
    void Detach() { m_processes.clear(); }

    static std::vector<std::wstring> WormPaths();
    static std::vector<std::wstring> BystanderPaths();

private:
    std::vector<PlantedProcess> m_processes;
};

// True when a process runs whose image path is exactly `path` (letter case ignored).
bool IsRunning(const std::wstring& path);

// The same checks and clean-up by path alone, for processes that another program planted:
// worm processes gone, bystanders and Wine's service host running.
std::vector<std::string> ProcessProblemsByPath();
void RemoveProcessesByPath();

}  // namespace planter
