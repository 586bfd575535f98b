#include "support/Process.h"

#include <vector>

namespace testing_support {

bool ChildProcess::Start(const std::wstring& program, const std::wstring& arguments) {
    Kill();
    std::wstring line = L"\"" + program + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // Started in C:\ : the test's own folder is a host path that Wine cannot give it.
    if (!::CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          L"C:\\", &startup, &info))
        return false;
    ::CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);
    m_id = info.dwProcessId;
    return true;
}

DWORD ChildProcess::WaitForExit(unsigned timeoutMs) {
    if (!m_process || ::WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

bool ChildProcess::IsRunning() const {
    return m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

void ChildProcess::Kill() {
    if (IsRunning()) {
        ::TerminateProcess(m_process.Get(), 99);
        ::WaitForSingleObject(m_process.Get(), 5000);
    }
    m_process.Reset();
    m_id = 0;
}

}  // namespace testing_support
