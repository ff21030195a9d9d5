#include "ui_toolkit/core/HorizontalLayoutUI.h"

#include <algorithm>

#include "ui_toolkit/core/BoxLayoutLimits.h"

std::wstring_view CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayout"; }

void* CHorizontalLayoutUI::CastTo(std::wstring_view name) {
    if (name == L"HorizontalLayout") return this;
    return CContainerUI::CastTo(name);
}

void CHorizontalLayoutUI::SetPos(UiRect rect, bool invalidate) {
    CControlUI::SetPos(rect, invalidate);
    const UiRect client = GetClientRect();
    if (m_items.empty()) return;
    const int width = client.GetWidth();
    const int height = client.GetHeight();

    // First pass: what the fixed-width children take, and how many stretch.
    int fixedTotal = 0;
    int stretchCount = 0;
    int counted = 0;
    for (const std::unique_ptr<CControlUI>& child : m_items) {
        if (!child->IsVisible() || child->IsFloat()) continue;
        const UiRect& pad = child->GetPadding();
        const BoxLayoutLimits limits(*child);
        UiSize size;
        if (child->GetFixedWidth() != 0) {
            size = child->MeasureSize(
                UiSize{std::min(limits.width, width), std::min(limits.height, height - pad.top - pad.bottom)});
        }
        if (size.cx == 0) {
            ++stretchCount;
        } else {
            size.cx = ClampToLimits(size.cx, child->GetMinWidth(), child->GetMaxWidth());
        }
        fixedTotal += pad.left + size.cx + pad.right;
        ++counted;
    }
    fixedTotal += (counted - 1) * m_childPadding;
    const int share = stretchCount > 0 ? std::max(0, (width - fixedTotal) / stretchCount) : 0;

    // Second pass: place them, the last stretching child taking the remainder.
    int x = client.left;
    int remaining = width;
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
        remaining -= pad.left;
        remainingFixed -= pad.left + pad.right;
        if (placed++ > 0) remainingFixed -= m_childPadding;

        const int availableHeight = height - pad.top - pad.bottom;
        UiSize size =
            child->MeasureSize(UiSize{std::min(limits.width, remaining), std::min(limits.height, availableHeight)});
        if (child->GetFixedWidth() != 0 && size.cx != 0) {
            size.cx = ClampToLimits(size.cx, child->GetMinWidth(), child->GetMaxWidth());
            remainingFixed -= size.cx;
        } else {
            size.cx = ++stretched == stretchCount ? std::max(0, remaining - pad.right - remainingFixed) : share;
            size.cx = ClampToLimits(size.cx, child->GetMinWidth(), child->GetMaxWidth());
        }

        size.cy = child->GetMaxHeight();
        if (size.cy == 0) size.cy = availableHeight;
        size.cy = std::max(size.cy, 0);
        size.cy = std::min(size.cy, std::min(limits.height, availableHeight));
        size.cy = std::max(size.cy, child->GetMinHeight());

        int y = client.top + pad.top;
        if (m_childVAlign == kAlignVCenter) y = (client.top + client.bottom) / 2 - size.cy / 2;
        if (m_childVAlign == kAlignBottom) y = client.bottom - pad.bottom - size.cy;
        const int left = x + pad.left;
        child->SetPos(UiRect{left, y, left + size.cx, y + size.cy}, false);

        x += pad.left + size.cx + pad.right + m_childPadding;
        remaining -= size.cx + pad.right + m_childPadding;
    }
}
