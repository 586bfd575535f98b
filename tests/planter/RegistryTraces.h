// The registry part of the worm's traces in the sandbox PC: the damage that the worm does to the
// seventeen items that the cleaner repairs, bystanders that resemble it but must stay as they
// are, the checks of what a scan leaves behind, and a backup of every key involved.
//
// Items are numbered 1 to 17 in the order in which the cleaner repairs them. Functions that
// write refuse to run outside Wine, or in a Wine prefix with a drive on the host's root.
// Every function returns a list of problems, one line of UTF-8 each: what could not be planted,
// or how the registry differs from what was expected. Empty means all is well.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace planter {

using Problems = std::vector<std::string>;

// 1 to 17.
std::vector<int> AllRegistryItems();
// The items that PlantRegistryBystanders takes over: 1, 3, 5, 6, 7 and 14.
std::vector<int> BystanderItems();
// All other items: 2, 4, 8 to 13, 15 to 17.
std::vector<int> ItemsWithoutBystanders();

// The key that the cleaner opens for `item`.
struct RegistryLocation {
    HKEY root;
    std::wstring path;
};
RegistryLocation RegistryItemKey(int item);

// An empty list when this process may write the registry: it runs under Wine (ntdll exports
// wine_get_version) and no drive maps the host's root directory.
Problems CheckSandbox();

// Damages `items` as the worm does, replacing whatever the items' keys held.
Problems PlantRegistryDamage(const std::vector<int>& items = AllRegistryItems());
// Clean but unusual settings on the bystander items: My Computer's `shell` default "None", the
// current user's volume entry without `Shell`, `CheckedValue` 1 under SHOWALL,
// `NoDriveTypeAutoRun` 0xFF, a `load` value without a script stream, a `txtfile` open command
// of another editor. Planted after PlantRegistryDamage, they take the place of its damage there.
Problems PlantRegistryBystanders();

// After a scan: each of `items` holds what the cleaner puts in place of the worm's damage.
Problems CheckRegistryRepaired(const std::vector<int>& items = AllRegistryItems());
// After a scan: every bystander is exactly as PlantRegistryBystanders left it.
Problems CheckRegistryBystandersUnchanged();

// Deletes the key of `item`, with everything below it.
Problems RemoveRegistryItemKey(int item);

// A value, or a key with everything below it, as read from the registry.
struct RegistryValue {
    std::wstring name;  // empty for the default value
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RegistryValue&) const = default;
};
struct RegistryTree {
    bool exists = false;
    std::vector<RegistryValue> values;                           // sorted by name
    std::vector<std::pair<std::wstring, RegistryTree>> subkeys;  // sorted by name
    bool operator==(const RegistryTree&) const = default;
};
RegistryTree ReadRegistryTree(HKEY root, const std::wstring& path);

// The keys of all seventeen items as they stand now (for "nothing was written" checks).
std::vector<RegistryTree> ReadRegistryItems();

// Records the keys of all seventeen items; Restore puts them back as they were, and deletes
// any of them (or of the keys above them) that did not exist when recorded.
class RegistryBackup {
public:
    RegistryBackup();
    Problems Restore() const;

private:
    struct Entry {
        HKEY root;
        std::wstring path;  // the item's key, or its topmost ancestor that was missing
        RegistryTree tree;
    };
    std::vector<Entry> m_entries;
};

}  // namespace planter
