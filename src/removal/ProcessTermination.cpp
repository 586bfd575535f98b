#include "removal/ProcessTermination.h"

#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <vector>

#include "win/Handle.h"

namespace {
// Standard rights, synchronize and the twelve process rights of every Windows version; newer
// headers widen PROCESS_ALL_ACCESS to 0x1FFFFF, which older systems refuse.
constexpr DWORD kProcessFullAccess = 0x1F0FFF;
}  // namespace

bool EnableDebugPrivilege() {
    HANDLE process = ::GetCurrentProcess();
    if (!process) return false;

    HANDLE rawToken = nullptr;
    if (!::OpenProcessToken(process, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken))
        return false;
    win::Handle token(rawToken);

    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid))
        return false;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // GetLastError is not consulted: a token without the privilege still "succeeds".
    return ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
}

void TerminateProcessesByPath(const wchar_t* text) {
    win::FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;

    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!::Process32FirstW(snapshot.Get(), &entry)) return;

    // Room for the longest path Windows has, so that a path is never judged by a cut copy.
    std::vector<wchar_t> path(32768);
    do {
        win::Handle process(::OpenProcess(kProcessFullAccess, FALSE, entry.th32ProcessID));
        if (!process) continue;

        const DWORD length = ::GetModuleFileNameExW(process.Get(), nullptr, path.data(),
                                                    static_cast<DWORD>(path.size()));
        if (length == 0 || length >= path.size() - 1) continue;
        path[length] = L'\0';

        if (::StrStrIW(path.data(), text)) ::TerminateProcess(process.Get(), 0);
    } while (::Process32NextW(snapshot.Get(), &entry));
}
