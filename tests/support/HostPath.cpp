#include "support/HostPath.h"

#include <windows.h>

#include <cstdlib>

namespace testing_support {

std::wstring HostPath(const std::string& unixPath) {
    std::wstring path = L"\\\\?\\unix";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

std::wstring BuildDir() {
    const char* dir = std::getenv("TARLISK_BUILD_DIR");
    return dir ? HostPath(dir) : std::wstring();
}

std::wstring ProgramPath() { return BuildDir() + L"\\TarliskCleaner.exe"; }

std::wstring SleeperPath() { return BuildDir() + L"\\tarlisk_sleeper.exe"; }

std::wstring ScreenshotDir() {
    std::wstring dir = BuildDir() + L"\\screenshots";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir + L"\\";
}

}  // namespace testing_support
