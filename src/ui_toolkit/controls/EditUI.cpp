#include "ui_toolkit/controls/EditUI.h"

#include <algorithm>

#include "ui_toolkit/controls/ButtonUI.h"
#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/core/ContainerUI.h"
#include "ui_toolkit/host/NativeWindow.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/DrawText.h"

CEditUI::CEditUI() {
    m_bkColor1 = 0xFFFFFFFF;
    m_textPadding = UiRect{4, 3, 4, 3};
}

CEditUI::~CEditUI() = default;

std::wstring_view CEditUI::GetClass() const { return L"Edit"; }

void* CEditUI::CastTo(std::wstring_view name) {
    if (name == L"Edit") return this;
    return CLabelUI::CastTo(name);
}

std::uint32_t CEditUI::GetInputFlags() const {
    return IsEnabled() ? static_cast<std::uint32_t>(kInputTabStop | kInputSetCursor) : 0u;
}

void CEditUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) m_state = 0;
}

void CEditUI::SetText(std::wstring_view text) {
    CLabelUI::SetText(text);
    if (m_native != nullptr) m_native->SetText(m_text);
}

void CEditUI::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    Invalidate();
}

void CEditUI::SetPassword(bool password) {
    m_password = password;
    Invalidate();
}

void CEditUI::SetPos(UiRect rect, bool invalidate) {
    CLabelUI::SetPos(rect, invalidate);
    if (m_native != nullptr) m_native->SetRect(NativeRect());
}

void CEditUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"readonly") {
        SetReadOnly(ParseBool(value));
    } else if (name == L"numberonly") {
        SetDigitsOnly(ParseBool(value));
    } else if (name == L"password") {
        SetPassword(ParseBool(value));
    } else if (name == L"autoselall") {
        m_selectAll = ParseBool(value);
    } else if (name == L"maxchar") {
        SetMaxLength(ParseInt(value));
    } else if (name == L"normalimage") {
        m_normalImage.SetString(value);
    } else if (name == L"hotimage") {
        m_hotImage.SetString(value);
    } else if (name == L"focusedimage") {
        m_focusedImage.SetString(value);
    } else if (name == L"disabledimage") {
        m_disabledImage.SetString(value);
    } else if (name == L"nativebkcolor") {
        m_nativeBkColor = ParseColor(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

UiSize CEditUI::MeasureSize(UiSize) {
    if (m_fixedSize.cy != 0 || m_manager == nullptr) return m_fixedSize;
    return UiSize{m_fixedSize.cx, m_manager->GetFontInfo(m_font).GetMetrics().height + kLineAllowance};
}

UiRect CEditUI::NativeRect() const {
    UiRect rect = m_rcItem;
    rect.Deflate(m_textPadding);
    if (m_manager != nullptr) {
        const int height = m_manager->GetFontInfo(m_font).GetMetrics().height;
        if (height < rect.GetHeight()) {
            rect.top += (rect.GetHeight() - height) / 2;
            rect.bottom = rect.top + height;
        }
    }
    for (CControlUI* ancestor = m_parent; ancestor != nullptr; ancestor = ancestor->GetParent()) {
        if (!ancestor->IsVisible()) return UiRect{};
        auto* container = static_cast<CContainerUI*>(ancestor->CastTo(L"Container"));
        const UiRect client = container != nullptr ? container->GetClientRect() : ancestor->GetPos();
        if (!IntersectRect(&rect, rect, client)) return UiRect{};
    }
    return rect;
}

void CEditUI::OpenNative() {
    if (m_native != nullptr || m_manager == nullptr || m_manager->GetPaintWindow() == nullptr) return;
    const FontEntry& font = m_manager->GetFontInfo(m_font);
    NativeEditOptions options;
    options.rect = NativeRect();
    options.text = m_text;
    options.fontFace = font.face;
    options.fontSize = font.size;
    options.bold = font.bold;
    options.italic = font.italic;
    options.maxLength = m_maxLength;
    options.password = m_password;
    options.passwordChar = m_passwordChar;
    options.readOnly = m_readOnly;
    options.digitsOnly = m_digitsOnly;
    options.enabled = IsEnabled();
    if ((m_textStyle & kTextCenter) != 0) options.align = NativeEditAlign::kCenter;
    if ((m_textStyle & kTextRight) != 0) options.align = NativeEditAlign::kRight;
    options.selectAll = m_selectAll;
    options.textColor = CurrentTextColor();
    options.backgroundColor = m_nativeBkColor;
    m_native = m_manager->GetPaintWindow()->CreateNativeEdit(options, this);
}

void CEditUI::CloseNative() {
    if (m_native == nullptr) return;
    m_native.reset();
    Invalidate();
}

void CEditUI::OnNativeTextChanged(const std::wstring& text) {
    m_text = text;
    Invalidate();
    if (m_manager != nullptr) m_manager->SendNotify(this, L"textchanged");
}

void CEditUI::OnNativeReturn() {
    if (m_manager != nullptr) m_manager->SendNotify(this, L"return");
}

void CEditUI::OnNativeFocusLost() { CloseNative(); }

void CEditUI::HandleEvent(ControlEvent& event) {
    if (ForwardMouseEventWhileMouseDisabled(event)) return;
    switch (event.kind) {
        case kEventSetCursor:
            if (IsEnabled() && m_manager != nullptr && m_manager->GetPaintWindow() != nullptr) {
                m_manager->GetPaintWindow()->SetCursor(CursorShape::kIBeam);
                return;
            }
            break;
        case kEventWindowSize:
            // The entry closes with the focus and opens again at the new
            // place once the layout has run.
            if (m_native != nullptr && m_manager != nullptr) m_manager->SetFocusNeeded(this);
            break;
        case kEventScrollWheel:
            if (m_native != nullptr) return;
            break;
        case kEventSetFocus:
            if (IsEnabled()) {
                OpenNative();
                Invalidate();
            }
            break;
        case kEventKillFocus:
            if (IsEnabled()) {
                CloseNative();
                Invalidate();
            }
            break;
        case kEventButtonDown:
        case kEventDblClick:
        case kEventRButtonDown:
            if (IsEnabled()) {
                if (IsFocused() && m_native == nullptr) {
                    OpenNative();
                } else if (m_native != nullptr && !m_selectAll) {
                    m_native->PressAt(event.mouse);
                }
            }
            return;
        case kEventMouseMove:
        case kEventButtonUp:
        case kEventContextMenu:
            return;
        case kEventMouseEnter:
            if (IsEnabled()) {
                m_state |= kStateHot;
                Invalidate();
            }
            return;
        case kEventMouseLeave:
            if (IsEnabled()) {
                m_state &= ~kStateHot;
                Invalidate();
            }
            return;
        default:
            break;
    }
    CLabelUI::HandleEvent(event);
}

void CEditUI::PaintStatusImage(Canvas& dc) {
    m_state = IsFocused() ? m_state | kStateFocused : m_state & ~kStateFocused;
    m_state = IsEnabled() ? m_state & ~kStateDisabled : m_state | kStateDisabled;
    ImageDescriptor* image = &m_normalImage;
    if ((m_state & kStateDisabled) != 0) {
        image = &m_disabledImage;
    } else if ((m_state & kStateFocused) != 0) {
        image = &m_focusedImage;
    } else if ((m_state & kStateHot) != 0) {
        image = &m_hotImage;
    }
    if (image != &m_normalImage && !image->IsEmpty() && DrawImage(dc, *image)) return;
    if (!m_normalImage.IsEmpty()) DrawImage(dc, m_normalImage);
}

void CEditUI::PaintText(Canvas& dc) {
    const ArgbColor color = CurrentTextColor();
    if (m_text.empty() || m_manager == nullptr) return;
    const std::wstring shown = m_password ? std::wstring(m_text.size(), m_passwordChar) : m_text;
    UiRect rect = m_rcItem;
    rect.Deflate(m_textPadding);
    DrawText(dc, *m_manager, rect, shown, color, m_font, (m_textStyle & ~kTextWordBreak) | kTextSingleLine);
}
