// MachineId on the sandbox's real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "report/MachineId.h"
#include "report/MachineIdKey.h"

namespace {

using testing_support::ReadMachineIdValue;
using testing_support::WriteMachineIdValue;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring CallMachineId() {
    std::wstring id;
    MachineId(id);
    return id;
}

bool IsUpperHex(const std::wstring& text) {
    for (wchar_t c : text)
        if (!std::iswdigit(c) && !(c >= L'A' && c <= L'F')) return false;
    return true;
}

// The value now stored is a 16-byte REG_BINARY whose digits are `id`.
void ExpectStored(const std::wstring& id) {
    const auto value = ReadMachineIdValue();
    ASSERT_TRUE(value.has_value()) << "no default value under HKLM\\software\\nolva";
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(value->data.size(), 16u);
    EXPECT_EQ(HexDigits(value->data.data(), value->data.size()), id);
}

class MachineIdTest : public ::testing::Test {
protected:
    testing_support::SavedMachineIdKey m_saved;
};

TEST_F(MachineIdTest, StoredBytesGiveTheirUpperCaseDigitsAndStayAsTheyAre) {
    struct Case {
        std::vector<BYTE> bytes;
        std::wstring id;
    };
    const Case cases[] = {
        {{0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E,
          0x0F},
         L"000102030405060708090A0B0C0D0E0F"},
        {{0xAB, 0xCD, 0xAB, 0xCD, 0xFF, 0xF0, 0x0F, 0x10, 0x9A, 0xA9, 0xCD, 0xAB, 0x00, 0x00, 0xAB,
          0xCD},
         L"ABCDABCDFFF00F109AA9CDAB0000ABCD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.id));
        ASSERT_TRUE(WriteMachineIdValue(REG_BINARY, c.bytes));
        EXPECT_EQ(CallMachineId(), c.id);
        const auto value = ReadMachineIdValue();
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->data, c.bytes) << "a sound identifier was rewritten";
    }
}

TEST_F(MachineIdTest, WithoutTheKeyMakesKeyAndValueAndKeepsThemForTheNextCall) {
    ASSERT_TRUE(testing_support::DeleteMachineIdKey());

    const std::wstring first = CallMachineId();
    EXPECT_EQ(first.size(), 32u);
    EXPECT_TRUE(IsUpperHex(first)) << Narrow(first);
    ExpectStored(first);

    EXPECT_EQ(CallMachineId(), first);
    ExpectStored(first);
}

TEST_F(MachineIdTest, ValueOfAnotherTypeOrLengthIsReplacedByANewIdentifier) {
    std::vector<BYTE> twenty(20);
    for (size_t i = 0; i < twenty.size(); ++i) twenty[i] = static_cast<BYTE>(0xA0 + i);
    // "ABCDEFG" with its terminating zero is exactly 16 bytes: only the type tells it apart.
    const wchar_t text[] = L"ABCDEFG";
    const std::vector<BYTE> sixteenByteText(reinterpret_cast<const BYTE*>(text),
                                            reinterpret_cast<const BYTE*>(text) + sizeof(text));
    struct Case {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    const Case cases[] = {
        {"REG_SZ of 16 bytes", REG_SZ, sixteenByteText},
        {"REG_BINARY of 8 bytes", REG_BINARY,
         std::vector<BYTE>(twenty.begin(), twenty.begin() + 8)},
        {"REG_BINARY of 20 bytes", REG_BINARY, twenty},
        {"REG_BINARY of 0 bytes", REG_BINARY, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteMachineIdValue(c.type, c.data));
        const std::wstring id = CallMachineId();
        EXPECT_EQ(id.size(), 32u);
        EXPECT_TRUE(IsUpperHex(id)) << Narrow(id);
        const size_t used = std::min<size_t>(c.data.size(), 16);
        if (used > 0) {
            EXPECT_NE(id.substr(0, used * 2), HexDigits(c.data.data(), used))
                << "the damaged value was taken as the identifier";
        }
        ExpectStored(id);
        EXPECT_EQ(CallMachineId(), id);
    }
}

}  // namespace
