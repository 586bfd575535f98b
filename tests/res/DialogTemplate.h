// Reads an extended dialog template (DLGTEMPLATEEX) as it stands in a module's resources.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TemplateControl {
    DWORD id;
    std::wstring windowClass;  // predefined classes by name: "Button", "Static", ...
    std::wstring text;         // for an ordinal text, "#" and the number
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<TemplateControl> controls;
};

// False when the data is not an extended template or ends too soon.
bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplate& out);
