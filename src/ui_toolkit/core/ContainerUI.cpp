#include "ui_toolkit/core/ContainerUI.h"

#include <algorithm>

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/ClipScope.h"

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // A container being destroyed deletes its children at once.
    m_deferredDelete = false;
    m_items.clear();
}

std::wstring_view CContainerUI::GetClass() const { return L"Container"; }

void* CContainerUI::CastTo(std::wstring_view name) {
    if (name == L"Container") return static_cast<CContainerUI*>(this);
    if (name == L"IContainer") return static_cast<IContainerUI*>(this);
    return CControlUI::CastTo(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[static_cast<std::size_t>(index)].get();
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == control) return static_cast<int>(i);
    }
    return -1;
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    const int current = GetItemIndex(control);
    if (current < 0 || index < 0 || index >= GetCount()) return false;
    std::unique_ptr<CControlUI> item = std::move(m_items[static_cast<std::size_t>(current)]);
    m_items.erase(m_items.begin() + current);
    m_items.insert(m_items.begin() + index, std::move(item));
    RequestLayout();
    return true;
}

int CContainerUI::GetCount() const { return static_cast<int>(m_items.size()); }

bool CContainerUI::Add(std::unique_ptr<CControlUI> control) { return AddAt(std::move(control), GetCount()); }

bool CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (control == nullptr || index < 0 || index > GetCount()) return false;
    CControlUI* child = control.get();
    child->SetParent(this);
    m_items.insert(m_items.begin() + index, std::move(control));
    if (m_manager != nullptr) m_manager->InitControls(child, this);
    if (IsVisible()) {
        RequestLayout();
    } else {
        child->SetInheritedVisible(false);
    }
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    std::unique_ptr<CControlUI> removed = Release(control);
    if (removed == nullptr) return false;
    Dispose(std::move(removed));
    return true;
}

bool CContainerUI::RemoveAt(int index) { return Remove(GetItemAt(index)); }

void CContainerUI::RemoveAll() {
    std::vector<std::unique_ptr<CControlUI>> removed = std::move(m_items);
    m_items.clear();
    for (std::unique_ptr<CControlUI>& control : removed) {
        control->SetParent(nullptr);
        Dispose(std::move(control));
    }
    RequestLayout();
}

std::unique_ptr<CControlUI> CContainerUI::Release(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return nullptr;
    std::unique_ptr<CControlUI> removed = std::move(m_items[static_cast<std::size_t>(index)]);
    m_items.erase(m_items.begin() + index);
    removed->SetParent(nullptr);
    RequestLayout();
    return removed;
}

void CContainerUI::Dispose(std::unique_ptr<CControlUI> control) {
    if (m_deferredDelete && m_manager != nullptr) m_manager->AddDelayedCleanup(std::move(control));
    // Otherwise `control` is deleted here.
}

void CContainerUI::SetInset(const UiRect& inset) {
    m_inset = inset;
    RequestLayout();
}

void CContainerUI::SetChildPadding(int padding) {
    m_childPadding = padding;
    RequestLayout();
}

void CContainerUI::SetChildAlign(ChildAlign align) {
    m_childAlign = align;
    RequestLayout();
}

void CContainerUI::SetChildVAlign(ChildVAlign align) {
    m_childVAlign = align;
    RequestLayout();
}

UiRect CContainerUI::GetClientRect() const {
    UiRect client = m_rcItem;
    client.Deflate(m_inset);
    return client;
}

void CContainerUI::SetManager(PaintManager* manager, CControlUI* parent, bool init) {
    for (std::unique_ptr<CControlUI>& child : m_items) child->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

void CContainerUI::SetVisible(bool visible) {
    if (m_visible == visible) return;
    CControlUI::SetVisible(visible);
    for (std::unique_ptr<CControlUI>& child : m_items) child->SetInheritedVisible(IsVisible());
}

void CContainerUI::SetInheritedVisible(bool visible) {
    CControlUI::SetInheritedVisible(visible);
    for (std::unique_ptr<CControlUI>& child : m_items) child->SetInheritedVisible(IsVisible());
}

void CContainerUI::SetPos(UiRect rect, bool invalidate) {
    CControlUI::SetPos(rect, invalidate);
    const UiRect client = GetClientRect();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            PlaceFloatingChild(i);
            continue;
        }
        const int width = std::clamp(client.GetWidth(), child->GetMinWidth(), child->GetMaxWidth());
        const int height = std::clamp(client.GetHeight(), child->GetMinHeight(), child->GetMaxHeight());
        child->SetPos(UiRect{client.left, client.top, client.left + width, client.top + height}, false);
    }
}

