#include "planter/DiskTraces.h"

#include <set>

#include "planter/RegistryTraces.h"
#include "support/Utf8.h"
#include "win/Handle.h"

namespace planter {

namespace {

constexpr DWORD H = FILE_ATTRIBUTE_HIDDEN;
constexpr DWORD S = FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD R = FILE_ATTRIBUTE_READONLY;
constexpr DWORD A = FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD N = 0;  // nothing set

bool IsStream(const DiskEntry& e) { return wcsstr(e.path, L".exe:.vbs") != nullptr; }

bool IsDecoy(const DiskEntry& e) {
    return e.fate == Fate::Deleted && !IsStream(e) && wcsstr(e.path, L"\\Autorun.inf") == nullptr &&
           wcsstr(e.path, L"\\.vbs") == nullptr;
}

// "D:\" for "D:\work.lnk".
std::wstring RootOf(const wchar_t* path) { return std::wstring(path, 3); }

// The attributes that GetFileAttributesW reports for an entry planted with `attributes`. Wine
// reports every file as archive, and keeps only hidden and system on folders.
DWORD Reported(bool folder, DWORD attributes) {
    if (folder) return FILE_ATTRIBUTE_DIRECTORY | (attributes & (H | S));
    return attributes | FILE_ATTRIBUTE_ARCHIVE;
}

bool MakeEntry(const DiskEntry& e) {
    if (e.folder) {
        if (!::CreateDirectoryW(e.path, nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    } else {
        win::FileHandle file(::CreateFileW(e.path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        const char text[] = "planted by the Tarlisk test planter\r\n";
        DWORD written = 0;
        ::WriteFile(file.Get(), text, sizeof(text) - 1, &written, nullptr);
    }
    return ::SetFileAttributesW(e.path, e.attributes ? e.attributes : FILE_ATTRIBUTE_NORMAL) !=
           FALSE;
}

}  // namespace

const std::vector<DiskEntry>& DiskEntries() {
    static const std::vector<DiskEntry> entries = {
        // The script streams (Wine keeps them as ordinary files named so).
        {L"C:\\windows\\explorer.exe:.vbs", false, H, Fate::Deleted},
        {L"C:\\windows\\system32\\smss.exe:.vbs", false, H, Fate::Deleted},

        // C: a hidden folder with its decoy, and the autorun pair.
        {L"C:\\photos", true, H | S, Fate::Restored},
        {L"C:\\photos.lnk", false, N, Fate::Deleted},
        {L"C:\\Autorun.inf", false, H | S, Fate::Deleted},
        {L"C:\\.vbs", false, H | S, Fate::Deleted},

        // D: three decoys, one of them beside an excluded folder; every kind of bystander.
        {L"D:\\work", true, H | S, Fate::Restored},
        {L"D:\\work.lnk", false, N, Fate::Deleted},
        {L"D:\\Music", true, H | S | R | A, Fate::Restored},
        {L"D:\\Music.LNK", false, A, Fate::Deleted},
        {L"D:\\Config.Msi", true, H | S, Fate::Kept},
        {L"D:\\Config.Msi.lnk", false, N, Fate::Deleted},
        {L"D:\\Autorun.inf", false, H | S, Fate::Deleted},
        {L"D:\\.vbs", false, H | S, Fate::Deleted},
        {L"D:\\notes.lnk", false, N, Fate::Kept},  // no folder "notes"
        {L"D:\\readme", false, N, Fate::Kept},     // a file, not a folder
        {L"D:\\readme.lnk", false, N, Fate::Kept},
        {L"D:\\hidden-only", true, H, Fate::Kept},
        {L"D:\\secret.dat", false, H | S, Fate::Kept},
        {L"D:\\RECYCLER", true, H | S, Fate::Kept},
        {L"D:\\$Recycle.Bin", true, H | S, Fate::Kept},
        {L"D:\\System Volume Information", true, H | S, Fate::Kept},
        {L"D:\\Recycled photos", true, H | S, Fate::Kept},
        {L"D:\\projects", true, N, Fate::Kept},  // below a root nothing is touched
        {L"D:\\projects\\deep", true, H | S, Fate::Kept},
        {L"D:\\projects\\deep.lnk", false, N, Fate::Kept},
        {L"D:\\projects\\Autorun.inf", false, N, Fate::Kept},

        // E: (removable) a decoy beside a hidden folder, one beside a visible folder.
        {L"E:\\资料", true, H | S, Fate::Restored},
        {L"E:\\资料.lnk", false, N, Fate::Deleted},
        {L"E:\\Report", true, N, Fate::Kept},
        {L"E:\\Report.LNK", false, N, Fate::Deleted},
        {L"E:\\Autorun.inf", false, H, Fate::Deleted},

        // A: is never cleaned.
        {L"A:\\floppy", true, H | S, Fate::Kept},
        {L"A:\\floppy.lnk", false, N, Fate::Kept},
        {L"A:\\Autorun.inf", false, H | S, Fate::Kept},
    };
    return entries;
}

int ExpectedDiskVirusCount() {
    int count = 0;
    std::set<std::wstring> decoyRoots;
    for (const DiskEntry& e : DiskEntries()) {
        if (IsStream(e)) ++count;
        if (IsDecoy(e)) {
            ++count;
            decoyRoots.insert(RootOf(e.path));
        }
    }
    // Autorun.inf and .vbs: counted for each root with a decoy, there or not, deleted or not.
    return count + 2 * static_cast<int>(decoyRoots.size());
}

int ExpectedDiskRestoredCount() {
    int count = 0;
    for (const DiskEntry& e : DiskEntries()) count += e.fate == Fate::Restored;
    return count;
}

bool PlantDisk(std::wstring* error) {
    if (!CheckSandbox().empty()) {
        if (error) *error = L"refusing to plant worm traces outside the sandbox PC";
        return false;
    }
    for (const DiskEntry& e : DiskEntries()) {
        if (!MakeEntry(e)) {
            if (error) *error = std::wstring(L"cannot plant ") + e.path;
            return false;
        }
    }
    return true;
}

std::vector<std::string> DiskProblems() {
    std::vector<std::string> problems;
    for (const DiskEntry& e : DiskEntries()) {
        const DWORD attrs = ::GetFileAttributesW(e.path);
        const std::string path = testing_support::Utf8(e.path);
        switch (e.fate) {
            case Fate::Deleted:
                if (attrs != INVALID_FILE_ATTRIBUTES) problems.push_back(path + ": still there");
                break;
            case Fate::Restored:
                if (attrs != FILE_ATTRIBUTE_DIRECTORY)
                    problems.push_back(path + ": not restored (attributes " +
                                       std::to_string(attrs) + ")");
                break;
            case Fate::Kept:
                if (attrs != Reported(e.folder, e.attributes))
                    problems.push_back(path + ": changed (attributes " + std::to_string(attrs) +
                                       ")");
                break;
        }
    }
    return problems;
}

std::vector<std::string> DiskNotAsPlanted() {
    std::vector<std::string> problems;
    for (const DiskEntry& e : DiskEntries()) {
        if (::GetFileAttributesW(e.path) != Reported(e.folder, e.attributes))
            problems.push_back(testing_support::Utf8(e.path) + ": not as planted (attributes " +
                               std::to_string(::GetFileAttributesW(e.path)) + ")");
    }
    return problems;
}

void RemoveDisk() {
    const auto& entries = DiskEntries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (::GetFileAttributesW(it->path) == INVALID_FILE_ATTRIBUTES) continue;
        ::SetFileAttributesW(it->path, FILE_ATTRIBUTE_NORMAL);
        if (it->folder) {
            ::RemoveDirectoryW(it->path);
        } else {
            ::DeleteFileW(it->path);
        }
    }
}

}  // namespace planter
