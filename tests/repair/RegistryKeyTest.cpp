// CRegistryKey on the sandbox's real registry, in a scratch key that each test removes.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "repair/RegistryKey.h"

namespace {

const wchar_t kScratchParent[] = L"Software\\TarliskTests";
const wchar_t kScratch[] = L"Software\\TarliskTests\\RegistryKey";

static_assert(!std::is_copy_constructible_v<CRegistryKey> &&
              !std::is_copy_assignable_v<CRegistryKey>);
static_assert(std::is_nothrow_move_constructible_v<CRegistryKey> &&
              std::is_nothrow_move_assignable_v<CRegistryKey>);

std::vector<BYTE> Bytes(const std::wstring& text, size_t byteCount) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(bytes, bytes + byteCount);
}

// The whole text, terminating null included.
std::vector<BYTE> Sz(const std::wstring& text) {
    return Bytes(text, (text.size() + 1) * sizeof(wchar_t));
}

class RegistryKeyTest : public testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratchParent);
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        m_raw.Reset(key);
    }
    void TearDown() override {
        m_raw.Reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratchParent);
    }

    // Stores exactly these bytes. Windows adds a null to a text whose count leaves out the one
    // that follows it, so the byte after the count is never a null here.
    void Put(const wchar_t* name, DWORD type, std::vector<BYTE> data) {
        const DWORD size = static_cast<DWORD>(data.size());
        data.insert(data.end(), {'x', 0, 'x', 0});
        ASSERT_EQ(::RegSetValueExW(m_raw.Get(), name, 0, type, data.data(), size), ERROR_SUCCESS);
    }

    // Type and bytes of a value of the scratch key; type REG_NONE and no bytes when absent.
    std::pair<DWORD, std::vector<BYTE>> Get(const wchar_t* name) {
        DWORD type = REG_NONE, size = 0;
        if (::RegQueryValueExW(m_raw.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return {REG_NONE, {}};
        std::vector<BYTE> data(size);
        ::RegQueryValueExW(m_raw.Get(), name, nullptr, &type, data.data(), &size);
        return {type, data};
    }

    bool Exists(const std::wstring& path) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(key);
        return true;
    }

    void MakeKey(const std::wstring& path) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }

    win::RegKey m_raw;
};

TEST_F(RegistryKeyTest, OpenHoldsAnExistingKeyAndKeepsItWhenAnotherIsMissing) {
    Put(L"marker", REG_SZ, Sz(L"held"));
    CRegistryKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
    EXPECT_TRUE(key.IsOpen());

    const std::wstring missing = std::wstring(kScratch) + L"\\Missing\\Deeper";
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, missing.c_str()), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(Exists(std::wstring(kScratch) + L"\\Missing"));

    wchar_t text[16] = {};
    EXPECT_EQ(key.ReadText(L"marker", text, 16), ERROR_SUCCESS);
    EXPECT_STREQ(text, L"held");
}

TEST_F(RegistryKeyTest, OpenGivesAllAccess) {
    CRegistryKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
    EXPECT_EQ(key.WriteDword(L"n", 1), ERROR_SUCCESS);
    MakeKey(std::wstring(kScratch) + L"\\Child");
    EXPECT_EQ(key.DeleteSubtree(L"Child"), ERROR_SUCCESS);
}

// A key of the 32-bit view under the same name must not be the one opened.
TEST_F(RegistryKeyTest, OpenUsesThisProcessesRegistryView) {
    const wchar_t path[] = L"Software\\TarliskTests";
    auto put = [&](REGSAM view, DWORD number) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(key, L"view", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
        ::RegCloseKey(key);
    };
    put(KEY_WOW64_64KEY, 64);
    put(KEY_WOW64_32KEY, 32);

    CRegistryKey key;
    DWORD view = 0;
    EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, path), ERROR_SUCCESS);
    EXPECT_EQ(key.ReadDword(L"view", view), ERROR_SUCCESS);
    EXPECT_EQ(view, 64u);

    key.Close();
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY, 0);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY, 0);
}

