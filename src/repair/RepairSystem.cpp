#include "repair/RepairSystem.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <span>

#include "repair/RegistryKey.h"
#include "scan/ScanState.h"
#include "win/Path.h"

namespace {

enum class Folder { None, ProgramFiles, Windows };

// Items 8 to 17: an open command under HKEY_LOCAL_MACHINE that the worm points at its script.
// The expected command line is `before`, the folder, then `after`.
struct OpenCommandItem {
    int number;
    const wchar_t* key;
    const wchar_t* before;
    Folder folder;
    const wchar_t* after;
};

constexpr OpenCommandItem kOpenCommands[] = {
    {8, L"SOFTWARE\\Classes\\Applications\\iexplore.exe\\shell\\open\\command", L"\"",
     Folder::ProgramFiles, L"iexplore.exe\" %1"},
    {9,
     L"SOFTWARE\\Classes\\CLSID\\{871C5380-42A0-1069-A2EA-08002B30309D}\\shell\\OpenHomePage\\"
     L"Command",
     L"", Folder::ProgramFiles, L"iexplore.exe"},
    {10, L"SOFTWARE\\Classes\\batfile\\shell\\open\\command", L"", Folder::None, L"\"%1\" %*"},
    {11, L"SOFTWARE\\Classes\\chm.file\\shell\\open\\command", L"\"", Folder::Windows,
     L"hh.exe\" %1"},
    {12, L"SOFTWARE\\Classes\\inffile\\shell\\open\\command", L"", Folder::Windows,
     L"NOTEPAD.EXE %1"},
    {13, L"SOFTWARE\\Classes\\inifile\\shell\\open\\command", L"", Folder::Windows,
     L"NOTEPAD.EXE %1"},
    {14, L"SOFTWARE\\Classes\\txtfile\\shell\\open\\command", L"", Folder::Windows,
     L"NOTEPAD.EXE %1"},
    {15, L"SOFTWARE\\Classes\\hlpfile\\shell\\open\\command", L"", Folder::Windows,
     L"winhlp32.exe %1"},
    {16, L"SOFTWARE\\Classes\\cmdfile\\shell\\open\\command", L"", Folder::None, L"\"%1\" %*"},
    {17, L"SOFTWARE\\Classes\\regfile\\shell\\open\\command", L"", Folder::None,
     L"regedit.exe \"%1\""},
};

std::wstring Compose(const OpenCommandItem& item, const std::wstring& programFiles,
                     const std::wstring& windows) {
    std::wstring folder;
    if (item.folder == Folder::ProgramFiles) folder = programFiles;
    if (item.folder == Folder::Windows) folder = windows;
    // Without its folder the command would name a program in whatever directory is current.
    if (item.folder != Folder::None && folder.empty()) return {};
    return item.before + folder + item.after;
}

}  // namespace

namespace repair {

bool TextContains(const wchar_t* buffer, size_t capacity, const wchar_t* word) {
    const std::wstring text(buffer, ::wcsnlen(buffer, capacity));
    return ::StrStrIW(text.c_str(), word) != nullptr;
}

std::wstring ExpectedCommandLine(int item, const std::wstring& programFiles,
                                 const std::wstring& windows) {
    for (const OpenCommandItem& candidate : kOpenCommands) {
        if (candidate.number == item) return Compose(candidate, programFiles, windows);
    }
    return {};
}

}  // namespace repair

