#pragma once
// The text conversion of the JSON texts (identity, event category, addresses).

#include <string>

// Wide text to UTF-8 by way of the ANSI code page: characters the code page
// cannot hold become '?'.
std::string WideToUtf8(const std::wstring& text);
