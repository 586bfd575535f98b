#include "planter/WormProcesses.h"

#include <psapi.h>
#include <tlhelp32.h>

#include "planter/RegistryTraces.h"
#include "support/Utf8.h"

namespace planter {

namespace {

// Makes every folder on the way to `path`'s folder.
void MakeParents(const std::wstring& path) {
    for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos;
         slash = path.find(L'\\', slash + 1))
        ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
}

constexpr wchar_t kWineServiceHost[] = L"C:\\windows\\system32\\svchost.exe";

// Calls `visit(process, image path)` for every process whose image path can be read; stops
// when `visit` returns false.
template <typename Visit>
void ForEachProcessImage(Visit visit) {
    win::FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        // Wine reads an image path only with VM_READ.
        win::Handle process(::OpenProcess(
            PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
            entry.th32ProcessID));
        wchar_t image[MAX_PATH] = {};
        if (!process || !::GetModuleFileNameExW(process.Get(), nullptr, image, MAX_PATH)) continue;
        if (!visit(process.Get(), image)) return;
    }
}

void CheckWineServiceHost(std::vector<std::string>& problems) {
    if (!IsRunning(kWineServiceHost))
        problems.push_back(testing_support::Utf8(kWineServiceHost) +
                           ": Wine's service host is not running");
}

// Folders that the planter makes for the copies, deepest first.
const wchar_t* const kFolders[] = {
    L"C:\\tools\\wscript.exe.bak",
    L"C:\\tools",
    L"D:\\X\\SYSTEM",
    L"D:\\X",
};

}  // namespace

std::vector<std::wstring> WormProcesses::WormPaths() {
    return {
        L"C:\\tools\\wscript.exe",
        L"C:\\windows\\system\\svchost.exe",
        L"C:\\tools\\wscript.exe.bak\\run.exe",  // the text anywhere in the path is enough
        L"D:\\X\\SYSTEM\\SVCHOST.EXE",
    };
}

std::vector<std::wstring> WormProcesses::BystanderPaths() {
    return {
        L"C:\\tools\\keeper.exe",
        L"C:\\tools\\system32svchost.exe",
    };
}

bool WormProcesses::Start(const std::wstring& sleeperPath, std::wstring* error) {
    if (!CheckSandbox().empty()) {
        if (error) *error = L"refusing to start worm processes outside the sandbox PC";
        return false;
    }
    std::vector<std::pair<std::wstring, bool>> plan;
    for (const auto& p : WormPaths()) plan.emplace_back(p, true);
    for (const auto& p : BystanderPaths()) plan.emplace_back(p, false);

    for (const auto& [path, worm] : plan) {
        MakeParents(path);
        // A sleeper of an earlier test may still hold its image there for a moment after its end.
        bool copied = false;
        for (int i = 0;
             i < 100 && !(copied = ::CopyFileW(sleeperPath.c_str(), path.c_str(), FALSE)); ++i)
            ::Sleep(50);
        if (!copied) {
            if (error) *error = L"cannot copy the sleeper to " + path;
            return false;
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        std::wstring line = L"\"" + path + L"\"";
        if (!::CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              L"C:\\", &startup, &info)) {
            if (error) *error = L"cannot start " + path;
            return false;
        }
        ::CloseHandle(info.hThread);
        m_processes.push_back({path, worm, win::Handle(info.hProcess)});
    }
    // A scan judges a process by its image path: wait until each one has one.
    for (const auto& p : m_processes) {
        for (int i = 0; i < 250; ++i) {
            wchar_t image[MAX_PATH];
            if (::GetModuleFileNameExW(p.process.Get(), nullptr, image, MAX_PATH)) break;
            ::Sleep(20);
        }
    }
    return true;
}

std::vector<std::string> WormProcesses::Problems(unsigned timeoutMs) const {
    std::vector<std::string> problems;
    for (const auto& p : m_processes) {
        if (p.worm) {
            DWORD code = STILL_ACTIVE;
            if (::WaitForSingleObject(p.process.Get(), timeoutMs) == WAIT_OBJECT_0)
                ::GetExitCodeProcess(p.process.Get(), &code);
            if (code != 0)
                problems.push_back(testing_support::Utf8(p.path) +
                                   ": not ended with exit code 0 (" + std::to_string(code) + ")");
        } else if (::WaitForSingleObject(p.process.Get(), 0) != WAIT_TIMEOUT) {
            problems.push_back(testing_support::Utf8(p.path) + ": a bystander was ended");
        }
    }
    CheckWineServiceHost(problems);
    return problems;
}

void WormProcesses::Remove() {
    for (auto& p : m_processes) {
        if (::WaitForSingleObject(p.process.Get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(p.process.Get(), 99);
            ::WaitForSingleObject(p.process.Get(), 5000);
        }
        ::DeleteFileW(p.path.c_str());
    }
    m_processes.clear();
    for (const wchar_t* folder : kFolders) ::RemoveDirectoryW(folder);
}

std::vector<std::string> ProcessProblemsByPath() {
    std::vector<std::string> problems;
    for (const auto& path : WormProcesses::WormPaths())
        if (IsRunning(path)) problems.push_back(testing_support::Utf8(path) + ": still running");
    for (const auto& path : WormProcesses::BystanderPaths())
        if (!IsRunning(path))
            problems.push_back(testing_support::Utf8(path) + ": a bystander is not running");
    CheckWineServiceHost(problems);
    return problems;
}

void RemoveProcessesByPath() {
    std::vector<std::wstring> paths = WormProcesses::WormPaths();
    for (const auto& p : WormProcesses::BystanderPaths()) paths.push_back(p);
    ForEachProcessImage([&](HANDLE process, const wchar_t* image) {
        for (const auto& path : paths) {
            if (::lstrcmpiW(image, path.c_str()) == 0) {
                ::TerminateProcess(process, 99);
                ::WaitForSingleObject(process, 5000);
            }
        }
        return true;
    });
    for (const auto& path : paths) ::DeleteFileW(path.c_str());
    for (const wchar_t* folder : kFolders) ::RemoveDirectoryW(folder);
}

bool IsRunning(const std::wstring& path) {
    bool found = false;
    ForEachProcessImage([&](HANDLE, const wchar_t* image) {
        found = ::lstrcmpiW(image, path.c_str()) == 0;
        return !found;
    });
    return found;
}

}  // namespace planter
