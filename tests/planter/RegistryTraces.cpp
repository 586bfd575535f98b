#include "planter/RegistryTraces.h"
#include "support/Utf8.h"

#include <shlobj.h>

#include <algorithm>
#include <optional>

namespace planter {

using testing_support::Utf8;

namespace {

// The cleaner's keys, written out here on their own so that a test does not trust its table.
const wchar_t kMyComputer[] = L"SOFTWARE\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
const wchar_t kVolume[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MountPoints2\\"
    L"{ca5dc9df-c6e5-11dd-8b20-806d6172696f}";
const wchar_t kHidden[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\Hidden\\";

const wchar_t* const kOpenCommandKeys[] = {
    L"SOFTWARE\\Classes\\Applications\\iexplore.exe\\shell\\open\\command",
    L"SOFTWARE\\Classes\\CLSID\\{871C5380-42A0-1069-A2EA-08002B30309D}\\shell\\OpenHomePage\\"
    L"Command",
    L"SOFTWARE\\Classes\\batfile\\shell\\open\\command",
    L"SOFTWARE\\Classes\\chm.file\\shell\\open\\command",
    L"SOFTWARE\\Classes\\inffile\\shell\\open\\command",
    L"SOFTWARE\\Classes\\inifile\\shell\\open\\command",
    L"SOFTWARE\\Classes\\txtfile\\shell\\open\\command",
    L"SOFTWARE\\Classes\\hlpfile\\shell\\open\\command",
    L"SOFTWARE\\Classes\\cmdfile\\shell\\open\\command",
    L"SOFTWARE\\Classes\\regfile\\shell\\open\\command",
};

std::wstring RootName(HKEY root) {
    return root == HKEY_LOCAL_MACHINE ? L"HKLM\\" : root == HKEY_CURRENT_USER ? L"HKCU\\" : L"?\\";
}

std::string Where(int item, const RegistryLocation& key) {
    return "item " + std::to_string(item) + " (" + Utf8(RootName(key.root) + key.path) + ")";
}

RegistryValue Text(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {name, type, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

RegistryValue Number(const std::wstring& name, DWORD number) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&number);
    return {name, REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(number))};
}

std::string Describe(const std::optional<RegistryValue>& value) {
    if (!value) return "(absent)";
    const std::vector<BYTE>& data = value->data;
    if ((value->type == REG_SZ || value->type == REG_EXPAND_SZ) && data.size() % 2 == 0) {
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
        const bool terminated = !text.empty() && text.back() == L'\0';
        if (terminated) text.pop_back();
        return (value->type == REG_SZ ? "REG_SZ \"" : "REG_EXPAND_SZ \"") + Utf8(text) + "\"" +
               (terminated ? "" : " (no final null)");
    }
    if (value->type == REG_DWORD && data.size() == 4) {
        DWORD number = 0;
        std::copy(data.begin(), data.end(), reinterpret_cast<BYTE*>(&number));
        return "REG_DWORD " + std::to_string(number);
    }
    return "type " + std::to_string(value->type) + ", " + std::to_string(data.size()) + " bytes";
}

// Problems of writing: one line when a call failed.
void Expect(Problems& problems, LONG status, const std::string& what) {
    if (status != ERROR_SUCCESS) problems.push_back(what + ": error " + std::to_string(status));
}

LONG DeleteKey(HKEY root, const std::wstring& path) {
    const LONG status = ::RegDeleteTreeW(root, path.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LONG SetValue(HKEY root, const std::wstring& path, const RegistryValue& value) {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = ::RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                              static_cast<DWORD>(value.data.size()));
    ::RegCloseKey(key);
    return status;
}

LONG WriteTree(HKEY root, const std::wstring& path, const RegistryTree& tree) {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    for (const RegistryValue& value : tree.values) {
        if (status == ERROR_SUCCESS)
            status = ::RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                                      static_cast<DWORD>(value.data.size()));
    }
    ::RegCloseKey(key);
    for (const auto& [name, subtree] : tree.subkeys) {
        if (status == ERROR_SUCCESS) status = WriteTree(root, path + L"\\" + name, subtree);
    }
    return status;
}

// Replaces the key at `path` by `tree`.
LONG ReplaceTree(HKEY root, const std::wstring& path, const RegistryTree& tree) {
    const LONG status = DeleteKey(root, path);
    if (status != ERROR_SUCCESS || !tree.exists) return status;
    return WriteTree(root, path, tree);
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

std::optional<RegistryValue> ReadValue(HKEY root, const std::wstring& path,
                                       const std::wstring& name) {
    const RegistryTree tree = ReadRegistryTree(root, path);
    for (const RegistryValue& value : tree.values) {
        if (::lstrcmpiW(value.name.c_str(), name.c_str()) == 0) return value;
    }
    return std::nullopt;
}

// The sandbox's folders, each with its final backslash, found here on their own.
std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\";
}

std::wstring ProgramFilesFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\";
}

// The worm runs its script from streams of two system files, each command after it.
std::wstring ScriptCommand(const std::wstring& stream, const std::wstring& command) {
    return L"WScript.exe \"" + WindowsFolder() + stream + L"\" " + command;
}

// The worm's verbs for My Computer and for a volume: its script behind "open" and "AutoRun".
RegistryTree WormVerbs(const std::wstring& defaultVerb) {
    auto verb = [](const std::wstring& title, const std::wstring& argument) {
        RegistryTree command{true, {Text(L"", ScriptCommand(L"explorer.exe:.vbs", argument))}, {}};
        return RegistryTree{true, {Text(L"", title)}, {{L"command", command}}};
    };
    return RegistryTree{
        true,
        {Text(L"", defaultVerb)},
        {{L"AutoRun", verb(L"AutoPlay", L"autorun")}, {L"open", verb(L"Open", L"open")}}};
}

// What the worm writes into the default value of items 8 to 17.
RegistryValue DamagedOpenCommand(int item) {
    switch (item) {
        case 8:
            return Text(L"", ScriptCommand(L"explorer.exe:.vbs",
                                           L"\"" + ProgramFilesFolder() +
                                               L"Internet Explorer\\iexplore.exe\" %1"));
        case 9:
            return Text(L"", ScriptCommand(L"explorer.exe:.vbs", L"iexplore.exe"));
        case 10:
            return Text(L"", ScriptCommand(L"system32\\smss.exe:.vbs", L"\"%1\" %*"));
        case 11:
            return Text(L"", ScriptCommand(L"explorer.exe:.vbs", L"hh.exe %1"));
        case 12:  // as an expandable text, which is read as stored
            return Text(L"",
                        L"%SystemRoot%\\system32\\WScript.exe \"%SystemRoot%\\explorer.exe:.vbs\" "
                        L"NOTEPAD.EXE %1",
                        REG_EXPAND_SZ);
        case 13:
            return Text(L"", ScriptCommand(L"system32\\smss.exe:.VBS", L"NOTEPAD.EXE %1"));
        case 14:
            return Text(L"", ScriptCommand(L"system32\\smss.exe:.vbs", L"NOTEPAD.EXE %1"));
        case 15:
            return Text(L"", ScriptCommand(L"explorer.exe:.vbs", L"winhlp32.exe %1"));
        case 16:
            return Text(L"", ScriptCommand(L"system32\\smss.exe:.vbs", L"\"%1\" %*"));
        default:
            return Text(L"", ScriptCommand(L"explorer.exe:.vbs", L"regedit.exe \"%1\""));
    }
}

// What the cleaner writes in place of the worm's command, for this sandbox's folders.
std::wstring RepairedOpenCommand(int item) {
    const std::wstring p = ProgramFilesFolder();
    const std::wstring w = WindowsFolder();
    switch (item) {
        case 8:
            return L"\"" + p + L"iexplore.exe\" %1";
        case 9:
            return p + L"iexplore.exe";
        case 10:
            return L"\"%1\" %*";
        case 11:
            return L"\"" + w + L"hh.exe\" %1";
        case 12:
        case 13:
        case 14:
            return w + L"NOTEPAD.EXE %1";
        case 15:
            return w + L"winhlp32.exe %1";
        case 16:
            return L"\"%1\" %*";
        default:
            return L"regedit.exe \"%1\"";
    }
}

const RegistryValue kVolumeClass = Text(L"BaseClass", L"Drive");

// A value of an item: for 4 to 7 a named value, for 8 to 17 the default value.
std::wstring ItemValueName(int item) {
    switch (item) {
        case 4:
        case 5:
            return L"CheckedValue";
        case 6:
            return L"NoDriveTypeAutoRun";
        case 7:
            return L"load";
        default:
            return L"";
    }
}

LONG PlantDamage(int item) {
    const RegistryLocation key = RegistryItemKey(item);
    switch (item) {
        case 1:
            return ReplaceTree(key.root, key.path, WormVerbs(L"AutoRun"));
        case 2:
        case 3: {
            RegistryTree volume{true, {kVolumeClass}, {{L"Shell", WormVerbs(L"AutoRun")}}};
            return ReplaceTree(key.root, key.path, volume);
        }
        case 4:
            return SetValue(key.root, key.path, Number(ItemValueName(item), 3));
        case 5:
            return SetValue(key.root, key.path, Number(ItemValueName(item), 2));
        case 6:
            return SetValue(key.root, key.path, Number(ItemValueName(item), 0));
        case 7:
            return SetValue(key.root, key.path,
                            Text(ItemValueName(item), L"WScript.exe \"" + WindowsFolder() +
                                                          L"system32\\smss.exe:.VBS\""));
        default:
            return SetValue(key.root, key.path, DamagedOpenCommand(item));
    }
}

// The bystanders, each as the whole key (items 1 and 3) or as one value.
const RegistryTree kMyComputerShellNone{true, {Text(L"", L"None")}, {}};
const RegistryTree kVolumeWithoutShell{true, {kVolumeClass}, {}};

std::optional<RegistryValue> BystanderValue(int item) {
    switch (item) {
        case 5:
            return Number(L"CheckedValue", 1);
        case 6:
            return Number(L"NoDriveTypeAutoRun", 0xFF);
        case 7:
            return Text(L"load", L"C:\\Program Files\\Tray\\tray.exe");
        case 14:
            return Text(L"", L"\"C:\\Program Files\\Notepad2\\Notepad2.exe\" %1");
        default:
            return std::nullopt;
    }
}

// Items 2, 3: the volume entry stays with its own value; only its verbs are gone.
Problems CheckItemRepaired(int item) {
    const RegistryLocation key = RegistryItemKey(item);
    const std::string where = Where(item, key);
    const RegistryTree now = ReadRegistryTree(key.root, key.path);
    switch (item) {
        case 1:
            if (now.exists) return {where + ": still exists"};
            if (!ReadRegistryTree(HKEY_LOCAL_MACHINE, kMyComputer).exists)
                return {where + ": My Computer's own key is gone"};
            return {};
        case 2:
        case 3:
            if (now != kVolumeWithoutShell) {
                std::string found = now.exists ? "" : " (the key is gone)";
                for (const auto& subkey : now.subkeys) found += " subkey " + Utf8(subkey.first);
                return {where + ": not just the volume entry with its BaseClass" + found};
            }
            return {};
        default:
            break;
    }
    RegistryValue expected;
    switch (item) {
        case 4:
            expected = Number(ItemValueName(item), 2);
            break;
        case 5:
            expected = Number(ItemValueName(item), 1);
            break;
        case 6:
            expected = Number(ItemValueName(item), 0x91);
            break;
        case 7:
            expected = Text(ItemValueName(item), L"");
            break;
        default:
            expected = Text(L"", RepairedOpenCommand(item));
            break;
    }
    const std::optional<RegistryValue> found = ReadValue(key.root, key.path, expected.name);
    if (found && found->type == expected.type && found->data == expected.data) return {};
    return {where + " \"" + Utf8(expected.name) + "\": " + Describe(found) + ", expected " +
            Describe(expected)};
}

std::vector<RegistryValue> Sorted(std::vector<RegistryValue> values) {
    std::sort(values.begin(), values.end(), [](const auto& a, const auto& b) {
        return ::lstrcmpiW(a.name.c_str(), b.name.c_str()) < 0;
    });
    return values;
}

}  // namespace

std::vector<int> AllRegistryItems() {
    std::vector<int> items;
    for (int item = 1; item <= 17; ++item) items.push_back(item);
    return items;
}

std::vector<int> BystanderItems() { return {1, 3, 5, 6, 7, 14}; }

std::vector<int> ItemsWithoutBystanders() { return {2, 4, 8, 9, 10, 11, 12, 13, 15, 16, 17}; }

RegistryLocation RegistryItemKey(int item) {
    switch (item) {
        case 1:
            return {HKEY_LOCAL_MACHINE, std::wstring(kMyComputer) + L"\\shell"};
        case 2:
            return {HKEY_LOCAL_MACHINE, kVolume};
        case 3:
            return {HKEY_CURRENT_USER, kVolume};
        case 4:
            return {HKEY_LOCAL_MACHINE, std::wstring(kHidden) + L"NOHIDDEN"};
        case 5:
            return {HKEY_LOCAL_MACHINE, std::wstring(kHidden) + L"SHOWALL"};
        case 6:
            return {HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"};
        case 7:
            return {HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows"};
        default:
            if (item >= 8 && item <= 17) return {HKEY_LOCAL_MACHINE, kOpenCommandKeys[item - 8]};
            return {nullptr, L""};
    }
}

Problems CheckSandbox() {
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        return {
            "refusing to change the registry: this is not Wine, and only a sandbox may be "
            "changed"};
    // Wine's default prefix maps a drive to the host's root; the sandbox has none.
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return {"refusing to change the registry: cannot tell where the drives lead"};
    wchar_t drives[256] = {};
    const DWORD length = ::GetLogicalDriveStringsW(255, drives);
    for (const wchar_t* root = drives; root < drives + length && *root;
         root += lstrlenW(root) + 1) {
        char* target = unixName(root);
        const bool hostRoot =
            target && std::string(target).find_first_not_of("/.") == std::string::npos;
        if (target) ::HeapFree(::GetProcessHeap(), 0, target);
        if (hostRoot)
            return {"refusing to change the registry: drive " + Utf8(root) +
                    " is the host's root, so this is no sandbox"};
    }
    return {};
}

Problems PlantRegistryDamage(const std::vector<int>& items) {
    Problems problems = CheckSandbox();
    if (!problems.empty()) return problems;
    for (int item : items)
        Expect(problems, PlantDamage(item),
               "planting the damage of " + Where(item, RegistryItemKey(item)));
    return problems;
}

Problems PlantRegistryBystanders() {
    Problems problems = CheckSandbox();
    if (!problems.empty()) return problems;
    const RegistryLocation shell = RegistryItemKey(1);
    Expect(problems, ReplaceTree(shell.root, shell.path, kMyComputerShellNone),
           "planting the bystander of " + Where(1, shell));
    const RegistryLocation volume = RegistryItemKey(3);
    Expect(problems, ReplaceTree(volume.root, volume.path, kVolumeWithoutShell),
           "planting the bystander of " + Where(3, volume));
    for (int item : {5, 6, 7, 14}) {
        const RegistryLocation key = RegistryItemKey(item);
        Expect(problems, SetValue(key.root, key.path, *BystanderValue(item)),
               "planting the bystander of " + Where(item, key));
    }
    return problems;
}

Problems CheckRegistryRepaired(const std::vector<int>& items) {
    Problems problems;
    for (int item : items) {
        const Problems found = CheckItemRepaired(item);
        problems.insert(problems.end(), found.begin(), found.end());
    }
    return problems;
}

Problems CheckRegistryBystandersUnchanged() {
    Problems problems;
    const RegistryLocation shell = RegistryItemKey(1);
    if (ReadRegistryTree(shell.root, shell.path) != kMyComputerShellNone)
        problems.push_back(Where(1, shell) + ": not just the default value \"None\"");
    const RegistryLocation volume = RegistryItemKey(3);
    if (ReadRegistryTree(volume.root, volume.path) != kVolumeWithoutShell)
        problems.push_back(Where(3, volume) + ": not just the volume entry with its BaseClass");
    for (int item : {5, 6, 7, 14}) {
        const RegistryLocation key = RegistryItemKey(item);
        const RegistryValue expected = *BystanderValue(item);
        const std::optional<RegistryValue> found = ReadValue(key.root, key.path, expected.name);
        if (!found || *found != expected)
            problems.push_back(Where(item, key) + " \"" + Utf8(expected.name) +
                               "\": " + Describe(found) + ", expected " + Describe(expected));
    }
    return problems;
}

Problems RemoveRegistryItemKey(int item) {
    Problems problems = CheckSandbox();
    if (!problems.empty()) return problems;
    const RegistryLocation key = RegistryItemKey(item);
    Expect(problems, DeleteKey(key.root, key.path), "deleting " + Where(item, key));
    return problems;
}

RegistryTree ReadRegistryTree(HKEY root, const std::wstring& path) {
    RegistryTree tree;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return tree;
    tree.exists = true;
    DWORD maxName = 0, maxData = 0, maxSubkey = 0;
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr, nullptr,
                       &maxName, &maxData, nullptr, nullptr);
    for (DWORD index = 0;; ++index) {
        std::wstring name(maxName + 1, L'\0');
        std::vector<BYTE> data(maxData + 1);
        DWORD nameLength = maxName + 1, size = maxData + 1, type = REG_NONE;
        if (::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(),
                            &size) != ERROR_SUCCESS)
            break;
        name.resize(nameLength);
        data.resize(size);
        tree.values.push_back({name, type, data});
    }
    for (DWORD index = 0;; ++index) {
        std::wstring name(maxSubkey + 1, L'\0');
        DWORD nameLength = maxSubkey + 1;
        if (::RegEnumKeyExW(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS)
            break;
        name.resize(nameLength);
        tree.subkeys.emplace_back(name, RegistryTree{});
    }
    ::RegCloseKey(key);
    for (auto& [name, subtree] : tree.subkeys)
        subtree = ReadRegistryTree(root, path + L"\\" + name);
    tree.values = Sorted(std::move(tree.values));
    std::sort(tree.subkeys.begin(), tree.subkeys.end(), [](const auto& a, const auto& b) {
        return ::lstrcmpiW(a.first.c_str(), b.first.c_str()) < 0;
    });
    return tree;
}

std::vector<RegistryTree> ReadRegistryItems() {
    std::vector<RegistryTree> trees;
    for (int item : AllRegistryItems()) {
        const RegistryLocation key = RegistryItemKey(item);
        trees.push_back(ReadRegistryTree(key.root, key.path));
    }
    return trees;
}

RegistryBackup::RegistryBackup() {
    for (int item : AllRegistryItems()) {
        const RegistryLocation key = RegistryItemKey(item);
        // The topmost missing key on the way down, if any: everything from there on is new later.
        size_t end = 0;
        for (;;) {
            end = key.path.find(L'\\', end + 1);
            const std::wstring path = key.path.substr(0, end);
            if (!KeyExists(key.root, path) || end == std::wstring::npos) {
                m_entries.push_back({key.root, path, ReadRegistryTree(key.root, path)});
                break;
            }
        }
    }
}

Problems RegistryBackup::Restore() const {
    Problems problems = CheckSandbox();
    if (!problems.empty()) return problems;
    for (const Entry& entry : m_entries)
        Expect(problems, ReplaceTree(entry.root, entry.path, entry.tree),
               "restoring " + Utf8(RootName(entry.root) + entry.path));
    return problems;
}

}  // namespace planter
