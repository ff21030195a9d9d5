#include "shell/StringUtil.h"

#include "platform/TextConversion.h"

#include <algorithm>

std::wstring ReplaceAll(std::wstring text, const std::wstring& pattern, const std::wstring& replacement) {
    if (pattern.empty()) return text;
    for (std::size_t at = text.find(pattern); at != std::wstring::npos;
         at = text.find(pattern, at + replacement.size())) {
        text.replace(at, pattern.size(), replacement);
    }
    return text;
}

bool SplitOnce(const std::wstring& text, const std::wstring& separator, std::wstring* left, std::wstring* right) {
    const std::size_t at = separator.empty() ? std::wstring::npos : text.find(separator);
    if (at == std::wstring::npos) {
        *left = text;
        right->clear();
        return false;
    }
    *left = text.substr(0, at);
    *right = text.substr(at + separator.size());
    return true;
}

bool SplitUrl(const std::wstring& address, std::wstring* host, std::wstring* path) {
    std::wstring rest;
    if (address.find(L"http://") != std::wstring::npos) {
        rest = address.substr(std::min<std::size_t>(7, address.size()));
    } else if (address.find(L"https://") != std::wstring::npos) {
        rest = address.substr(std::min<std::size_t>(8, address.size()));
    } else {
        return true;
    }
    const std::size_t slash = rest.find(L'/');
    if (slash == std::wstring::npos) {
        *host = rest;
        return false;
    }
    *host = rest.substr(0, slash);
    *path = rest.substr(slash + 1);
    return true;
}

std::wstring FileNameOfPath(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FileBaseName(const std::wstring& fileName) {
    const std::size_t dot = fileName.rfind(L'.');
    return dot == std::wstring::npos ? fileName : fileName.substr(0, dot);
}

std::wstring AppendCustomParam(const std::wstring& address, const std::wstring& tag) {
    if (address.empty()) return address;
    if (tag.empty() || address.find(L"key=") == std::wstring::npos) return address;
    return address + L"&custom=" + tag;
}

std::wstring AnsiToWide(const std::string& text) {
    return platform::ToWide(text);
}

std::string WideToAnsi(const std::wstring& text) {
    return platform::ToUtf8(text);
}
