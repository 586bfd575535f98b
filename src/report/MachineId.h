// The installation's anonymous identifier: 16 random bytes made once and kept in the registry.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Where the identifier is kept: the default value of this key, REG_BINARY, 16 bytes.
inline constexpr wchar_t kMachineIdKey[] = L"software\\nolva";
inline constexpr DWORD kMachineIdSize = 16;

// Each byte as two upper-case hexadecimal digits, high four bits first, no separators.
std::wstring HexDigits(const BYTE* bytes, size_t count);

// Fills `id` (created empty by the caller) with the 32 digits of the stored identifier, making and
// storing a new one when the value is missing or damaged. `id` stays empty on any failure.
void MachineId(std::wstring& id);
