// What the worm leaves on the drives of the sandbox PC, and the bystanders beside it that a
// scan must leave exactly as they are.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace planter {

enum class Fate {
    Deleted,   // a worm file: gone after a scan
    Restored,  // a hidden system folder: visible (attributes normal) after a scan
    Kept,      // a bystander: exactly as planted
};

struct DiskEntry {
    const wchar_t* path;
    bool folder;
    DWORD attributes;  // as planted
    Fate fate;
};

// Every entry the planter makes, traces and bystanders, in the order it makes them.
const std::vector<DiskEntry>& DiskEntries();

// The counts that a scan of exactly these traces gives: each script stream and decoy shortcut,
// plus Autorun.inf and .vbs for each root with a decoy; each restored folder.
int ExpectedDiskVirusCount();
int ExpectedDiskRestoredCount();

// Makes every entry; false (with the reason in `error`) when one cannot be made or when not
// running in the sandbox PC.
bool PlantDisk(std::wstring* error = nullptr);
// Every entry whose state differs from its fate, one line each; empty when all is as expected.
std::vector<std::string> DiskProblems();
// Every entry still as planted, for a check before a scan; empty when all is there.
std::vector<std::string> DiskNotAsPlanted();
// Takes everything the planter made away again.
void RemoveDisk();

}  // namespace planter
