#include "download_engine/utf8.h"

namespace dlengine {

// Wide text holds code points (UTF-32) or UTF-16 units, as the platform's
// wchar_t does; a surrogate pair counts as one character either way.
std::string wide_to_utf8(std::wstring_view wide) {
    std::string out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t code = static_cast<char32_t>(wide[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < wide.size()) {
            const char32_t low = static_cast<char32_t>(wide[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            out += '?';
        } else if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// The user's code page is UTF-8. A byte that starts no valid sequence
// (overlong forms and surrogates included) becomes '?'.
std::wstring utf8_to_wide(std::string_view utf8) {
    std::wstring out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
            minimum = 0x10000;
        }
        bool valid = length != 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        valid = valid && code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        if (!valid) {
            out += L'?';
            ++i;
            continue;
        }
        if constexpr (sizeof(wchar_t) == 2) {
            if (code >= 0x10000) {
                out += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
                out += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
                i += length;
                continue;
            }
        }
        out += static_cast<wchar_t>(code);
        i += length;
    }
    return out;
}

}  // namespace dlengine
