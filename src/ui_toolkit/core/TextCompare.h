#pragma once
// Comparing names of the markup (element names, window attributes, control
// names in lookups) the way the toolkit does where case does not matter.

#include <cwctype>
#include <string_view>

inline bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}
