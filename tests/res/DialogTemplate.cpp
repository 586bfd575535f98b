#include "DialogTemplate.h"

#include <cstring>

namespace {

class Reader {
public:
    Reader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    bool ok() const { return m_ok; }

    template <typename T>
    T Read() {
        T value{};
        if (m_pos + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }

    std::wstring ReadString() {
        std::wstring s;
        for (WORD c; m_ok && (c = Read<WORD>()) != 0;) s += static_cast<wchar_t>(c);
        return s;
    }

    // A string, or 0xFFFF and an ordinal (given back as "#N"), or 0 for none.
    std::wstring ReadStringOrOrdinal() {
        const WORD first = Read<WORD>();
        if (first == 0) return {};
        if (first == 0xFFFF) return L"#" + std::to_wstring(Read<WORD>());
        std::wstring s(1, static_cast<wchar_t>(first));
        return s + ReadString();
    }

    void AlignToDword() { m_pos = (m_pos + 3) & ~static_cast<size_t>(3); }
    void Skip(size_t n) { m_pos += n; }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

std::wstring ClassName(const std::wstring& raw) {
    if (raw == L"#128") return L"Button";
    if (raw == L"#129") return L"Edit";
    if (raw == L"#130") return L"Static";
    if (raw == L"#131") return L"ListBox";
    if (raw == L"#132") return L"ScrollBar";
    if (raw == L"#133") return L"ComboBox";
    return raw;
}

}  // namespace

bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplate& out) {
    Reader r(data, size);
    if (r.Read<WORD>() != 1 || r.Read<WORD>() != 0xFFFF) return false;
    r.Read<DWORD>();  // help id
    out.exStyle = r.Read<DWORD>();
    out.style = r.Read<DWORD>();
    const WORD count = r.Read<WORD>();
    out.x = r.Read<short>();
    out.y = r.Read<short>();
    out.cx = r.Read<short>();
    out.cy = r.Read<short>();
    r.ReadStringOrOrdinal();  // menu
    r.ReadStringOrOrdinal();  // class
    out.title = r.ReadString();
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        out.pointSize = r.Read<WORD>();
        out.weight = r.Read<WORD>();
        out.italic = r.Read<BYTE>();
        out.charset = r.Read<BYTE>();
        out.typeface = r.ReadString();
    }
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.AlignToDword();
        TemplateControl c{};
        r.Read<DWORD>();  // help id
        c.exStyle = r.Read<DWORD>();
        c.style = r.Read<DWORD>();
        c.x = r.Read<short>();
        c.y = r.Read<short>();
        c.cx = r.Read<short>();
        c.cy = r.Read<short>();
        c.id = r.Read<DWORD>();
        c.windowClass = ClassName(r.ReadStringOrOrdinal());
        c.text = r.ReadStringOrOrdinal();
        r.Skip(r.Read<WORD>());  // creation data
        out.controls.push_back(c);
    }
    return r.ok();
}
