// One open registry key and the few operations that the repair needs. Every operation returns
// the Win32 status code (ERROR_SUCCESS = 0); the class adds ERROR_INVALID_DATA (13) for a value
// of the wrong type or shape, and ERROR_INVALID_HANDLE (6) when it holds no key.
#pragma once

#include <windows.h>

#include "win/Handle.h"

class CRegistryKey {
public:
    CRegistryKey() = default;
    CRegistryKey(CRegistryKey&&) = default;
    CRegistryKey& operator=(CRegistryKey&&) = default;

    // Opens an existing key with all access, in the registry view of this process. On success the
    // key held so far is closed; on failure the object keeps what it held. Never creates a key.
    LONG Open(HKEY root, const wchar_t* path);
    // 0 when no key was held.
    LONG Close();
    bool IsOpen() const { return m_key.IsValid(); }

    // Text of a REG_SZ or REG_EXPAND_SZ value (null name: the default value), as stored, into
    // `buffer` of `capacity` characters. The buffer is neither cleared nor terminated here: after
    // 13 it holds whatever the registry delivered; after a missing value, or one longer than the
    // buffer (234), it holds what it held before the call.
    LONG ReadText(const wchar_t* name, wchar_t* buffer, DWORD capacity);
    // After 13 (not REG_DWORD) `value` holds the bytes delivered, at most 4; after a missing value
    // or one longer than 4 bytes (234) it is unchanged.
    LONG ReadDword(const wchar_t* name, DWORD& value);
    // Stores `text` as REG_SZ with its terminating null (the empty text takes 2 bytes).
    LONG WriteText(const wchar_t* name, const wchar_t* text);
    LONG WriteDword(const wchar_t* name, DWORD value);
    // Deletes the direct child `name` with everything below it, deepest keys first. 0 only when
    // all of it is gone; else the first failing status, with what was deleted before it gone.
    LONG DeleteSubtree(const wchar_t* name);

private:
    win::RegKey m_key;
};
