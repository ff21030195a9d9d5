#pragma once
// Letter case of protocol text (header names, tokens, host names), which is
// ASCII whatever the locale.

#include <cctype>
#include <string>

namespace dlengine {

inline std::string ascii_lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace dlengine
