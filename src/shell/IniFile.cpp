#include "shell/IniFile.h"

#include "platform/TextConversion.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

constexpr std::size_t kValueBuffer = 256;
constexpr std::size_t kSectionBuffer = 4096;

std::wstring DecodeUtf16Le(const std::string& bytes, std::size_t from) {
    std::wstring text;
    text.reserve((bytes.size() - from) / 2);
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const unsigned low = static_cast<unsigned char>(bytes[i + 2]) | static_cast<unsigned char>(bytes[i + 3])
                                                                                << 8;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                i += 2;
                continue;
            }
        }
        text.push_back(unit >= 0xD800 && unit <= 0xDFFF ? L'?' : static_cast<wchar_t>(unit));
    }
    return text;
}

std::wstring DecodeIniText(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return DecodeUtf16Le(bytes, 2);
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return platform::ToWide(std::string_view(bytes).substr(3));
    return platform::ToWide(bytes);
}

std::wstring Trim(const std::wstring& text) {
    const std::size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

bool EqualIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string ReadFileBytes(const std::wstring& file) {
    std::ifstream in(platform::ToUtf8(file), std::ios::binary);
    if (!in) return std::string();
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

IniEntries ParseIniSection(const std::string& fileBytes, const std::wstring& section) {
    const std::wstring text = DecodeIniText(fileBytes);
    IniEntries entries;
    enum class Where { kBefore, kInside, kAfter } where = Where::kBefore;
    std::size_t at = 0;
    while (at < text.size() && where != Where::kAfter) {
        std::size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        line = Trim(line);
        if (line.empty()) continue;
        if (line.front() == L'[') {
            const std::size_t close = line.find(L']');
            const std::wstring name =
                Trim(line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
            if (where == Where::kInside) {
                where = Where::kAfter;
            } else if (EqualIgnoringAsciiCase(name, section)) {
                where = Where::kInside;
            }
            continue;
        }
        if (where != Where::kInside) continue;
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) {
            entries.emplace_back(line, std::wstring());
        } else {
            entries.emplace_back(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
        }
    }
    return entries;
}

std::wstring ReadIniString(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
    for (const auto& [name, value] : ParseIniSection(ReadFileBytes(file), section)) {
        if (EqualIgnoringAsciiCase(name, key)) return value.substr(0, kValueBuffer - 1);
    }
    return std::wstring();
}

void ReadIniSection(const std::wstring& file, const std::wstring& section, std::map<std::wstring, std::wstring>& map) {
    // The buffer ends with two terminators, so 4094 characters of entries fit.
    std::size_t room = kSectionBuffer - 2;
    for (const auto& [key, value] : ParseIniSection(ReadFileBytes(file), section)) {
        if (room == 0) break;
        std::wstring entry = key + L"=" + value;
        if (entry.size() > room) entry.resize(room);
        room -= std::min(room, entry.size() + 1);
        const std::size_t equals = entry.find(L'=');
        if (equals == std::wstring::npos) {
            map[entry] = std::wstring();
        } else {
            map[entry.substr(0, equals)] = entry.substr(equals + 1);
        }
    }
}
