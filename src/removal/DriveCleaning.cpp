#include "removal/DriveCleaning.h"

#include <shlwapi.h>

#include <vector>

#include "scan/ScanState.h"
#include "win/Handle.h"
#include "win/Path.h"

namespace {

// Root entries that Windows and other software keep hidden and system on purpose.
constexpr const wchar_t* kExclusions[] = {
    L"pagefile.sys",
    L"System Volume Information",
    L"MSOCache",
    L"Recycle",
    L"Documents and Settings",
    L"ProgramData",
    L"Config.Msi",
    L"vod_cache_data",
};

constexpr DWORD kHiddenSystemFolder =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool StopRequested() { return g_scanState.stopRequested != 0; }

bool IsExcluded(const wchar_t* name) {
    for (const wchar_t* text : kExclusions) {
        if (::StrStrIW(name, text)) return true;
    }
    return false;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attrs = ::GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// The Windows or system folder, with its final backslash; empty when it cannot be had.
template <typename GetFolder>
std::wstring SystemFolder(GetFolder get) {
    const UINT length = get(nullptr, 0);
    if (length == 0) return {};
    std::vector<wchar_t> buffer(length);
    const UINT written = get(buffer.data(), length);
    if (written == 0 || written >= length) return {};
    return win::WithFinalBackslash(std::wstring(buffer.data(), written));
}

// Deletes a script stream; counts it only when it was there to delete.
void DeleteStream(const std::wstring& folder, const wchar_t* stream) {
    if (folder.empty()) return;
    if (::DeleteFileW((folder + stream).c_str())) ++g_scanState.virusCount;
}

// Every drive root ("C:\"), however many drives there are.
std::vector<std::wstring> DriveRoots() {
    std::vector<wchar_t> buffer(100);
    DWORD length = 0;
    // The list may grow between the two calls: ask again until it fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
        length = ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return {};
        if (length < buffer.size()) break;
        buffer.assign(length + 1, L'\0');
        length = 0;
    }
    std::vector<std::wstring> roots;
    // Each root is a letter, a colon, a backslash and its terminating zero.
    for (DWORD k = 0; k < length / 4; ++k) roots.emplace_back(&buffer[4 * k]);
    return roots;
}

void CleanDrivesOfType(UINT driveType) {
    for (const std::wstring& root : DriveRoots()) {
        if (::GetDriveTypeW(root.c_str()) == driveType) {
            // The floppy drive is never touched.
            if (driveType == DRIVE_REMOVABLE && ::StrStrIW(root.c_str(), L"A:")) continue;
            // A root that cannot be listed is passed over without a stop test.
            if (!CleanDriveRoot(root)) continue;
        }
        if (StopRequested()) return;
    }
}

}  // namespace

bool CleanDriveRoot(const std::wstring& root) {
    WIN32_FIND_DATAW entry;
    win::FindHandle listing(::FindFirstFileW((root + L"*.*").c_str(), &entry));
    if (!listing) return false;

    bool decoyFound = false;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = root + name;
        std::wstring judgedName = name;

        // A decoy: a shortcut file named like a folder beside it, which the worm has hidden.
        const bool isFile = !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        if (isFile && ::StrStrIW(name.c_str(), L".lnk")) {
            const size_t dot = name.rfind(L'.');
            const std::wstring cutName = name.substr(0, dot);
            if (cutName.empty() || !IsFolder(root + cutName)) continue;
            ::DeleteFileW(path.c_str());
            ++g_scanState.virusCount;  // counted whether or not the deletion went through
            decoyFound = true;
            judgedName = cutName;
        }

        if (IsExcluded(judgedName.c_str())) continue;

        const DWORD attrs = ::GetFileAttributesW(path.c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES &&
            (attrs & kHiddenSystemFolder) == kHiddenSystemFolder) {
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ++g_scanState.restoredCount;
        }
    } while (::FindNextFileW(listing.Get(), &entry));
    listing.Reset();

    if (decoyFound) {
        ::DeleteFileW((root + L"Autorun.inf").c_str());
        ++g_scanState.virusCount;
        ::DeleteFileW((root + L".vbs").c_str());
        ++g_scanState.virusCount;
    }
    return true;
}

void CleanFixedDrives() {
    DeleteStream(SystemFolder(::GetWindowsDirectoryW), L"explorer.exe:.vbs");
    if (StopRequested()) return;
    DeleteStream(SystemFolder(::GetSystemDirectoryW), L"smss.exe:.vbs");
    if (StopRequested()) return;
    CleanDrivesOfType(DRIVE_FIXED);
}

void CleanRemovableDrives() { CleanDrivesOfType(DRIVE_REMOVABLE); }
