#include "ui_toolkit/controls/LabelUI.h"

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/DrawText.h"
#include "ui_toolkit/render/HtmlText.h"

namespace {

// The links a text control keeps.
constexpr std::size_t kMaxTextLinks = 8;
// Wide enough for any one line a skin holds.
constexpr int kUnboundedExtent = 9999;

}  // namespace

CLabelUI::CLabelUI() : m_textStyle(kTextVCenter | kTextSingleLine) {}

std::wstring_view CLabelUI::GetClass() const { return L"Label"; }

void* CLabelUI::CastTo(std::wstring_view name) {
    if (name == L"Label") return this;
    return CControlUI::CastTo(name);
}

void CLabelUI::SetFont(int id) {
    m_font = id;
    m_measureNeeded = true;
    Invalidate();
}

void CLabelUI::SetTextStyle(unsigned style) {
    m_textStyle = style;
    m_measureNeeded = true;
    Invalidate();
}

void CLabelUI::SetTextColor(ArgbColor color) {
    m_textColor = color;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(ArgbColor color) {
    m_disabledTextColor = color;
    Invalidate();
}

void CLabelUI::SetTextPadding(const UiRect& padding) {
    m_textPadding = padding;
    m_measureNeeded = true;
    RequestParentLayout();
}

void CLabelUI::SetMarkupEnabled(bool enabled) {
    if (m_markup == enabled) return;
    m_markup = enabled;
    m_measureNeeded = true;
    Invalidate();
}

void CLabelUI::SetWordWrap(bool wrap) {
    SetTextStyle(wrap ? (m_textStyle & ~kTextSingleLine) | kTextWordBreak
                      : (m_textStyle & ~kTextWordBreak) | kTextSingleLine);
}

void CLabelUI::SetText(std::wstring_view text) {
    if (text == m_text) return;
    m_measureNeeded = true;
    CControlUI::SetText(text);
}

void CLabelUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"align") {
        // Each word found sets its alignment, in this order, so "leftright"
        // ends up right-aligned.
        unsigned style = m_textStyle;
        if (value.find(L"left") != std::wstring_view::npos) style = (style & ~(kTextCenter | kTextRight)) | kTextLeft;
        if (value.find(L"center") != std::wstring_view::npos) style = (style & ~(kTextLeft | kTextRight)) | kTextCenter;
        if (value.find(L"right") != std::wstring_view::npos) style = (style & ~(kTextLeft | kTextCenter)) | kTextRight;
        SetTextStyle(style);
    } else if (name == L"valign") {
        unsigned style = m_textStyle;
        if (value.find(L"top") != std::wstring_view::npos) style = (style & ~(kTextVCenter | kTextBottom)) | kTextTop;
        if (value.find(L"vcenter") != std::wstring_view::npos) {
            style = (style & ~(kTextTop | kTextBottom)) | kTextVCenter;
        }
        if (value.find(L"bottom") != std::wstring_view::npos) {
            style = (style & ~(kTextTop | kTextVCenter)) | kTextBottom;
        }
        SetTextStyle(style);
    } else if (name == L"endellipsis") {
        SetTextStyle(ParseBool(value) ? m_textStyle | kTextEndEllipsis : m_textStyle & ~kTextEndEllipsis);
    } else if (name == L"font") {
        SetFont(ParseInt(value));
    } else if (name == L"textcolor") {
        SetTextColor(ParseColor(value));
    } else if (name == L"disabledtextcolor") {
        SetDisabledTextColor(ParseColor(value));
    } else if (name == L"textpadding") {
        SetTextPadding(ParseRect(value));
    } else if (name == L"multiline") {
        SetWordWrap(ParseBool(value));
    } else if (name == L"showhtml") {
        SetMarkupEnabled(ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

UiSize CLabelUI::MeasureSize(UiSize available) {
    if (m_fixedSize.cx > 0 && m_fixedSize.cy > 0) return m_fixedSize;
    if (m_manager == nullptr) return m_fixedSize;
    const bool singleLine = (m_textStyle & kTextSingleLine) != 0;
    if (!m_measureNeeded && (singleLine || available == m_measuredFor)) return m_measured;
    m_measureNeeded = false;
    m_measuredFor = available;

    const UiRect& pad = m_textPadding;
    if (singleLine) {
        m_measured.cy = m_fixedSize.cy != 0
                            ? m_fixedSize.cy
                            : pad.top + m_manager->GetFontInfo(m_font).GetMetrics().height + pad.bottom + kLineAllowance;
        if (m_fixedSize.cx != 0) {
            m_measured.cx = m_fixedSize.cx;
        } else {
            const UiRect bounds{0, 0, kUnboundedExtent, kUnboundedExtent};
            const unsigned style = kTextSingleLine | kTextCalcRect;
            const UiRect text = m_markup ? MeasureHtmlText(*m_manager, bounds, m_text, m_font, style)
                                         : MeasureText(*m_manager, bounds, m_text, m_font, style);
            m_measured.cx = pad.left + pad.right + text.GetWidth();
        }
        return m_measured;
    }
    m_measured.cx = m_fixedSize.cx != 0 ? m_fixedSize.cx : available.cx;
    const UiRect bounds{0, 0, m_measured.cx - pad.left - pad.right, kUnboundedExtent};
    const unsigned style = (m_textStyle & ~kTextSingleLine) | kTextWordBreak | kTextCalcRect;
    const UiRect text = m_markup ? MeasureHtmlText(*m_manager, bounds, m_text, m_font, style)
                                 : MeasureText(*m_manager, bounds, m_text, m_font, style);
    m_measured.cy = m_fixedSize.cy != 0 ? m_fixedSize.cy : pad.top + pad.bottom + text.GetHeight();
    return m_measured;
}

ArgbColor CLabelUI::CurrentTextColor() {
    if (m_textColor == 0 && m_manager != nullptr) m_textColor = m_manager->GetDefaultFontColor();
    if (m_disabledTextColor == 0 && m_manager != nullptr) m_disabledTextColor = m_manager->GetDefaultDisabledColor();
    return IsEnabled() ? m_textColor : m_disabledTextColor;
}

void CLabelUI::DrawLabelText(Canvas& dc, ArgbColor color, std::vector<UiRect>* links,
                             std::vector<std::wstring>* linkTexts) {
    if (m_manager == nullptr || m_text.empty()) return;
    UiRect rect = m_rcItem;
    rect.Deflate(m_textPadding);
    if (m_markup) {
        DrawHtmlText(dc, *m_manager, rect, m_text, color, links, linkTexts, m_font, m_textStyle, kMaxTextLinks);
    } else {
        DrawText(dc, *m_manager, rect, m_text, color, m_font, m_textStyle);
    }
}

void CLabelUI::PaintText(Canvas& dc) { DrawLabelText(dc, CurrentTextColor(), nullptr, nullptr); }
