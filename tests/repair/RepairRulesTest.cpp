// The parts of the repair that need no registry: the text search, folders, command lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repair/RepairSystem.h"
#include "win/Path.h"

namespace {

using repair::ExpectedCommandLine;
using repair::kTextCapacity;
using repair::TextContains;
using win::WithFinalBackslash;

TEST(TextContains, IgnoresLetterCaseAndStopsAtTheFirstNull) {
    const std::wstring text = std::wstring(L"C:\\WINDOWS\\explorer.exe:.VBS") + L'\0' + L"none";
    EXPECT_TRUE(TextContains(text.c_str(), kTextCapacity, L":.vbs"));
    EXPECT_FALSE(TextContains(text.c_str(), kTextCapacity, L"none"));
    EXPECT_FALSE(TextContains(L"", kTextCapacity, L":.vbs"));
}

// A value of 1024 bytes without a null fills the buffer: what follows it in memory is not text.
TEST(TextContains, NeverReadsBeyondTheBuffer) {
    std::vector<wchar_t> memory(kTextCapacity, L'a');
    const std::wstring after = L":.vbs none";
    memory.insert(memory.end(), after.begin(), after.end());
    memory.push_back(L'\0');
    EXPECT_FALSE(TextContains(memory.data(), kTextCapacity, L":.vbs"));
    EXPECT_FALSE(TextContains(memory.data(), kTextCapacity, L"none"));

    // The 512th character still counts.
    std::copy(after.begin(), after.begin() + 5, memory.begin() + kTextCapacity - 5);
    EXPECT_TRUE(TextContains(memory.data(), kTextCapacity, L":.vbs"));
}

TEST(WithFinalBackslash, AddsOneBackslashOnlyWhenMissing) {
    EXPECT_EQ(WithFinalBackslash(L"C:\\WINDOWS"), L"C:\\WINDOWS\\");
    EXPECT_EQ(WithFinalBackslash(L"C:\\Program Files\\"), L"C:\\Program Files\\");
    EXPECT_EQ(WithFinalBackslash(L"C:\\"), L"C:\\");
    EXPECT_EQ(WithFinalBackslash(L""), L"");
}

TEST(ExpectedCommandLine, ComposesEachItemsCommandFromItsFolder) {
    const std::wstring p = L"C:\\Program Files\\";
    const std::wstring w = L"C:\\WINDOWS\\";
    const std::vector<std::pair<int, std::wstring>> expected = {
        {8, L"\"C:\\Program Files\\iexplore.exe\" %1"},
        {9, L"C:\\Program Files\\iexplore.exe"},
        {10, L"\"%1\" %*"},
        {11, L"\"C:\\WINDOWS\\hh.exe\" %1"},
        {12, L"C:\\WINDOWS\\NOTEPAD.EXE %1"},
        {13, L"C:\\WINDOWS\\NOTEPAD.EXE %1"},
        {14, L"C:\\WINDOWS\\NOTEPAD.EXE %1"},
        {15, L"C:\\WINDOWS\\winhlp32.exe %1"},
        {16, L"\"%1\" %*"},
        {17, L"regedit.exe \"%1\""},
    };
    for (const auto& [item, command] : expected)
        EXPECT_EQ(ExpectedCommandLine(item, p, w), command) << item;
    EXPECT_EQ(ExpectedCommandLine(7, p, w), L"");
    EXPECT_EQ(ExpectedCommandLine(18, p, w), L"");
}

// A command without its folder would run a program of that name from wherever it is started.
TEST(ExpectedCommandLine, IsEmptyWhenItsFolderIsUnknown) {
    const std::wstring p = L"C:\\Program Files\\";
    const std::wstring w = L"C:\\WINDOWS\\";
    for (int item : {8, 9}) EXPECT_EQ(ExpectedCommandLine(item, L"", w), L"") << item;
    for (int item : {11, 12, 13, 14, 15}) EXPECT_EQ(ExpectedCommandLine(item, p, L""), L"") << item;
    for (int item : {10, 16, 17}) EXPECT_NE(ExpectedCommandLine(item, L"", L""), L"") << item;
}

}  // namespace
