#pragma once
// Stands for the ANSI / OEM code page conversions (MultiByteToWideChar and back):
// the code page here is UTF-8, and wide text is std::wstring.

#include <string>
#include <string_view>

namespace platform {

// Bytes that are not valid UTF-8 become '?', one per offending byte.
std::wstring ToWide(std::string_view utf8);

// Characters that UTF-8 cannot carry (surrogates, values past U+10FFFF) become '?'.
std::string ToUtf8(std::wstring_view wide);

}  // namespace platform
