// The last stage of a scan: checks and repairs the registry settings that the worm changed.
#pragma once

#include <cstddef>
#include <string>

// Raises g_scanState.restoredCount for each repaired item; stops between items on request.
void RepairSystem();

namespace repair {

// Capacity, in characters, of the buffer that a value's text is read into.
inline constexpr size_t kTextCapacity = 512;

// Whether the text in `buffer` holds `word`, ignoring letter case. The text ends at its first null
// but never goes beyond `capacity` characters: a value that fills the buffer has no null.
bool TextContains(const wchar_t* buffer, size_t capacity, const wchar_t* word);

// The open command that item `item` (8 to 17) puts in place of the worm's, given the Program
// Files folder and the Windows directory, each with its final backslash. Empty when the item
// needs a folder that is empty (not known), and for any other item number.
std::wstring ExpectedCommandLine(int item, const std::wstring& programFiles,
                                 const std::wstring& windows);

}  // namespace repair
