// The two file stages of a scan: the worm's files in drive roots, and the folders it hid there.
#pragma once

#include <windows.h>

#include <string>

// The script streams in the Windows and system folders, then the root of every fixed drive.
void CleanFixedDrives();
// The root of every removable drive but A:.
void CleanRemovableDrives();

// One drive root (or any folder, for tests), given with its final backslash: deletes decoy
// shortcuts that stand beside a folder of the same name, then Autorun.inf and .vbs where a decoy
// was found, and makes hidden system folders visible again. Raises the scan's counters.
// False when the folder cannot be listed.
bool CleanDriveRoot(const std::wstring& root);
