#include "ui_toolkit/core/AttributeValues.h"

#include <climits>
#include <cstdint>

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

bool ParseBool(std::wstring_view value) { return value == L"true"; }

int ParseInt(std::wstring_view value, std::wstring_view* rest) {
    std::size_t i = 0;
    while (i < value.size() && IsSpace(value[i])) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) {
        negative = value[i] == L'-';
        ++i;
    }
    const std::size_t digits = i;
    std::int64_t magnitude = 0;
    while (i < value.size() && value[i] >= L'0' && value[i] <= L'9') {
        if (magnitude <= INT_MAX) magnitude = magnitude * 10 + (value[i] - L'0');
        ++i;
    }
    if (i == digits) {
        if (rest != nullptr) *rest = value;
        return 0;
    }
    if (rest != nullptr) *rest = value.substr(i);
    if (negative) return magnitude > -static_cast<std::int64_t>(INT_MIN) ? INT_MIN : static_cast<int>(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

ArgbColor ParseColor(std::wstring_view value, bool skipSpace) {
    std::size_t i = 0;
    if (skipSpace) {
        while (i < value.size() && IsSpace(value[i])) ++i;
    }
    if (i < value.size() && value[i] == L'#') ++i;
    std::uint64_t color = 0;
    for (; i < value.size() && HexDigit(value[i]) >= 0; ++i) {
        color = color * 16 + static_cast<std::uint64_t>(HexDigit(value[i]));
        if (color > UINT32_MAX) return UINT32_MAX;
    }
    return static_cast<ArgbColor>(color);
}

namespace {

// Reads up to `count` numbers into `numbers`, leaving the missing ones 0.
void ParseNumbers(std::wstring_view value, int* numbers, int count) {
    for (int n = 0; n < count; ++n) {
        std::wstring_view rest;
        numbers[n] = ParseInt(value, &rest);
        if (rest.size() == value.size() || rest.empty()) return;
        value = rest.substr(1);
    }
}

}  // namespace

UiRect ParseRect(std::wstring_view value) {
    int numbers[4] = {0, 0, 0, 0};
    ParseNumbers(value, numbers, 4);
    return UiRect{numbers[0], numbers[1], numbers[2], numbers[3]};
}

UiSize ParseSize(std::wstring_view value) {
    int numbers[2] = {0, 0};
    ParseNumbers(value, numbers, 2);
    return UiSize{numbers[0], numbers[1]};
}

void ParseAttributeList(std::wstring_view list,
                        const std::function<void(std::wstring_view name, std::wstring_view value)>& apply) {
    std::size_t i = 0;
    while (i < list.size()) {
        const std::size_t nameStart = i;
        while (i < list.size() && list[i] != L'=' && list[i] != L'"') ++i;
        if (i == nameStart || i + 1 >= list.size() || list[i] != L'=' || list[i + 1] != L'"') return;
        const std::wstring_view name = list.substr(nameStart, i - nameStart);
        i += 2;
        const std::size_t valueStart = i;
        while (i < list.size() && list[i] != L'"') ++i;
        if (i >= list.size()) return;
        apply(name, list.substr(valueStart, i - valueStart));
        ++i;
        if (i >= list.size() || list[i] != L' ') return;
        ++i;
    }
}
