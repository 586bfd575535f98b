#include <vector>

#include "driver/Driver.h"
#include "win/Handle.h"

namespace driver {

bool SaveScreenshot(HWND window, const std::wstring& path) {
    RECT rc;
    if (!::GetWindowRect(window, &rc)) return false;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return false;

    win::WindowDC screen(nullptr);
    win::MemoryDC memory(::CreateCompatibleDC(screen.Get()));
    win::GdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen.Get(), width, height));
    if (!memory || !bitmap) return false;
    {
        win::ScopedSelectObject select(memory.Get(), bitmap.Get());
        if (!::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rc.left, rc.top, SRCCOPY))
            return false;
    }

    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as a .bmp file stores it
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
    if (!::GetDIBits(memory.Get(), bitmap.Get(), 0, height, pixels.data(),
                     reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS))
        return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());

    win::FileHandle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    DWORD written = 0;
    return ::WriteFile(out.Get(), &file, sizeof(file), &written, nullptr) &&
           ::WriteFile(out.Get(), &info, sizeof(info), &written, nullptr) &&
           ::WriteFile(out.Get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written,
                       nullptr);
}

}  // namespace driver
