// A PC with more drives than the first drive list holds (24): every drive is still cleaned.
// Runs in a sandbox of its own with 26 drives (see many_drives.sh).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "removal/DriveCleaning.h"
#include "scan/ScanState.h"
#include "win/Handle.h"

namespace {

std::vector<std::wstring> FixedRoots() {
    std::vector<std::wstring> roots;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const std::wstring root = std::wstring(1, letter) + L":\\";
        if (::GetDriveTypeW(root.c_str()) == DRIVE_FIXED) roots.push_back(root);
    }
    return roots;
}

TEST(ManyDrives, EveryFixedDriveIsCleanedEvenBeyondTheTwentyFourth) {
    wchar_t probe[8];
    ASSERT_GT(::GetLogicalDriveStringsW(8, probe), 100u) << "this sandbox has too few drives";
    const std::vector<std::wstring> roots = FixedRoots();
    // Z: is the 26th root: beyond what a 100-character list holds.
    ASSERT_EQ(roots.back(), L"Z:\\");

    for (const std::wstring& root : roots) {
        ASSERT_TRUE(::CreateDirectoryW((root + L"many").c_str(), nullptr) ||
                    ::GetLastError() == ERROR_ALREADY_EXISTS);
        ::SetFileAttributesW((root + L"many").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        win::FileHandle decoy(::CreateFileW((root + L"many.lnk").c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(decoy.IsValid());
    }
    g_scanState.stopRequested = 0;
    g_scanState.virusCount = 0;
    g_scanState.restoredCount = 0;

    CleanFixedDrives();

    for (const std::wstring& root : roots) {
        EXPECT_EQ(::GetFileAttributesW((root + L"many.lnk").c_str()), INVALID_FILE_ATTRIBUTES)
            << static_cast<char>(root.front());
        EXPECT_EQ(::GetFileAttributesW((root + L"many").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY))
            << static_cast<char>(root.front());
        ::RemoveDirectoryW((root + L"many").c_str());
    }
    EXPECT_EQ(g_scanState.virusCount, static_cast<int32_t>(3 * roots.size()));
    EXPECT_EQ(g_scanState.restoredCount, static_cast<int32_t>(roots.size()));
}

}  // namespace
