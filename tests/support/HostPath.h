// Paths of the build tree, as the sandbox sees them. The sandbox maps no drive to the host, so
// host files are reached through Wine's \\?\unix\ namespace, which no drive walk ever lists.
#pragma once

#include <string>

namespace testing_support {

// "\\?\unix\work\build\x" for the host path "/work/build/x".
std::wstring HostPath(const std::string& unixPath);

// The build tree (environment variable TARLISK_BUILD_DIR), as a host path; empty when unset.
std::wstring BuildDir();

// Files of the build tree.
std::wstring ProgramPath();    // TarliskCleaner.exe
std::wstring SleeperPath();    // tarlisk_sleeper.exe
std::wstring ScreenshotDir();  // screenshots\, made when missing

}  // namespace testing_support
