#include "platform/TextConversion.h"

#include <cstdint>

namespace platform {
namespace {

constexpr std::uint32_t kLastCodePoint = 0x10FFFF;

bool IsSurrogate(std::uint32_t value) { return value >= 0xD800 && value <= 0xDFFF; }

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed sequence at the start of `bytes` and its code
// point, or 0 when the first byte does not start one. The lead byte fixes the
// smallest value each length may carry, which rules out overlong forms.
std::size_t DecodeOne(std::string_view bytes, std::uint32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    std::uint32_t smallest = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        smallest = 0x80;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        smallest = 0x800;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        smallest = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (!IsContinuation(byte)) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (codePoint < smallest || codePoint > kLastCodePoint || IsSurrogate(codePoint)) {
        return 0;
    }
    return length;
}

}  // namespace

std::wstring ToWide(std::string_view utf8) {
    std::wstring wide;
    wide.reserve(utf8.size());
    while (!utf8.empty()) {
        std::uint32_t codePoint = 0;
        std::size_t length = DecodeOne(utf8, codePoint);
        if (length == 0) {
            // Only the lead byte is consumed; the bytes after it are judged on
            // their own, so each offending byte yields its own '?'.
            wide.push_back(L'?');
            length = 1;
        } else {
            wide.push_back(static_cast<wchar_t>(codePoint));
        }
        utf8.remove_prefix(length);
    }
    return wide;
}

std::string ToUtf8(std::wstring_view wide) {
    std::string utf8;
    utf8.reserve(wide.size());
    for (wchar_t character : wide) {
        const auto value = static_cast<std::uint32_t>(character);
        if (value > kLastCodePoint || IsSurrogate(value)) {
            utf8.push_back('?');
        } else if (value < 0x80) {
            utf8.push_back(static_cast<char>(value));
        } else if (value < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (value >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        } else if (value < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (value >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xF0 | (value >> 18)));
            utf8.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        }
    }
    return utf8;
}

}  // namespace platform
