#include "ui_toolkit/controls/OptionUI.h"

#include <vector>

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/DrawPrimitives.h"

COptionUI::~COptionUI() {
    if (!m_group.empty() && m_manager != nullptr) m_manager->RemoveOptionGroup(m_group, this);
}

std::wstring_view COptionUI::GetClass() const { return L"Option"; }

void* COptionUI::CastTo(std::wstring_view name) {
    if (name == L"Option") return this;
    return CButtonUI::CastTo(name);
}

void COptionUI::SetManager(PaintManager* manager, CControlUI* parent, bool init) {
    CButtonUI::SetManager(manager, parent, init);
    if (init && m_manager != nullptr && !m_group.empty()) m_manager->AddOptionGroup(m_group, this);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    SetSelected(m_group.empty() ? !m_selected : true);
    return true;
}

void COptionUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) m_state = m_selected ? static_cast<unsigned>(kStateSelected) : 0u;
}

void COptionUI::SetSelected(bool selected, bool notify) {
    if (m_selected == selected) return;
    m_selected = selected;
    m_state = selected ? m_state | kStateSelected : m_state & ~kStateSelected;
    if (m_manager != nullptr) {
        if (m_group.empty()) {
            if (notify) m_manager->SendNotify(this, L"selectchanged");
        } else if (m_selected) {
            if (const std::vector<CControlUI*>* group = m_manager->GetOptionGroup(m_group)) {
                const std::vector<CControlUI*> others = *group;
                for (CControlUI* other : others) {
                    auto* option = static_cast<COptionUI*>(other->CastTo(L"Option"));
                    if (option != nullptr && option != this) option->SetSelected(false, notify);
                }
            }
            if (notify) m_manager->SendNotify(this, L"selectchanged");
        }
    }
    Invalidate();
}

void COptionUI::SetGroup(std::wstring_view group) {
    if (group == m_group) return;
    if (!m_group.empty() && m_manager != nullptr) m_manager->RemoveOptionGroup(m_group, this);
    m_group = group;
    if (!m_group.empty() && m_manager != nullptr) m_manager->AddOptionGroup(m_group, this);
}

void COptionUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"group") {
        SetGroup(value);
    } else if (name == L"selected") {
        SetSelected(ParseBool(value));
    } else if (name == L"selectedimage") {
        m_selectedImage.SetString(value);
        Invalidate();
    } else if (name == L"selectedhotimage") {
        m_selectedHotImage.SetString(value);
        Invalidate();
    } else if (name == L"foreimage") {
        m_optionForeImage.SetString(value);
        Invalidate();
    } else if (name == L"selectedbkcolor") {
        m_selectedBkColor = ParseColor(value);
        Invalidate();
    } else if (name == L"selectedtextcolor") {
        m_selectedTextColor = ParseColor(value);
        Invalidate();
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void COptionUI::PaintText(Canvas& dc) {
    if (!m_selected) {
        // An option never shows itself pushed.
        const unsigned state = m_state;
        m_state &= ~kStatePushed;
        CButtonUI::PaintText(dc);
        m_state = state;
        return;
    }
    const ArgbColor color = m_selectedTextColor != 0 ? m_selectedTextColor : CurrentTextColor();
    DrawLabelText(dc, IsEnabled() ? color : CurrentTextColor(), nullptr, nullptr);
}

void COptionUI::PaintStatusImage(Canvas& dc) {
    bool drawn = false;
    if (m_selected) {
        drawn = ((m_state & kStateHot) != 0 && DrawIfSet(dc, m_selectedHotImage)) || DrawIfSet(dc, m_selectedImage);
        if (!drawn && m_selectedBkColor != 0) {
            DrawColor(dc, m_rcPaint, m_selectedBkColor);
            drawn = true;
        }
    }
    if (!drawn) {
        const unsigned state = m_state;
        m_state &= ~kStatePushed;
        CButtonUI::PaintStatusImage(dc);
        m_state = state;
    }
    DrawIfSet(dc, m_optionForeImage);
}
