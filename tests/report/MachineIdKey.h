// HKLM\software\nolva, where the program keeps the machine identifier, for tests that change it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// The key's default value; nothing when the key or the value is missing.
std::optional<RegValue> ReadMachineIdValue();
// Creates the key when missing and sets its default value.
bool WriteMachineIdValue(DWORD type, const std::vector<BYTE>& data);
// Deletes the key; true when it is gone.
bool DeleteMachineIdKey();

// Puts the key back as the test found it: the sandbox is shared with other tests.
class SavedMachineIdKey {
public:
    SavedMachineIdKey();
    ~SavedMachineIdKey();
    SavedMachineIdKey(const SavedMachineIdKey&) = delete;
    SavedMachineIdKey& operator=(const SavedMachineIdKey&) = delete;

private:
    bool m_keyExisted = false;
    std::optional<RegValue> m_value;
};

}  // namespace testing_support
