// The simulated PC as the program sees it.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/BrowserLog.h"

namespace {

std::vector<std::wstring> DriveRoots() {
    std::vector<std::wstring> roots;
    wchar_t buffer[512] = {};
    DWORD length = ::GetLogicalDriveStringsW(511, buffer);
    for (const wchar_t* p = buffer; p < buffer + length && *p; p += wcslen(p) + 1)
        roots.emplace_back(p);
    return roots;
}

TEST(Sandbox, HasExactlyItsOwnDrivesWithTheirTypes) {
    const std::vector<std::wstring> expected = {L"A:\\", L"C:\\", L"D:\\", L"E:\\"};
    EXPECT_EQ(DriveRoots(), expected);
    EXPECT_EQ(::GetDriveTypeW(L"A:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_EQ(::GetDriveTypeW(L"C:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(::GetDriveTypeW(L"D:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(::GetDriveTypeW(L"E:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_EQ(::GetDriveTypeW(L"Z:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
}

TEST(Sandbox, KeepsHiddenAndSystemAttributesOfFolders) {
    const wchar_t* dir = L"D:\\sandbox-attr-check";
    ::RemoveDirectoryW(dir);
    ASSERT_TRUE(::CreateDirectoryW(dir, nullptr));
    ASSERT_TRUE(::SetFileAttributesW(dir, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    const DWORD attrs = ::GetFileAttributesW(dir);
    EXPECT_EQ(attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM));
    ::SetFileAttributesW(dir, FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(::RemoveDirectoryW(dir));
}

TEST(Sandbox, MapsTheChineseDialogFontToAnInstalledCjkFont) {
    for (const wchar_t* name : {L"宋体", L"SimSun", L"NSimSun"}) {
        wchar_t value[128] = {};
        DWORD size = sizeof(value);
        ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", name,
                                 RRF_RT_REG_SZ, nullptr, value, &size),
                  ERROR_SUCCESS);
        EXPECT_STREQ(value, L"WenQuanYi Zen Hei");
    }
}

TEST(Sandbox, RecordsTheAddressesThatTheBrowserIsAskedToOpen) {
    testing_support::ClearBrowserLog();
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", L"http://recorder-check.example/page?a=1", nullptr,
                        nullptr, SW_SHOWNORMAL));
    EXPECT_GT(result, 32);
    const auto log = testing_support::WaitForBrowserLog(1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "http://recorder-check.example/page?a=1");
    testing_support::ClearBrowserLog();
}

}  // namespace
