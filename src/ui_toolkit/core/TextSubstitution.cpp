#include "ui_toolkit/core/TextSubstitution.h"

#include <climits>
#include <map>

namespace {

std::map<int, std::wstring>& Texts() {
    static std::map<int, std::wstring> texts;
    return texts;
}

}  // namespace

void SetMultiLanguageText(int id, std::wstring_view text) { Texts()[id] = std::wstring(text); }

const std::wstring* GetMultiLanguageText(int id) {
    const auto found = Texts().find(id);
    return found != Texts().end() ? &found->second : nullptr;
}

void RemoveAllMultiLanguageTexts() { Texts().clear(); }

std::wstring SubstituteTexts(std::wstring_view text) {
    if (text.find(L"%{") == std::wstring_view::npos || Texts().empty()) return std::wstring(text);
    std::wstring result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L'{') {
            std::size_t end = i + 2;
            long long id = 0;
            while (end < text.size() && text[end] >= L'0' && text[end] <= L'9' && id <= INT_MAX) {
                id = id * 10 + (text[end] - L'0');
                ++end;
            }
            const bool isToken = end > i + 2 && end < text.size() && text[end] == L'}' && id <= INT_MAX;
            const std::wstring* replacement = isToken ? GetMultiLanguageText(static_cast<int>(id)) : nullptr;
            if (replacement != nullptr) {
                result += *replacement;
                i = end + 1;
                continue;
            }
        }
        result += text[i++];
    }
    return result;
}
