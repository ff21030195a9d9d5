#pragma once
// Wide text (paths, the driver's URLs) to and from UTF-8, the code page of
// this platform. The engine keeps this to itself so it needs nothing but Asio.

#include <string>
#include <string_view>

namespace dlengine {

// Values UTF-8 cannot carry (lone surrogates, past U+10FFFF) become '?'.
std::string wide_to_utf8(std::wstring_view wide);

// A byte that starts no valid sequence (overlong forms, surrogates) becomes '?'.
std::wstring utf8_to_wide(std::string_view utf8);

}  // namespace dlengine
