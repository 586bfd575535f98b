#include "report/MachineIdKey.h"

#include "report/MachineId.h"
#include "win/Handle.h"

namespace testing_support {

namespace {

bool KeyExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineIdKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

}  // namespace

std::optional<RegValue> ReadMachineIdValue() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineIdKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    win::RegKey owner(key);
    RegValue value;
    DWORD size = 0;
    if (::RegQueryValueExW(key, nullptr, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (::RegQueryValueExW(key, nullptr, nullptr, &value.type, value.data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

bool WriteMachineIdValue(DWORD type, const std::vector<BYTE>& data) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachineIdKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return false;
    win::RegKey owner(key);
    return ::RegSetValueExW(key, nullptr, 0, type, data.data(), static_cast<DWORD>(data.size())) ==
           ERROR_SUCCESS;
}

bool DeleteMachineIdKey() {
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMachineIdKey);
    return !KeyExists();
}

SavedMachineIdKey::SavedMachineIdKey() : m_keyExisted(KeyExists()), m_value(ReadMachineIdValue()) {}

SavedMachineIdKey::~SavedMachineIdKey() {
    if (!m_keyExisted) {
        DeleteMachineIdKey();
        return;
    }
    if (m_value) {
        WriteMachineIdValue(m_value->type, m_value->data);
        return;
    }
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachineIdKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                          &key, nullptr) == ERROR_SUCCESS) {
        ::RegDeleteValueW(key, nullptr);
        ::RegCloseKey(key);
    }
}

}  // namespace testing_support
