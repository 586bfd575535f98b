// Cleaning drive roots: real folders and files with real attributes on the sandbox's drives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "removal/DriveCleaning.h"
#include "scan/ScanState.h"
#include "win/Handle.h"

namespace {

constexpr DWORD H = FILE_ATTRIBUTE_HIDDEN;
constexpr DWORD S = FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD R = FILE_ATTRIBUTE_READONLY;
constexpr DWORD A = FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD kGone = INVALID_FILE_ATTRIBUTES;
constexpr DWORD kNormalFolder = FILE_ATTRIBUTE_DIRECTORY;

struct Item {
    const wchar_t* name;  // below the root
    bool folder;
    DWORD attributes;  // as made
    DWORD after;       // as GetFileAttributesW reports it after the cleaning; 0: unchanged
};

void Make(const std::wstring& path, bool folder, DWORD attributes) {
    if (folder) {
        ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr) ||
                    ::GetLastError() == ERROR_ALREADY_EXISTS);
    } else {
        win::FileHandle f(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f.IsValid());
    }
    ASSERT_TRUE(
        ::SetFileAttributesW(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL));
}

// Deletes a folder tree whatever the attributes inside it.
void RemoveTree(const std::wstring& path) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    WIN32_FIND_DATAW entry;
    win::FindHandle find(::FindFirstFileW((path + L"\\*").c_str(), &entry));
    if (find) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find.Get(), &entry));
    }
    find.Reset();
    ::RemoveDirectoryW(path.c_str());
}

void ResetCounters() {
    g_scanState.stopRequested = 0;
    g_scanState.virusCount = 0;
    g_scanState.restoredCount = 0;
}

struct RootCase {
    const char* name;
    std::vector<Item> items;
    int virus;
    int restored;
};

class CleanDriveRootTest : public ::testing::Test {
protected:
    const std::wstring m_root = L"D:\\cleaning-test\\";
    void SetUp() override {
        RemoveTree(L"D:\\cleaning-test");
        ResetCounters();
    }
    void TearDown() override { RemoveTree(L"D:\\cleaning-test"); }

    void Run(const RootCase& c) {
        SCOPED_TRACE(c.name);
        RemoveTree(L"D:\\cleaning-test");
        ASSERT_TRUE(::CreateDirectoryW(L"D:\\cleaning-test", nullptr));
        // Files are made with their attributes; what Wine reports for a plain file is read back.
        std::vector<DWORD> made;
        for (const Item& item : c.items) {
            Make(m_root + item.name, item.folder, item.attributes);
            made.push_back(::GetFileAttributesW((m_root + item.name).c_str()));
        }
        ResetCounters();

        EXPECT_TRUE(CleanDriveRoot(m_root));

        EXPECT_EQ(g_scanState.virusCount, c.virus);
        EXPECT_EQ(g_scanState.restoredCount, c.restored);
        for (size_t i = 0; i < c.items.size(); ++i) {
            const Item& item = c.items[i];
            const DWORD want = item.after ? item.after : made[i];
            EXPECT_EQ(::GetFileAttributesW((m_root + item.name).c_str()), want) << "item #" << i;
        }
    }
};

TEST_F(CleanDriveRootTest, CasesOfOneRoot) {
    const RootCase cases[] = {
        {"decoy beside its hidden folder, with the autorun pair",
         {{L"photos", true, H | S, kNormalFolder},
          {L"photos.lnk", false, 0, kGone},
          {L"Autorun.inf", false, H | S, kGone},
          {L".vbs", false, H, kGone}},
         3,
         1},
        {"decoy without the autorun pair still counts it",
         {{L"photos", true, H | S, kNormalFolder}, {L"photos.lnk", false, 0, kGone}},
         3,
         1},
        {"two decoys: the autorun clean-up once",
         {{L"a", true, H | S, kNormalFolder},
          {L"a.lnk", false, 0, kGone},
          {L"b", true, H | S, kNormalFolder},
          {L"b.lnk", false, 0, kGone},
          {L"Autorun.inf", false, 0, kGone}},
         4,
         2},
        {"shortcut without a folder, or beside a file: no decoy, no autorun clean-up",
         {{L"photos.lnk", false, 0, 0},
          {L"readme", false, 0, 0},
          {L"readme.lnk", false, 0, 0},
          {L"Autorun.inf", false, 0, 0},
          {L".vbs", false, 0, 0}},
         0,
         0},
        {"letter case and position of .lnk do not matter",
         {{L"Report", true, 0, 0},
          {L"Report.LNK", false, 0, kGone},
          {L"a.lnk", true, 0, 0},
          {L"a.lnk.txt", false, 0, kGone}},
         4,
         0},
        {"Windows' own hidden system folders stay hidden",
         {{L"RECYCLER", true, H | S, 0},
          {L"$Recycle.Bin", true, H | S, 0},
          {L"System Volume Information", true, H | S, 0},
          {L"Config.Msi", true, H | S, 0},
          {L"Recycled photos", true, H | S, 0},
          {L"MSOCache", true, H | S, 0},
          {L"ProgramData", true, H | S, 0}},
         0,
         0},
        {"a decoy named after an excluded folder is deleted, the folder stays",
         {{L"Config.Msi", true, H | S, 0}, {L"Config.Msi.lnk", false, 0, kGone}},
         3,
         0},
        {"hidden folder without system, hidden system file: left alone",
         {{L"hidden", true, H, 0}, {L"secret.dat", false, H | S, 0}},
         0,
         0},
        {"every attribute of a restored folder is cleared",
         {{L"music", true, H | S | R | A, kNormalFolder}},
         0,
         1},
        {"a read-only decoy that cannot be deleted is counted all the same",
         {{L"photos", true, H | S, kNormalFolder}, {L"photos.lnk", false, R, 0}},
         3,
         1},
        {"nothing below the root is looked at",
         {{L"sub", true, 0, 0},
          {L"sub\\deep", true, H | S, 0},
          {L"sub\\deep.lnk", false, 0, 0},
          {L"sub\\Autorun.inf", false, 0, 0}},
         0,
         0},
        {"a folder named like a shortcut is not a decoy",
         {{L"photos", true, H | S, kNormalFolder}, {L"photos.lnk", true, 0, 0}},
         0,
         1},
        {"a file named only .lnk is not a decoy of the root itself",
         {{L".lnk", false, 0, 0}, {L"Autorun.inf", false, 0, 0}},
         0,
         0},
    };
    for (const RootCase& c : cases) Run(c);
}

