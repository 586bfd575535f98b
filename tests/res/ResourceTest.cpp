// The resources of TarliskCleaner.exe as Windows will read them: the two dialog templates, the
// icon group, the logo bitmap, the manifest and the version record.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogTemplate.h"
#include "support/HostPath.h"

namespace {

class ProgramResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = ::LoadLibraryExW(testing_support::ProgramPath().c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite() {
        if (s_module) ::FreeLibrary(s_module);
        s_module = nullptr;
    }
    void SetUp() override { ASSERT_NE(s_module, nullptr) << "cannot load TarliskCleaner.exe"; }

    // The bytes of a resource in the one language it exists in; `language` receives that.
    static std::vector<BYTE> Resource(LPCWSTR type, WORD id, LANGID* language = nullptr) {
        std::vector<LANGID> langs;
        ::EnumResourceLanguagesW(
            s_module, type, MAKEINTRESOURCEW(id),
            [](HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR param) -> BOOL {
                reinterpret_cast<std::vector<LANGID>*>(param)->push_back(lang);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&langs));
        if (langs.size() != 1) return {};
        if (language) *language = langs[0];
        HRSRC info = ::FindResourceExW(s_module, type, MAKEINTRESOURCEW(id), langs[0]);
        HGLOBAL data = info ? ::LoadResource(s_module, info) : nullptr;
        const BYTE* bytes = data ? static_cast<const BYTE*>(::LockResource(data)) : nullptr;
        if (!bytes) return {};
        return std::vector<BYTE>(bytes, bytes + ::SizeofResource(s_module, info));
    }

    static inline HMODULE s_module = nullptr;
};

struct ControlRow {
    DWORD id;
    const wchar_t* windowClass;
    const wchar_t* text;
    DWORD style;
    short x, y, cx, cy;
};

void ExpectControls(const DialogTemplate& t, const std::vector<ControlRow>& rows) {
    ASSERT_EQ(t.controls.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const TemplateControl& c = t.controls[i];
        const ControlRow& want = rows[i];
        SCOPED_TRACE("control #" + std::to_string(i));
        EXPECT_EQ(c.id, want.id);
        EXPECT_EQ(c.windowClass, want.windowClass);
        EXPECT_EQ(c.text, want.text);
        EXPECT_EQ(c.style, want.style);
        EXPECT_EQ(c.exStyle, 0u);
        EXPECT_EQ(c.x, want.x);
        EXPECT_EQ(c.y, want.y);
        EXPECT_EQ(c.cx, want.cx);
        EXPECT_EQ(c.cy, want.cy);
    }
}

void ExpectDialogFont(const DialogTemplate& t) {
    EXPECT_EQ(t.typeface, L"宋体");
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ(t.weight, 400);
    EXPECT_EQ(t.italic, 0);
    EXPECT_EQ(t.charset, 134);
}

TEST_F(ProgramResources, MainDialogTemplate129) {
    LANGID lang = 0;
    const std::vector<BYTE> bytes = Resource(RT_DIALOG, 129, &lang);
    DialogTemplate t;
    ASSERT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), t));
    EXPECT_EQ(lang, MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT));
    EXPECT_EQ(t.title, L"赤影(Tarlisk)U盘病毒专杀工具 - 诺瓦安全系列产品");
    EXPECT_EQ(t.style, 0x00CA0040u);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.cx, 335);
    EXPECT_EQ(t.cy, 186);
    ExpectDialogFont(t);
    ExpectControls(t, {
                          {1008, L"Button", L"开始查杀", 0x50010001, 123, 72, 82, 46},
                          {1009, L"Static", L"访问赤影(Tarlisk)U盘病毒专题，了解更多详情。",
                           0x50020000, 7, 141, 266, 11},
                          {1011, L"Static", L"诺瓦安全网", 0x50020000, 13, 167, 41, 11},
                          {1012, L"Static", L"安全社区交流", 0x50020000, 71, 167, 49, 11},
                          {1017, L"Static", L"请点击“开始查杀”，立即检测并清除赤影(Tarlisk)病毒",
                           0x50028000, 7, 44, 321, 14},
                      });
}