TEST_F(RegistryKeyTest, CloseEmptiesTheObject) {
    CRegistryKey key;
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);  // nothing held
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
    EXPECT_FALSE(key.IsOpen());
    DWORD number = 0;
    EXPECT_EQ(key.ReadDword(L"n", number), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryKeyTest, MovingHandsTheKeyOver) {
    Put(L"n", REG_DWORD, {7, 0, 0, 0});
    CRegistryKey first;
    ASSERT_EQ(first.Open(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
    CRegistryKey second(std::move(first));
    DWORD number = 0;
    EXPECT_EQ(first.ReadDword(L"n", number),
              ERROR_INVALID_HANDLE);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(second.ReadDword(L"n", number), ERROR_SUCCESS);
    EXPECT_EQ(number, 7u);

    CRegistryKey third;
    third = std::move(second);
    EXPECT_FALSE(second.IsOpen());  // NOLINT(bugprone-use-after-move)
    EXPECT_TRUE(third.IsOpen());
}

// ReadText into a buffer of 512 characters, each preset to '#'.
struct ReadTextCase {
    const char* what;
    const wchar_t* name;  // the value read; null for the default value
    bool stored;          // whether the value is stored before the read
    DWORD type;
    std::vector<BYTE> data;
    LONG status;
    std::vector<wchar_t> buffer;  // what the buffer then begins with; empty: all left as '#'
};

constexpr DWORD kCapacity = 512;

std::vector<wchar_t> Chars(const std::wstring& text) { return {text.begin(), text.end()}; }

std::vector<ReadTextCase> ReadTextCases() {
    const std::wstring full(511, L'a');     // 511 characters and the null: 1024 bytes
    const std::wstring tooLong(512, L'b');  // with the null 1026 bytes
    const std::wstring unterminated(512, L'c');
    using namespace std::string_literals;
    return {
        {"text", L"v", true, REG_SZ, Sz(L"abc"), ERROR_SUCCESS, Chars(L"abc"s + L'\0')},
        {"expandable text, not expanded", L"v", true, REG_EXPAND_SZ, Sz(L"%SystemRoot%\\x"),
         ERROR_SUCCESS, Chars(L"%SystemRoot%\\x"s + L'\0')},
        {"default value", nullptr, true, REG_SZ, Sz(L"dflt"), ERROR_SUCCESS,
         Chars(L"dflt"s + L'\0')},
        {"missing default value", nullptr, false, REG_SZ, {}, ERROR_FILE_NOT_FOUND, {}},
        {"missing value", L"v", false, REG_SZ, {}, ERROR_FILE_NOT_FOUND, {}},
        {"zero bytes", L"v", true, REG_SZ, {}, ERROR_SUCCESS, Chars(L"\0"s)},
        {"exactly 1024 bytes", L"v", true, REG_SZ, Sz(full), ERROR_SUCCESS, Chars(full + L'\0')},
        {"one character more", L"v", true, REG_SZ, Sz(tooLong), ERROR_MORE_DATA, {}},
        {"1024 bytes without a null", L"v", true, REG_SZ, Bytes(unterminated, 1024),
         ERROR_INVALID_DATA, Chars(unterminated)},
        {"multi-string", L"v", true, REG_MULTI_SZ, Sz(L"one"s + L'\0' + L"two" + L'\0'),
         ERROR_INVALID_DATA, Chars(L"one"s + L'\0' + L"two" + L'\0' + L'\0')},
        {"odd byte count", L"v", true, REG_SZ, Bytes(L"abc", 5), ERROR_INVALID_DATA, Chars(L"ab")},
        {"no final null", L"v", true, REG_SZ, Bytes(L"abc", 6), ERROR_INVALID_DATA, Chars(L"abc")},
        {"number", L"v", true, REG_DWORD, {'z', 0, 'y', 0}, ERROR_INVALID_DATA, Chars(L"zy")},
    };
}

TEST_F(RegistryKeyTest, ReadTextTable) {
    for (const ReadTextCase& c : ReadTextCases()) {
        SCOPED_TRACE(c.what);
        ::RegDeleteValueW(m_raw.Get(), c.name);
        if (c.stored) Put(c.name, c.type, c.data);
        CRegistryKey key;
        ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
        std::vector<wchar_t> buffer(kCapacity, L'#');
        EXPECT_EQ(key.ReadText(c.name, buffer.data(), kCapacity), c.status);
        if (c.buffer.empty()) {
            EXPECT_EQ(buffer, std::vector<wchar_t>(kCapacity, L'#'));
        } else {
            ASSERT_LE(c.buffer.size(), buffer.size());
            EXPECT_EQ(std::vector<wchar_t>(buffer.begin(), buffer.begin() + c.buffer.size()),
                      c.buffer);
        }
    }
}

struct ReadDwordCase {
    const char* what;
    bool stored;
    DWORD type;
    std::vector<BYTE> data;
    LONG status;
    DWORD number;  // what the number holds afterwards; preset 0xA5A5A5A5
};

TEST_F(RegistryKeyTest, ReadDwordTable) {
    const std::vector<ReadDwordCase> cases = {
        {"number", true, REG_DWORD, {0x91, 0, 0, 0}, ERROR_SUCCESS, 0x91},
        {"absent", false, REG_DWORD, {}, ERROR_FILE_NOT_FOUND, 0xA5A5A5A5},
        {"4 bytes of binary", true, REG_BINARY, {1, 2, 3, 4}, ERROR_INVALID_DATA, 0x04030201},
        {"2 bytes of binary", true, REG_BINARY, {1, 2}, ERROR_INVALID_DATA, 0xA5A50201},
        {"longer than 4 bytes",
         true,
         REG_QWORD,
         {0, 0, 0, 0, 0, 0, 0, 0},
         ERROR_MORE_DATA,
         0xA5A5A5A5},
    };
    for (const ReadDwordCase& c : cases) {
        SCOPED_TRACE(c.what);
        ::RegDeleteValueW(m_raw.Get(), L"n");
        if (c.stored) Put(L"n", c.type, c.data);
        CRegistryKey key;
        ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
        DWORD number = 0xA5A5A5A5;
        EXPECT_EQ(key.ReadDword(L"n", number), c.status);
        EXPECT_EQ(number, c.number);
    }
}

TEST_F(RegistryKeyTest, WritesStoreTextWithItsNullAndNumbersAsFourBytes) {
    struct Case {
        const char* what;
        const wchar_t* name;
        const wchar_t* text;  // null: write the number 0x91
        DWORD type;
        std::vector<BYTE> data;
    };
    const std::vector<Case> cases = {
        {"text", L"t", L"abc", REG_SZ, Sz(L"abc")},
        {"empty text", L"load", L"", REG_SZ, {0, 0}},
        {"default value", nullptr, L"x", REG_SZ, Sz(L"x")},
        {"number", L"n", nullptr, REG_DWORD, {0x91, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRegistryKey key;
        ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
        EXPECT_EQ(c.text ? key.WriteText(c.name, c.text) : key.WriteDword(c.name, 0x91),
                  ERROR_SUCCESS);
        EXPECT_EQ(Get(c.name), std::make_pair(c.type, c.data));
    }
}

TEST_F(RegistryKeyTest, DeleteSubtreeRemovesNestedKeysAndNothingElse) {
    const std::wstring base = kScratch;
    for (const wchar_t* path : {L"\\Shell\\open\\command", L"\\Shell\\open\\ddeexec\\Topic",
                                L"\\Shell\\AutoRun\\command", L"\\Sibling"})
        MakeKey(base + path);
    CRegistryKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);

    EXPECT_EQ(key.DeleteSubtree(L"Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(Exists(base + L"\\Shell\\open\\command"));

    // Names ignore letter case.
    EXPECT_EQ(key.DeleteSubtree(L"shell"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(base + L"\\Shell"));
    EXPECT_TRUE(Exists(base + L"\\Sibling"));
    EXPECT_TRUE(Exists(base));
}

TEST_F(RegistryKeyTest, EveryOperationOfAnEmptyObjectFailsAndWritesNothing) {
    CRegistryKey key;
    std::vector<wchar_t> buffer(kCapacity, L'#');
    DWORD number = 5;
    EXPECT_EQ(key.ReadText(L"v", buffer.data(), kCapacity), ERROR_INVALID_HANDLE);
    EXPECT_EQ(buffer, std::vector<wchar_t>(kCapacity, L'#'));
    EXPECT_EQ(key.ReadDword(L"v", number), ERROR_INVALID_HANDLE);
    EXPECT_EQ(number, 5u);
    EXPECT_EQ(key.WriteText(L"v", L"x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(key.WriteDword(L"v", 1), ERROR_INVALID_HANDLE);
    MakeKey(std::wstring(kScratch) + L"\\Child");
    EXPECT_EQ(key.DeleteSubtree(L"Child"), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(Exists(std::wstring(kScratch) + L"\\Child"));
    EXPECT_EQ(Get(L"v").first, static_cast<DWORD>(REG_NONE));
}

}  // namespace