TEST_F(CleanDriveRootTest, AFolderThatCannotBeListedIsPassedOver) {
    EXPECT_FALSE(CleanDriveRoot(L"D:\\no-such-folder\\"));
    EXPECT_EQ(g_scanState.virusCount, 0);
}

// The same decoy pair in the root of each drive of the sandbox.
class DriveStagesTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kRoots[] = {L"A:\\", L"C:\\", L"D:\\", L"E:\\"};

    void SetUp() override {
        ResetCounters();
        for (const wchar_t* root : kRoots) {
            Make(std::wstring(root) + L"stage-test", true, H | S);
            Make(std::wstring(root) + L"stage-test.lnk", false, 0);
        }
    }
    void TearDown() override {
        for (const wchar_t* root : kRoots) {
            RemoveTree(std::wstring(root) + L"stage-test");
            ::DeleteFileW((std::wstring(root) + L"stage-test.lnk").c_str());
        }
        RemoveStreams();
        ResetCounters();
    }
    static bool Cleaned(const wchar_t* root) {
        return ::GetFileAttributesW((std::wstring(root) + L"stage-test.lnk").c_str()) == kGone &&
               ::GetFileAttributesW((std::wstring(root) + L"stage-test").c_str()) == kNormalFolder;
    }
    static bool Untouched(const wchar_t* root) {
        return ::GetFileAttributesW((std::wstring(root) + L"stage-test.lnk").c_str()) != kGone &&
               ::GetFileAttributesW((std::wstring(root) + L"stage-test").c_str()) ==
                   (FILE_ATTRIBUTE_DIRECTORY | H | S);
    }
    static void MakeStreams() {
        Make(L"C:\\windows\\explorer.exe:.vbs", false, H);
        Make(L"C:\\windows\\system32\\smss.exe:.vbs", false, H);
    }
    static void RemoveStreams() {
        for (const wchar_t* p :
             {L"C:\\windows\\explorer.exe:.vbs", L"C:\\windows\\system32\\smss.exe:.vbs"}) {
            ::SetFileAttributesW(p, FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(p);
        }
    }
};

TEST_F(DriveStagesTest, RemovableStageCleansRemovableDrivesButNeverA) {
    CleanRemovableDrives();
    EXPECT_TRUE(Cleaned(L"E:\\"));
    EXPECT_TRUE(Untouched(L"A:\\"));
    EXPECT_TRUE(Untouched(L"C:\\"));
    EXPECT_TRUE(Untouched(L"D:\\"));
    EXPECT_EQ(g_scanState.virusCount, 3);
    EXPECT_EQ(g_scanState.restoredCount, 1);
}

TEST_F(DriveStagesTest, FixedStageCleansFixedDrivesAndCountsOnlyStreamsThatWereThere) {
    CleanFixedDrives();
    EXPECT_TRUE(Cleaned(L"C:\\"));
    EXPECT_TRUE(Cleaned(L"D:\\"));
    EXPECT_TRUE(Untouched(L"A:\\"));
    EXPECT_TRUE(Untouched(L"E:\\"));
    EXPECT_EQ(g_scanState.virusCount, 6);  // no streams present: none counted
    EXPECT_EQ(g_scanState.restoredCount, 2);
}

TEST_F(DriveStagesTest, FixedStageDeletesBothScriptStreams) {
    MakeStreams();
    CleanFixedDrives();
    EXPECT_EQ(::GetFileAttributesW(L"C:\\windows\\explorer.exe:.vbs"), kGone);
    EXPECT_EQ(::GetFileAttributesW(L"C:\\windows\\system32\\smss.exe:.vbs"), kGone);
    EXPECT_NE(::GetFileAttributesW(L"C:\\windows\\explorer.exe"), kGone);  // the file itself stays
    EXPECT_EQ(g_scanState.virusCount, 8);
}

TEST_F(DriveStagesTest, AStopEndsTheStagesAtTheirNextTest) {
    MakeStreams();
    g_scanState.stopRequested = 1;
    CleanFixedDrives();
    // Stopped after the first stream: the second stream and every drive stay.
    EXPECT_EQ(::GetFileAttributesW(L"C:\\windows\\explorer.exe:.vbs"), kGone);
    EXPECT_NE(::GetFileAttributesW(L"C:\\windows\\system32\\smss.exe:.vbs"), kGone);
    EXPECT_EQ(g_scanState.virusCount, 1);

    // A: is passed over without a test; C: is not removable, and the test after it stops
    // the stage before E:.
    CleanRemovableDrives();
    for (const wchar_t* root : kRoots) EXPECT_TRUE(Untouched(root));
    EXPECT_EQ(g_scanState.virusCount, 1);
}

}  // namespace
