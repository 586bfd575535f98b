#include "repair/RegistryKey.h"

#include <string>

namespace {

// Registry key names are at most 255 characters.
constexpr DWORD kKeyNameCapacity = 256;

// Deletes `name` below `parent` and everything below it. Always takes the child's first subkey
// again, since the one before it is gone.
LONG DeleteTree(HKEY parent, const wchar_t* name) {
    HKEY child = nullptr;
    LONG status = ::RegOpenKeyExW(parent, name, 0, KEY_READ | KEY_WRITE, &child);
    if (status != ERROR_SUCCESS) return status;
    win::RegKey owned(child);
    for (;;) {
        wchar_t subkey[kKeyNameCapacity];
        DWORD length = kKeyNameCapacity;
        if (::RegEnumKeyExW(child, 0, subkey, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;  // normally ERROR_NO_MORE_ITEMS
        status = DeleteTree(child, subkey);
        if (status != ERROR_SUCCESS) return status;
    }
    owned.Reset();
    return ::RegDeleteKeyW(parent, name);
}

}  // namespace

LONG CRegistryKey::Open(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    const LONG status = ::RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &key);
    if (status == ERROR_SUCCESS) m_key.Reset(key);
    return status;
}

LONG CRegistryKey::Close() {
    if (!m_key) return ERROR_SUCCESS;
    return ::RegCloseKey(m_key.Release());
}

LONG CRegistryKey::ReadText(const wchar_t* name, wchar_t* buffer, DWORD capacity) {
    if (!m_key) return ERROR_INVALID_HANDLE;
    // A value longer than the buffer may leave any content in it; put back what was there.
    const std::wstring before(buffer, capacity);
    DWORD type = REG_NONE;
    DWORD bytes = capacity * sizeof(wchar_t);
    const LONG status = ::RegQueryValueExW(m_key.Get(), name, nullptr, &type,
                                           reinterpret_cast<BYTE*>(buffer), &bytes);
    if (status == ERROR_MORE_DATA) before.copy(buffer, capacity);
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    if (bytes == 0) {
        buffer[0] = L'\0';
        return ERROR_SUCCESS;
    }
    if (bytes % sizeof(wchar_t) != 0 || buffer[bytes / sizeof(wchar_t) - 1] != L'\0')
        return ERROR_INVALID_DATA;
    return ERROR_SUCCESS;
}

LONG CRegistryKey::ReadDword(const wchar_t* name, DWORD& value) {
    if (!m_key) return ERROR_INVALID_HANDLE;
    const DWORD before = value;
    DWORD type = REG_NONE;
    DWORD bytes = sizeof(value);
    const LONG status = ::RegQueryValueExW(m_key.Get(), name, nullptr, &type,
                                           reinterpret_cast<BYTE*>(&value), &bytes);
    if (status == ERROR_MORE_DATA) value = before;
    if (status != ERROR_SUCCESS) return status;
    return type == REG_DWORD ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

LONG CRegistryKey::WriteText(const wchar_t* name, const wchar_t* text) {
    if (!m_key) return ERROR_INVALID_HANDLE;
    const DWORD bytes = static_cast<DWORD>((::lstrlenW(text) + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(m_key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            bytes);
}

LONG CRegistryKey::WriteDword(const wchar_t* name, DWORD value) {
    if (!m_key) return ERROR_INVALID_HANDLE;
    return ::RegSetValueExW(m_key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof(value));
}

LONG CRegistryKey::DeleteSubtree(const wchar_t* name) {
    if (!m_key) return ERROR_INVALID_HANDLE;
    return DeleteTree(m_key.Get(), name);
}
