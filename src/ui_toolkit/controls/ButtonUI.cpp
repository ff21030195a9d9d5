#include "ui_toolkit/controls/ButtonUI.h"

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/core/UiMessages.h"
#include "ui_toolkit/host/NativeWindow.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/DrawPrimitives.h"
#include "ui_toolkit/render/DrawText.h"

CButtonUI::CButtonUI() { m_textStyle = kTextSingleLine | kTextVCenter | kTextCenter; }

std::wstring_view CButtonUI::GetClass() const { return L"Button"; }

void* CButtonUI::CastTo(std::wstring_view name) {
    if (name == L"Button") return this;
    return CLabelUI::CastTo(name);
}

std::uint32_t CButtonUI::GetInputFlags() const {
    std::uint32_t flags = 0;
    if (IsKeyboardEnabled()) flags |= kInputTabStop;
    if (IsEnabled()) flags |= kInputSetCursor;
    return flags;
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_manager != nullptr) m_manager->SendNotify(this, L"click");
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) m_state = 0;
}

void CButtonUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"normalimage") {
        m_normalImage.SetString(value);
    } else if (name == L"hotimage") {
        m_hotImage.SetString(value);
    } else if (name == L"hotforeimage") {
        m_hotForeImage.SetString(value);
    } else if (name == L"pushedimage") {
        m_pushedImage.SetString(value);
    } else if (name == L"focusedimage") {
        m_focusedImage.SetString(value);
    } else if (name == L"disabledimage") {
        m_disabledImage.SetString(value);
    } else if (name == L"foreimage") {
        m_foreImage.SetString(value);
    } else if (name == L"hotbkcolor") {
        m_hotBkColor = ParseColor(value);
    } else if (name == L"hottextcolor") {
        m_hotTextColor = ParseColor(value);
    } else if (name == L"pushedtextcolor") {
        m_pushedTextColor = ParseColor(value);
    } else if (name == L"focusedtextcolor") {
        m_focusedTextColor = ParseColor(value);
    } else {
        CLabelUI::SetAttribute(name, value);
        return;
    }
    Invalidate();
}

UiSize CButtonUI::MeasureSize(UiSize) {
    if (m_fixedSize.cy != 0 || m_manager == nullptr) return m_fixedSize;
    return UiSize{m_fixedSize.cx, m_manager->GetFontInfo(m_font).GetMetrics().height + kLineAllowance};
}

void CButtonUI::HandleEvent(ControlEvent& event) {
    if (ForwardMouseEventWhileMouseDisabled(event)) return;
    const bool inside = m_rcItem.Contains(event.mouse);
    switch (event.kind) {
        case kEventSetFocus:
        case kEventKillFocus:
            Invalidate();
            break;
        case kEventKeyDown:
            if (IsKeyboardEnabled() && IsEnabled() && (event.key == kVkSpace || event.key == kVkReturn)) {
                Activate();
                return;
            }
            break;
        case kEventButtonDown:
        case kEventDblClick:
            if (inside && IsEnabled()) {
                m_state |= kStatePushed | kStateCaptured;
                Invalidate();
            }
            return;
        case kEventMouseMove:
            if ((m_state & kStateCaptured) != 0) {
                if (inside) {
                    m_state |= kStatePushed;
                } else {
                    m_state &= ~kStatePushed;
                }
                Invalidate();
            }
            return;
        case kEventButtonUp:
            if ((m_state & kStateCaptured) != 0) {
                const bool activate = inside && IsEnabled();
                m_state &= ~(kStatePushed | kStateCaptured);
                Invalidate();
                if (activate) Activate();
            }
            return;
        case kEventContextMenu:
            if (IsContextMenuEnabled() && IsEnabled() && m_manager != nullptr) {
                m_manager->SendNotify(this, L"menu", event.wParam, event.lParam);
            }
            return;
        case kEventMouseEnter:
            if (inside && IsEnabled()) {
                m_state |= kStateHot;
                Invalidate();
            }
            return;
        case kEventMouseLeave:
            // Still inside: the mouse moved onto something painted over the
            // button; the leave that counts comes later.
            if (inside && m_manager != nullptr) {
                m_manager->AddMouseLeaveNeeded(this);
                return;
            }
            if (IsEnabled()) {
                m_state &= ~kStateHot;
                Invalidate();
            }
            if (m_manager != nullptr) m_manager->RemoveMouseLeaveNeeded(this);
            return;
        case kEventSetCursor:
            if (m_manager != nullptr && m_manager->GetPaintWindow() != nullptr) {
                m_manager->GetPaintWindow()->SetCursor(CursorShape::kHand);
            }
            return;
        default:
            break;
    }
    CLabelUI::HandleEvent(event);
}

void CButtonUI::RefreshState() {
    m_state = IsFocused() ? m_state | kStateFocused : m_state & ~kStateFocused;
    m_state = IsEnabled() ? m_state & ~kStateDisabled : m_state | kStateDisabled;
}

void CButtonUI::PaintText(Canvas& dc) {
    RefreshState();
    ArgbColor color = CurrentTextColor();
    if ((m_state & kStatePushed) != 0 && m_pushedTextColor != 0) {
        color = m_pushedTextColor;
    } else if ((m_state & kStateHot) != 0 && m_hotTextColor != 0) {
        color = m_hotTextColor;
    } else if ((m_state & kStateFocused) != 0 && m_focusedTextColor != 0) {
        color = m_focusedTextColor;
    }
    DrawLabelText(dc, color, nullptr, nullptr);
}

bool CButtonUI::DrawIfSet(Canvas& dc, ImageDescriptor& image) { return !image.IsEmpty() && DrawImage(dc, image); }

void CButtonUI::DrawOrNormal(Canvas& dc, ImageDescriptor& image) {
    if (!DrawIfSet(dc, image)) DrawIfSet(dc, m_normalImage);
}

void CButtonUI::PaintStatusImage(Canvas& dc) {
    RefreshState();
    if ((m_state & kStateDisabled) != 0) {
        DrawOrNormal(dc, m_disabledImage);
    } else if ((m_state & kStatePushed) != 0) {
        DrawOrNormal(dc, m_pushedImage);
        if (DrawIfSet(dc, m_pushedForeImage)) return;
    } else if ((m_state & kStateHot) != 0) {
        DrawOrNormal(dc, m_hotImage);
        if (DrawIfSet(dc, m_hotForeImage)) return;
        if (m_hotBkColor != 0) {
            DrawColor(dc, m_rcPaint, m_hotBkColor);
            return;
        }
    } else if ((m_state & kStateFocused) != 0) {
        DrawOrNormal(dc, m_focusedImage);
    } else {
        DrawIfSet(dc, m_normalImage);
    }
    DrawIfSet(dc, m_foreImage);
}
