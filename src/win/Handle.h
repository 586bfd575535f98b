// Move-only owners of Win32 handles. Each handle kind has its own empty value and its own
// close call; a copy would close twice, so there is none.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <utility>

namespace win {

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type h) : m_h(h) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Type Get() const { return m_h; }
    bool IsValid() const { return m_h != Traits::Empty(); }
    explicit operator bool() const { return IsValid(); }

    // Gives up ownership without closing.
    Type Release() { return std::exchange(m_h, Traits::Empty()); }

    void Reset(Type h = Traits::Empty()) {
        Type old = std::exchange(m_h, h);
        if (old != Traits::Empty()) Traits::Close(old);
    }

private:
    Type m_h = Traits::Empty();
};

// Processes, threads, tokens, events: null when empty.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};

// Files and Toolhelp snapshots: INVALID_HANDLE_VALUE when empty.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};

// WinINet session, connection and request handles: null when empty.
struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::InternetCloseHandle(h); }
};

template <typename T>
struct GdiObjectTraits {
    using Type = T;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};

// A memory device context of our own (CreateCompatibleDC); not one from GetDC.
struct MemoryDCTraits {
    using Type = HDC;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteDC(h); }
};

using Handle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using InternetHandle = UniqueHandle<InternetHandleTraits>;
using MemoryDC = UniqueHandle<MemoryDCTraits>;
template <typename T>
using GdiObject = UniqueHandle<GdiObjectTraits<T>>;

// A window's device context from GetDC, released with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~WindowDC() {
        if (m_dc) ::ReleaseDC(m_hwnd, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// Selects a GDI object into a device context and puts the previous one back.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ obj)
        : m_dc(dc), m_prev(obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~ScopedSelectObject() {
        if (m_prev) ::SelectObject(m_dc, m_prev);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_prev;
};

}  // namespace win