TEST_F(ProgramResources, CompletionDialogTemplate202) {
    LANGID lang = 0;
    const std::vector<BYTE> bytes = Resource(RT_DIALOG, 202, &lang);
    DialogTemplate t;
    ASSERT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), t));
    EXPECT_EQ(lang, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    EXPECT_EQ(t.title, L"赤影(Tarlisk)U盘病毒专杀工具");
    EXPECT_EQ(t.style, 0x80C800C0u);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.cx, 212);
    EXPECT_EQ(t.cy, 100);
    ExpectDialogFont(t);
    constexpr DWORD kNoId = 0xFFFFFFFF;
    ExpectControls(t, {
                          {IDOK, L"Button", L"立即下载", 0x50010001, 91, 77, 54, 16},
                          {IDCANCEL, L"Button", L"取消", 0x50010000, 155, 77, 50, 16},
                          {1019, L"Static", L"扫描完成。", 0x50020000, 33, 15, 148, 21},
                          {kNoId, L"Static", L"", 0x50000010, 7, 68, 198, 9},
                          {kNoId, L"Static", L"#32516", 0x50000003, 7, 6, 21, 21},
                          {kNoId, L"Static", L"是否下载《诺瓦木马专杀》，快速判定系统是否中招？",
                           0x50020000, 7, 41, 193, 8},
                      });
}

TEST_F(ProgramResources, IconGroup128Has48And32And16PixelsAt32Bits) {
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colors, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    const std::vector<BYTE> bytes = Resource(RT_GROUP_ICON, 128);
    ASSERT_GE(bytes.size(), 6u);
    const WORD* head = reinterpret_cast<const WORD*>(bytes.data());
    EXPECT_EQ(head[1], 1);  // icons, not cursors
    const WORD count = head[2];
    ASSERT_EQ(bytes.size(), 6u + count * sizeof(GroupEntry));
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const auto* e =
            reinterpret_cast<const GroupEntry*>(bytes.data() + 6 + i * sizeof(GroupEntry));
        EXPECT_EQ(e->width, e->height);
        EXPECT_EQ(e->bitCount, 32);
        sizes.push_back(e->width);
        // Each image is there and is a 32-bit bitmap image of its size (height counts the mask).
        const std::vector<BYTE> image = Resource(RT_ICON, e->id);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        const auto* bih = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
        EXPECT_EQ(bih->biWidth, e->width);
        EXPECT_EQ(bih->biHeight, 2 * e->width);
        EXPECT_EQ(bih->biBitCount, 32);
    }
    EXPECT_EQ(sizes, (std::vector<int>{48, 32, 16}));
}

TEST_F(ProgramResources, LogoBitmap203Is116By27At8BitsWithItsBackground) {
    const std::vector<BYTE> bytes = Resource(RT_BITMAP, 203);
    ASSERT_GE(bytes.size(), sizeof(BITMAPINFOHEADER));
    const auto* bih = reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data());
    EXPECT_EQ(bih->biWidth, 116);
    EXPECT_EQ(bih->biHeight, 27);  // bottom-up
    EXPECT_EQ(bih->biBitCount, 8);
    EXPECT_EQ(bih->biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_TRUE(bih->biClrUsed == 256 || bih->biClrUsed == 0);
    const auto* palette = reinterpret_cast<const RGBQUAD*>(bytes.data() + bih->biSize);
    const BYTE* pixels = bytes.data() + bih->biSize + 256 * sizeof(RGBQUAD);
    ASSERT_EQ(bytes.size(), bih->biSize + 256 * sizeof(RGBQUAD) + 116u * 27u);
    // The corners are the logo's own light-blue background, #DCEEFC.
    for (size_t offset : {size_t{0}, size_t{115}, size_t{116 * 26}, size_t{116 * 27 - 1}}) {
        const RGBQUAD c = palette[pixels[offset]];
        EXPECT_EQ(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue), RGB(0xDC, 0xEE, 0xFC)) << offset;
    }
}

TEST_F(ProgramResources, ManifestAsksForAdministratorAndCommonControls6) {
    const std::vector<BYTE> bytes = Resource(MAKEINTRESOURCEW(24), 1);
    const std::string manifest(bytes.begin(), bytes.end());
    for (const char* part : {
             R"(level="requireAdministrator")",
             R"(uiAccess="false")",
             R"(type="win32")",
             R"(name="Microsoft.Windows.Common-Controls")",
             R"(version="6.0.0.0")",
             R"(processorArchitecture="*")",
             R"(publicKeyToken="6595b64144ccf1df")",
             R"(language="*")",
         }) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

TEST_F(ProgramResources, VersionRecordDescribesTheProgramInUnicode) {
    const std::wstring path = testing_support::ProgramPath();
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, sizeof(Translation));
    EXPECT_EQ(translation->codePage, 1200);

    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileDescription", translation->language,
             translation->codePage);
    wchar_t* description = nullptr;
    ASSERT_TRUE(
        ::VerQueryValueW(info.data(), query, reinterpret_cast<void**>(&description), &length));
    EXPECT_STREQ(description, L"赤影(Tarlisk)U盘病毒专杀工具");
}

}  // namespace
