// RepairSystem on the sandbox's real registry. Every test puts the keys of all seventeen items
// back as it found them.
#include <windows.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "planter/RegistryTraces.h"
#include "repair/RepairSystem.h"
#include "scan/ScanState.h"

namespace {

using planter::RegistryTree;
using planter::RegistryValue;

std::string Join(const planter::Problems& problems) {
    std::string text;
    for (const std::string& problem : problems) text += problem + "\n";
    return text;
}

RegistryValue Text(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {name, type, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

RegistryValue Number(const std::wstring& name, DWORD number, DWORD type = REG_DWORD) {
    std::vector<BYTE> data(type == REG_QWORD ? 8 : 4, 0);
    *reinterpret_cast<DWORD*>(data.data()) = number;
    return {name, type, data};
}

// Stores the bytes as they are: the item's key made anew with this one value.
void PutOnly(int item, const std::optional<RegistryValue>& value) {
    const planter::RegistryLocation key = planter::RegistryItemKey(item);
    ::RegDeleteTreeW(key.root, key.path.c_str());
    HKEY handle = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(key.root, key.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &handle, nullptr),
              ERROR_SUCCESS);
    if (value) {
        std::vector<BYTE> data = value->data;
        data.insert(data.end(), {'x', 0});  // Windows adds a null to text that lacks one if it can
        ::RegSetValueExW(handle, value->name.c_str(), 0, value->type, data.data(),
                         static_cast<DWORD>(value->data.size()));
    }
    ::RegCloseKey(handle);
}

class RepairSystemTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Join(planter::CheckSandbox()), "");
        g_scanState.stopRequested = 0;
    }
    void TearDown() override {
        g_scanState.stopRequested = 0;
        EXPECT_EQ(Join(m_backup.Restore()), "");
    }

    // The count of one run.
    int Run() {
        g_scanState.restoredCount = 0;
        RepairSystem();
        return g_scanState.restoredCount.load();
    }

    void Restore() { ASSERT_EQ(Join(m_backup.Restore()), ""); }

    planter::RegistryBackup m_backup;
};

TEST_F(RepairSystemTest, CleanSandboxCountsNothingAndWritesNothing) {
    const std::vector<RegistryTree> before = planter::ReadRegistryItems();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(planter::ReadRegistryItems() == before);
}

TEST_F(RepairSystemTest, EachDamagedItemIsRepairedAndCountedAndNoOtherTouched) {
    for (int item : planter::AllRegistryItems()) {
        SCOPED_TRACE("item " + std::to_string(item));
        Restore();
        ASSERT_EQ(Join(planter::PlantRegistryDamage({item})), "");
        const std::vector<RegistryTree> before = planter::ReadRegistryItems();
        EXPECT_EQ(Run(), 1);
        EXPECT_EQ(Join(planter::CheckRegistryRepaired({item})), "");
        const std::vector<RegistryTree> after = planter::ReadRegistryItems();
        for (int other = 1; other <= 17; ++other) {
            if (other == item) continue;
            EXPECT_TRUE(after[other - 1] == before[other - 1]) << other;
        }
    }
}

TEST_F(RepairSystemTest, WorstCaseCountsSeventeenAndLeavesNothingForASecondRun) {
    ASSERT_EQ(Join(planter::PlantRegistryDamage()), "");
    EXPECT_EQ(Run(), 17);
    EXPECT_EQ(Join(planter::CheckRegistryRepaired()), "");
    const std::vector<RegistryTree> repaired = planter::ReadRegistryItems();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(planter::ReadRegistryItems() == repaired);
}

TEST_F(RepairSystemTest, BystandersStayWhileTheDamageAroundThemIsRepaired) {
    ASSERT_EQ(Join(planter::PlantRegistryDamage()), "");
    ASSERT_EQ(Join(planter::PlantRegistryBystanders()), "");
    EXPECT_EQ(Run(), static_cast<int>(planter::ItemsWithoutBystanders().size()));
    EXPECT_EQ(Join(planter::CheckRegistryRepaired(planter::ItemsWithoutBystanders())), "");
    EXPECT_EQ(Join(planter::CheckRegistryBystandersUnchanged()), "");
}

// One value in an item's key, and whether the item is damaged by it.
struct ValueCase {
    int item;
    const char* what;
    std::optional<RegistryValue> value;  // none: the key without the item's value
    bool damaged;
};

