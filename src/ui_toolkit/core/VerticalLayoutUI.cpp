#include "ui_toolkit/core/VerticalLayoutUI.h"

#include <algorithm>

#include "ui_toolkit/core/BoxLayoutLimits.h"

std::wstring_view CVerticalLayoutUI::GetClass() const { return L"VerticalLayout"; }

void* CVerticalLayoutUI::CastTo(std::wstring_view name) {
    if (name == L"VerticalLayout") return this;
    return CContainerUI::CastTo(name);
}

void CVerticalLayoutUI::SetPos(UiRect rect, bool invalidate) {
    CControlUI::SetPos(rect, invalidate);
    const UiRect client = GetClientRect();
    if (m_items.empty()) return;
    const int width = client.GetWidth();
    const int height = client.GetHeight();

    // First pass: what the sized children take, and how many stretch.
    int fixedTotal = 0;
    int stretchCount = 0;
    int counted = 0;
    for (const std::unique_ptr<CControlUI>& child : m_items) {
        if (!child->IsVisible() || child->IsFloat()) continue;
        const UiRect& pad = child->GetPadding();
        const BoxLayoutLimits limits(*child);
        UiSize size = child->MeasureSize(
            UiSize{std::min(limits.width, width - pad.left - pad.right), std::min(limits.height, height)});
        if (size.cy == 0) {
            ++stretchCount;
        } else {
            size.cy = ClampToLimits(size.cy, child->GetMinHeight(), child->GetMaxHeight());
        }
        fixedTotal += pad.top + size.cy + pad.bottom;
        ++counted;
    }
    fixedTotal += (counted - 1) * m_childPadding;
    const int share = stretchCount > 0 ? std::max(0, (height - fixedTotal) / stretchCount) : 0;

    // Second pass: place them, the last stretching child taking the remainder.
    int y = client.top;
    int remaining = height;
    int remainingFixed = fixedTotal;
    int placed = 0;
    int stretched = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            PlaceFloatingChild(i);
            continue;
        }
        const UiRect& pad = child->GetPadding();
        const BoxLayoutLimits limits(*child);
        remaining -= pad.top;
        remainingFixed -= pad.top + pad.bottom;
        if (placed++ > 0) remainingFixed -= m_childPadding;

        const int availableWidth = width - pad.left - pad.right;
        UiSize size =
            child->MeasureSize(UiSize{std::min(limits.width, availableWidth), std::min(limits.height, remaining)});
        if (size.cy == 0) {
            size.cy = ++stretched == stretchCount ? std::max(0, remaining - pad.bottom - remainingFixed) : share;
            size.cy = ClampToLimits(size.cy, child->GetMinHeight(), child->GetMaxHeight());
        } else {
            size.cy = ClampToLimits(size.cy, child->GetMinHeight(), child->GetMaxHeight());
            remainingFixed -= size.cy;
        }

        size.cx = child->GetMaxWidth();
        if (size.cx == 0) size.cx = availableWidth;
        size.cx = std::max(size.cx, 0);
        size.cx = std::min(size.cx, std::min(limits.width, availableWidth));
        size.cx = std::max(size.cx, child->GetMinWidth());

        int x = client.left + pad.left;
        if (m_childAlign == kAlignCenter) x = (client.left + client.right) / 2 - size.cx / 2;
        if (m_childAlign == kAlignRight) x = client.right - pad.right - size.cx;
        const int top = y + pad.top;
        child->SetPos(UiRect{x, top, x + size.cx, top + size.cy}, false);

        y += pad.top + size.cy + pad.bottom + m_childPadding;
        remaining -= size.cy + pad.bottom + m_childPadding;
    }
}
