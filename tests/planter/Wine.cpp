#include "planter/Wine.h"

#include <windows.h>

namespace planter {

bool IsUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace planter
