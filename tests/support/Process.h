// A Windows program started by a test, ended by the test at the latest.
#pragma once

#include <windows.h>

#include <string>

#include "win/Handle.h"

namespace testing_support {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Kill(); }
    ChildProcess(ChildProcess&&) = default;
    ChildProcess& operator=(ChildProcess&&) = default;

    // Starts `program` with the command line `"program" arguments`.
    bool Start(const std::wstring& program, const std::wstring& arguments = L"");
    // The exit code once the program has ended within timeoutMs; STILL_ACTIVE otherwise.
    DWORD WaitForExit(unsigned timeoutMs = 10000);
    bool IsRunning() const;
    void Kill();

    HANDLE Handle() const { return m_process.Get(); }
    DWORD Id() const { return m_id; }

private:
    win::Handle m_process;
    DWORD m_id = 0;
};

}  // namespace testing_support
