#include "ui_toolkit/controls/TextUI.h"

#include "ui_toolkit/host/NativeWindow.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/DrawText.h"

CTextUI::CTextUI() {
    m_textStyle = kTextWordBreak;
    m_textPadding = UiRect{2, 0, 2, 0};
}

std::wstring_view CTextUI::GetClass() const { return L"Text"; }

void* CTextUI::CastTo(std::wstring_view name) {
    if (name == L"Text") return this;
    return CLabelUI::CastTo(name);
}

std::uint32_t CTextUI::GetInputFlags() const {
    return IsEnabled() && !m_links.empty() ? static_cast<std::uint32_t>(kInputSetCursor) : 0u;
}

int CTextUI::LinkAt(UiPoint point) const {
    for (std::size_t i = 0; i < m_links.size(); ++i) {
        if (m_links[i].Contains(point)) return static_cast<int>(i);
    }
    return -1;
}

void CTextUI::HandleEvent(ControlEvent& event) {
    if (ForwardMouseEventWhileMouseDisabled(event)) return;
    const int link = LinkAt(event.mouse);
    switch (event.kind) {
        case kEventSetCursor:
            if (link >= 0 && m_manager != nullptr && m_manager->GetPaintWindow() != nullptr) {
                m_manager->GetPaintWindow()->SetCursor(CursorShape::kHand);
                return;
            }
            break;
        case kEventButtonDown:
        case kEventDblClick:
            if (link >= 0 && IsEnabled()) {
                Invalidate();
                return;
            }
            break;
        case kEventButtonUp:
            if (link >= 0 && IsEnabled() && m_manager != nullptr) {
                m_manager->SendNotify(this, L"link", static_cast<std::uintptr_t>(link));
                return;
            }
            break;
        case kEventContextMenu:
            return;
        case kEventMouseMove:
            if (!m_links.empty() && IsEnabled() && link != m_hoverLink) {
                m_hoverLink = link;
                Invalidate();
                return;
            }
            break;
        case kEventMouseLeave:
            if (m_hoverLink != -1) {
                m_hoverLink = -1;
                Invalidate();
                return;
            }
            break;
        default:
            break;
    }
    CLabelUI::HandleEvent(event);
}

void CTextUI::PaintText(Canvas& dc) {
    if (!m_markup) {
        m_links.clear();
        m_linkTexts.clear();
        CLabelUI::PaintText(dc);
        return;
    }
    // The links of the last paint go in, so the one under the mouse is drawn
    // in the hover colour; the links found now come out.
    DrawLabelText(dc, CurrentTextColor(), &m_links, &m_linkTexts);
}