std::vector<ValueCase> ValueCases() {
    const std::wstring stream = L"C:\\windows\\explorer.exe:.vbs";
    const std::wstring other = L"\"C:\\Tools\\other.exe\" \"%1\"";
    std::wstring fills = std::wstring(507, L'a') + L":.vbs";  // 512 characters, no null
    std::wstring tooLong = std::wstring(600, L'a') + L":.vbs";
    const auto* fillBytes = reinterpret_cast<const BYTE*>(fills.data());
    const RegistryValue unterminated{L"load", REG_SZ,
                                     std::vector<BYTE>(fillBytes, fillBytes + 1024)};
    std::vector<ValueCase> cases = {
        {1, "verb of the worm", Text(L"", L"AutoRun"), true},
        {1, "empty default", Text(L"", L""), true},
        {1, "no default value", std::nullopt, true},
        {1, "None", Text(L"", L"None"), false},
        {1, "NONE", Text(L"", L"NONE"), false},
        {1, "none within a text", Text(L"", L"explore,nonesuch"), false},
        {4, "3", Number(L"CheckedValue", 3), true},
        {4, "2", Number(L"CheckedValue", 2), false},
        {4, "absent", std::nullopt, false},
        {5, "2", Number(L"CheckedValue", 2), true},
        {5, "0", Number(L"CheckedValue", 0), false},
        {5, "1", Number(L"CheckedValue", 1), false},
        {5, "absent", std::nullopt, false},
        {6, "0", Number(L"NoDriveTypeAutoRun", 0), true},
        {6, "absent", std::nullopt, false},
        {6, "0xFF", Number(L"NoDriveTypeAutoRun", 0xFF), false},
        {6, "1", Number(L"NoDriveTypeAutoRun", 1), false},
        {6, "0 in 8 bytes", Number(L"NoDriveTypeAutoRun", 0, REG_QWORD), false},
        {7, "script stream in capitals", Text(L"load", L"C:\\WINDOWS\\system32\\smss.exe:.VBS"),
         true},
        {7, "absent", std::nullopt, false},
        {7, "other program", Text(L"load", L"C:\\Program Files\\Tray\\tray.exe"), false},
        {7, "expandable", Text(L"load", L"%windir%\\explorer.exe:.vbs", REG_EXPAND_SZ), true},
        {7, "first of several strings",
         Text(L"load", stream + L'\0' + L"tray.exe" + L'\0', REG_MULTI_SZ), true},
        {7, "second of several strings",
         Text(L"load", L"tray.exe" + std::wstring(1, L'\0') + stream + L'\0', REG_MULTI_SZ), false},
        {7, "1024 bytes without a null, ending in the stream", unterminated, true},
        {7, "longer than the buffer", Text(L"load", tooLong), false},
    };
    for (int item = 8; item <= 17; ++item) {
        cases.push_back(
            {item, "script stream", Text(L"", L"WScript.exe " + stream + L" \"%1\""), true});
        cases.push_back({item, "another program", Text(L"", other), false});
        cases.push_back({item, "no default value", std::nullopt, false});
    }
    return cases;
}

TEST_F(RepairSystemTest, EachItemJudgesItsValue) {
    for (const ValueCase& c : ValueCases()) {
        SCOPED_TRACE("item " + std::to_string(c.item) + ": " + c.what);
        Restore();
        PutOnly(c.item, c.value);
        const std::vector<RegistryTree> before = planter::ReadRegistryItems();
        EXPECT_EQ(Run(), c.damaged ? 1 : 0);
        if (c.damaged) {
            EXPECT_EQ(Join(planter::CheckRegistryRepaired({c.item})), "");
        } else {
            EXPECT_TRUE(planter::ReadRegistryItems() == before);
        }
    }
}

TEST_F(RepairSystemTest, VolumeEntryWithoutShellIsLeftAlone) {
    for (int item : {2, 3}) {
        SCOPED_TRACE("item " + std::to_string(item));
        Restore();
        const planter::RegistryLocation key = planter::RegistryItemKey(item);
        HKEY handle = nullptr;
        const std::wstring other = key.path + L"\\_Autorun\\DefaultIcon";
        ASSERT_EQ(::RegCreateKeyExW(key.root, other.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &handle, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(handle);
        const std::vector<RegistryTree> before = planter::ReadRegistryItems();
        EXPECT_EQ(Run(), 0);
        EXPECT_TRUE(planter::ReadRegistryItems() == before);
    }
}

// A stop is tested only after an item whose key opened, once that item is repaired and
// counted. With the keys of items 1 to `missing` gone and a stop already requested, item
// `missing` + 1 is the one during which the stop falls: it is repaired and counted, and the
// item after it, damaged too, is not reached. Missing keys are not created.
TEST_F(RepairSystemTest, StopEndsTheRunAfterTheNextItemWhoseKeyOpens) {
    for (int missing = 0; missing <= 17; ++missing) {
        SCOPED_TRACE(std::to_string(missing) + " items missing");
        Restore();
        for (int item = 1; item <= missing; ++item)
            ASSERT_EQ(Join(planter::RemoveRegistryItemKey(item)), "");
        std::vector<int> damaged;
        for (int item = missing + 1; item <= std::min(missing + 2, 17); ++item)
            damaged.push_back(item);
        ASSERT_EQ(Join(planter::PlantRegistryDamage(damaged)), "");
        const std::vector<RegistryTree> before = planter::ReadRegistryItems();

        g_scanState.stopRequested = 1;
        EXPECT_EQ(Run(), damaged.empty() ? 0 : 1);
        g_scanState.stopRequested = 0;

        const std::vector<RegistryTree> after = planter::ReadRegistryItems();
        for (int item = 1; item <= missing; ++item) EXPECT_FALSE(after[item - 1].exists) << item;
        if (!damaged.empty()) {
            EXPECT_EQ(Join(planter::CheckRegistryRepaired({damaged[0]})), "");
        }
        for (int item = missing + 2; item <= 17; ++item)
            EXPECT_TRUE(after[item - 1] == before[item - 1]) << item;
    }
}

}  // namespace
