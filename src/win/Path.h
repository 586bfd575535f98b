// Small helpers for Windows paths.
#pragma once

#include <string>

namespace win {

// `folder` made to end in one backslash; empty stays empty (an unknown folder stays unknown).
inline std::wstring WithFinalBackslash(const std::wstring& folder) {
    if (folder.empty() || folder.back() == L'\\') return folder;
    return folder + L'\\';
}

}  // namespace win