namespace {

using repair::kTextCapacity;

const wchar_t kMyComputer[] = L"SOFTWARE\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
const wchar_t kMyComputerShell[] =
    L"SOFTWARE\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\shell";
const wchar_t kVolume[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MountPoints2\\"
    L"{ca5dc9df-c6e5-11dd-8b20-806d6172696f}";
const wchar_t kLoadKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// Items 4 to 6: a number that the worm sets to `damaged`.
struct NumberItem {
    HKEY root;
    const wchar_t* key;
    const wchar_t* name;
    DWORD preset;  // what an absent value compares as
    DWORD damaged;
    DWORD repaired;
};

const NumberItem kNoHidden = {
    HKEY_LOCAL_MACHINE,
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\Hidden\\NOHIDDEN",
    L"CheckedValue",
    0,
    3,
    2};
const NumberItem kShowAll = {
    HKEY_LOCAL_MACHINE,
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\Hidden\\SHOWALL",
    L"CheckedValue",
    0,
    2,
    1};
const NumberItem kAutoRun = {HKEY_CURRENT_USER,
                             L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                             L"NoDriveTypeAutoRun",
                             1,
                             0,
                             0x91};

void CountRestored() { g_scanState.restoredCount.fetch_add(1); }

// Whether the value's text holds `word`. An absent or unreadable value reads as the empty text;
// the status is of no interest.
bool ValueContains(CRegistryKey& key, const wchar_t* name, const wchar_t* word) {
    wchar_t text[kTextCapacity];
    text[0] = L'\0';
    key.ReadText(name, text, kTextCapacity);
    return repair::TextContains(text, kTextCapacity, word);
}

// Each item below returns whether its key opened, and leaves whatever it holds open.

// My Computer's verbs: any `shell` default without "none" is the worm's, and the key goes.
bool RepairMyComputerShell(CRegistryKey& key) {
    if (key.Open(HKEY_LOCAL_MACHINE, kMyComputerShell) != ERROR_SUCCESS) return false;
    if (!ValueContains(key, nullptr, L"none")) {
        key.Close();
        key.Open(HKEY_LOCAL_MACHINE, kMyComputer);
        key.DeleteSubtree(L"Shell");
        CountRestored();
    }
    return true;
}

// The volume entry stays; only its verbs go.
bool RepairVolumeShell(CRegistryKey& key, HKEY root) {
    if (key.Open(root, kVolume) != ERROR_SUCCESS) return false;
    if (key.DeleteSubtree(L"Shell") == ERROR_SUCCESS) CountRestored();
    return true;
}

bool RepairNumber(CRegistryKey& key, const NumberItem& item) {
    if (key.Open(item.root, item.key) != ERROR_SUCCESS) return false;
    DWORD value = item.preset;
    key.ReadDword(item.name, value);
    if (value == item.damaged) {
        key.WriteDword(item.name, item.repaired);
        CountRestored();
    }
    return true;
}

bool RepairLoad(CRegistryKey& key) {
    if (key.Open(HKEY_CURRENT_USER, kLoadKey) != ERROR_SUCCESS) return false;
    if (ValueContains(key, L"load", L":.vbs")) {
        key.WriteText(L"load", L"");
        CountRestored();
    }
    return true;
}

// Only a command that runs a script stream is rewritten; any other command is the user's.
bool RepairOpenCommand(CRegistryKey& key, const wchar_t* path, const std::wstring& expected) {
    if (expected.empty()) return false;  // its folder is not known
    if (key.Open(HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS) return false;
    if (ValueContains(key, nullptr, L":.vbs")) {
        key.WriteText(nullptr, expected.c_str());
        CountRestored();
    }
    return true;
}

// The folder with its final backslash; empty when it cannot be found.
std::wstring ProgramFilesFolder() {
    wchar_t folder[512] = {};
    if (FAILED(
            ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return win::WithFinalBackslash(folder);
}

std::wstring WindowsFolder() {
    wchar_t folder[512] = {};
    const UINT length = ::GetWindowsDirectoryW(folder, 512);
    if (length == 0 || length >= 512) return {};
    return win::WithFinalBackslash(folder);
}

}  // namespace

void RepairSystem() {
    CRegistryKey key;
    // A stop is noticed after each item whose key opened, once its repair is made and counted;
    // `key` closes whatever it holds on the way out.
    const auto goOn = [&key](bool keyOpened) {
        if (!keyOpened) return true;
        if (g_scanState.stopRequested.load() != 0) return false;
        key.Close();
        return true;
    };
    if (!goOn(RepairMyComputerShell(key))) return;
    if (!goOn(RepairVolumeShell(key, HKEY_LOCAL_MACHINE))) return;
    if (!goOn(RepairVolumeShell(key, HKEY_CURRENT_USER))) return;
    if (!goOn(RepairNumber(key, kNoHidden))) return;
    if (!goOn(RepairNumber(key, kShowAll))) return;
    if (!goOn(RepairNumber(key, kAutoRun))) return;
    if (!goOn(RepairLoad(key))) return;

    const auto repairCommands = [&](std::span<const OpenCommandItem> items,
                                    const std::wstring& programFiles, const std::wstring& windows) {
        for (const OpenCommandItem& item : items) {
            if (!goOn(RepairOpenCommand(key, item.key, Compose(item, programFiles, windows))))
                return false;
        }
        return true;
    };
    // Items 8 to 10 need only the Program Files folder, 11 to 17 only the Windows directory.
    const std::span<const OpenCommandItem> commands(kOpenCommands);
    if (!repairCommands(commands.first(3), ProgramFilesFolder(), L"")) return;
    repairCommands(commands.subspan(3), L"", WindowsFolder());
}
