#include "ui_toolkit/core/TabLayoutUI.h"

#include <algorithm>

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/core/BoxLayoutLimits.h"
#include "ui_toolkit/manager/PaintManager.h"

std::wstring_view CTabLayoutUI::GetClass() const { return L"TabLayout"; }

void* CTabLayoutUI::CastTo(std::wstring_view name) {
    if (name == L"TabLayout") return this;
    return CContainerUI::CastTo(name);
}

bool CTabLayoutUI::Add(std::unique_ptr<CControlUI> control) { return AddAt(std::move(control), GetCount()); }

bool CTabLayoutUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    CControlUI* child = control.get();
    if (!CContainerUI::AddAt(std::move(control), index)) return false;
    const int added = GetItemIndex(child);
    if (m_currentIndex == -1 && child->IsVisible()) {
        m_currentIndex = added;
    } else {
        if (m_currentIndex >= added) ++m_currentIndex;
        child->SetVisible(false);
    }
    return true;
}

std::unique_ptr<CControlUI> CTabLayoutUI::Release(CControlUI* control) {
    const int index = GetItemIndex(control);
    std::unique_ptr<CControlUI> removed = CContainerUI::Release(control);
    if (removed == nullptr) return nullptr;
    if (m_currentIndex == index) {
        m_currentIndex = GetCount() > 0 ? 0 : -1;
        if (m_currentIndex == 0) GetItemAt(0)->SetVisible(true);
        RequestParentLayout();
    } else if (m_currentIndex > index) {
        --m_currentIndex;
    }
    return removed;
}

void CTabLayoutUI::RemoveAll() {
    m_currentIndex = -1;
    CContainerUI::RemoveAll();
    RequestParentLayout();
}

bool CTabLayoutUI::SelectPage(int index, bool notify) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == m_currentIndex) return true;
    const int previous = m_currentIndex;
    m_currentIndex = index;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (i == index) {
            child->SetVisible(true);
            child->SetFocus();
        } else {
            child->SetVisible(false);
        }
    }
    RequestParentLayout();
    if (m_manager != nullptr) {
        m_manager->SetNextTabControl();
        if (notify) m_manager->SendNotify(this, L"tabselect", static_cast<std::uintptr_t>(index), previous);
    }
    return true;
}

void CTabLayoutUI::SetPos(UiRect rect, bool invalidate) {
    CControlUI::SetPos(rect, invalidate);
    const UiRect client = GetClientRect();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            PlaceFloatingChild(i);
            continue;
        }
        if (i != m_currentIndex) continue;
        UiRect slot = client;
        slot.Deflate(child->GetPadding());
        const UiSize available{slot.GetWidth(), slot.GetHeight()};
        UiSize size = child->MeasureSize(available);
        if (size.cx == 0) size.cx = std::max(0, available.cx);
        if (size.cy == 0) size.cy = std::max(0, available.cy);
        size.cx = ClampToLimits(size.cx, child->GetMinWidth(), child->GetMaxWidth());
        size.cy = ClampToLimits(size.cy, child->GetMinHeight(), child->GetMaxHeight());
        child->SetPos(UiRect{slot.left, slot.top, slot.left + size.cx, slot.top + size.cy}, false);
    }
}

void CTabLayoutUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"selectedid") {
        SelectPage(ParseInt(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}
