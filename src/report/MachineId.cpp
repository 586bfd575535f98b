#include "report/MachineId.h"

#include <objbase.h>

#include <cstring>

#include "win/Handle.h"

std::wstring HexDigits(const BYTE* bytes, size_t count) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

void MachineId(std::wstring& id) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    // KEY_READ | KEY_WRITE (0x2001F): the value may have to be written.
    static_assert((KEY_READ | KEY_WRITE) == 0x2001F);
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachineIdKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return;
    win::RegKey owner(key);

    BYTE bytes[kMachineIdSize] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof(bytes);
    const LONG read = ::RegQueryValueExW(key, nullptr, nullptr, &type, bytes, &size);
    if (read != ERROR_SUCCESS || type != REG_BINARY || size != kMachineIdSize) {
        // Missing, of another type, or of another length: replaced by a new identifier.
        GUID guid;
        if (FAILED(::CoCreateGuid(&guid))) return;
        static_assert(sizeof(guid) == sizeof(bytes));
        memcpy(bytes, &guid, sizeof(bytes));
        if (::RegSetValueExW(key, nullptr, 0, REG_BINARY, bytes, sizeof(bytes)) != ERROR_SUCCESS)
            return;
    }
    id = HexDigits(bytes, sizeof(bytes));
}