void CContainerUI::PlaceFloatingChild(int index) {
    CControlUI* child = GetItemAt(index);
    if (child == nullptr || !child->IsFloat()) return;
    const int width = m_rcItem.GetWidth();
    const int height = m_rcItem.GetHeight();
    const UiPoint position = child->GetFixedPosition();
    const FloatFractions& f = child->GetFloatFractions();
    const UiRect relative{position.x + static_cast<int>(f.left * width),
                          position.y + static_cast<int>(f.top * height),
                          position.x + child->GetFixedWidth() + static_cast<int>(f.right * width),
                          position.y + child->GetFixedHeight() + static_cast<int>(f.bottom * height)};
    child->SetPos(relative, false);
}

void CContainerUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"inset") {
        SetInset(ParseRect(value));
    } else if (name == L"childpadding") {
        SetChildPadding(ParseInt(value));
    } else if (name == L"childalign") {
        if (value == L"left") SetChildAlign(kAlignLeft);
        if (value == L"center") SetChildAlign(kAlignCenter);
        if (value == L"right") SetChildAlign(kAlignRight);
    } else if (name == L"childvalign") {
        if (value == L"top") SetChildVAlign(kAlignTop);
        if (value == L"vcenter") SetChildVAlign(kAlignVCenter);
        if (value == L"bottom") SetChildVAlign(kAlignBottom);
    } else if (name == L"mousechild") {
        SetChildrenMouseEnabled(ParseBool(value));
    } else if (name == L"vscrollbar" || name == L"hscrollbar" || name == L"vscrollbarstyle" ||
               name == L"hscrollbarstyle") {
        // Containers here never scroll; the attributes are accepted so skins
        // written for scrolling containers still lay out.
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

CControlUI* CContainerUI::FindControl(const FindControlProc& proc, const void* data, std::uint32_t flags) {
    if ((flags & kFindVisible) != 0 && !IsVisible()) return nullptr;
    if ((flags & kFindEnabled) != 0 && !IsEnabled()) return nullptr;
    const bool hitTest = (flags & kFindHitTest) != 0;
    const UiPoint* point = hitTest ? static_cast<const UiPoint*>(data) : nullptr;
    if (hitTest && !m_rcItem.Contains(*point)) return nullptr;
    // An update search collects the outermost controls that need a layout and
    // does not descend below them.
    if ((flags & kFindUpdateTest) != 0 && proc(this, data) != nullptr) return nullptr;

    CControlUI* result = nullptr;
    if ((flags & kFindMeFirst) != 0 && (!hitTest || IsMouseEnabled())) result = proc(this, data);
    if (result == nullptr && m_cover != nullptr) result = m_cover->FindControl(proc, data, flags);
    if (result != nullptr) return result;

    if (!hitTest || m_mouseChildEnabled) {
        const UiRect client = GetClientRect();
        const bool topFirst = (flags & kFindTopFirst) != 0;
        const int count = GetCount();
        for (int n = 0; n < count; ++n) {
            CControlUI* child = GetItemAt(topFirst ? count - 1 - n : n);
            result = child->FindControl(proc, data, flags);
            if (result == nullptr) continue;
            if (hitTest && !child->IsFloat() && !client.Contains(*point)) continue;
            return result;
        }
    }
    if ((flags & kFindMeFirst) == 0 && (!hitTest || IsMouseEnabled())) return proc(this, data);
    return nullptr;
}

bool CContainerUI::Paint(Canvas& dc, const UiRect& paint, CControlUI* stop) {
    if (this == stop) return false;
    UiRect area;
    if (!IntersectRect(&area, paint, m_rcItem)) return true;
    ClipScope clip(dc, area);
    return CControlUI::Paint(dc, paint, stop);
}

bool CContainerUI::PaintChildren(Canvas& dc, const UiRect& paint, CControlUI* stop) {
    UiRect clientArea;
    const bool clientMeets = IntersectRect(&clientArea, m_rcPaint, GetClientRect());
    for (std::unique_ptr<CControlUI>& child : m_items) {
        if (!child->IsVisible()) continue;
        UiRect meets;
        if (!IntersectRect(&meets, paint, child->GetPos())) continue;
        if (child->IsFloat()) {
            if (!child->Paint(dc, paint, stop)) return false;
            continue;
        }
        if (!clientMeets) continue;
        ClipScope childClip(dc, clientArea);
        if (!child->Paint(dc, paint, stop)) return false;
    }
    return true;
}
