#include "ui_toolkit/controls/ProgressUI.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/render/DrawText.h"

namespace {

// The descriptor `image` with its destination replaced by `dest`: a later
// pair overrides an earlier one, and a plain picture name becomes a `file`.
std::wstring WithDestination(const std::wstring& image, const UiRect& dest) {
    const std::wstring box = L"dest='" + std::to_wstring(dest.left) + L"," + std::to_wstring(dest.top) + L"," +
                             std::to_wstring(dest.right) + L"," + std::to_wstring(dest.bottom) + L"'";
    if (image.find(L"='") == std::wstring::npos) return L"file='" + image + L"' " + box;
    return image + L" " + box;
}

}  // namespace

CProgressUI::CProgressUI() {
    m_textStyle = kTextSingleLine | kTextCenter;
    m_fixedSize.cy = 12;
}

std::wstring_view CProgressUI::GetClass() const { return L"Progress"; }

void* CProgressUI::CastTo(std::wstring_view name) {
    if (name == L"Progress") return this;
    return CLabelUI::CastTo(name);
}

void CProgressUI::SetValue(int value) {
    m_value = std::max(std::min(value, m_maximum), m_minimum);
    Invalidate();
}

void CProgressUI::SetMinimum(int minimum) {
    m_minimum = minimum;
    Invalidate();
}

void CProgressUI::SetMaximum(int maximum) {
    m_maximum = maximum;
    Invalidate();
}

void CProgressUI::SetHorizontal(bool horizontal) {
    m_horizontal = horizontal;
    Invalidate();
}

void CProgressUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"foreimage") {
        m_foreImage.SetString(value);
        Invalidate();
    } else if (name == L"hor") {
        SetHorizontal(ParseBool(value));
    } else if (name == L"min") {
        SetMinimum(ParseInt(value));
    } else if (name == L"max") {
        SetMaximum(ParseInt(value));
    } else if (name == L"value") {
        SetValue(ParseInt(value));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CProgressUI::PaintStatusImage(Canvas& dc) {
    if (m_maximum <= m_minimum) m_maximum = m_minimum + 1;
    m_value = std::max(std::min(m_value, m_maximum), m_minimum);
    if (m_foreImage.IsEmpty()) return;
    const std::int64_t span = static_cast<std::int64_t>(m_maximum) - m_minimum;
    const std::int64_t width = GetWidth();
    const std::int64_t height = GetHeight();
    UiRect filled;
    if (m_horizontal) {
        filled = UiRect{0, 0, static_cast<int>(width * (m_value - m_minimum) / span), GetHeight()};
    } else {
        filled = UiRect{0, static_cast<int>(height * (m_maximum - m_value) / span), GetWidth(), GetHeight()};
    }
    m_filledImage.SetString(WithDestination(m_foreImage.GetString(), filled));
    DrawImage(dc, m_filledImage);
}
