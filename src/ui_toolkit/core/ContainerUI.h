#pragma once
// A control with children. The container owns its children: Add takes them
// over, Remove deletes them (deferred to the manager's next asynchronous turn
// when deferred deletion is on and the container is attached), Release hands
// one back to the caller.
//
// A plain container puts every visible child at its client rectangle (its
// rectangle minus the inset), sized to it within the child's limits; floating
// children are placed from their fixed position, size and float fractions.

#include <memory>
#include <vector>

#include "ui_toolkit/core/ControlUI.h"

class IContainerUI {
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    // False, with the control deleted, when it is refused; false for null.
    virtual bool Add(std::unique_ptr<CControlUI> control) = 0;
    virtual bool AddAt(std::unique_ptr<CControlUI> control, int index) = 0;
    // False when `control` is not a child.
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;
    // Takes `control` out of the children and gives it to the caller; null
    // when it is not a child.
    virtual std::unique_ptr<CControlUI> Release(CControlUI* control) = 0;

protected:
    ~IContainerUI() = default;
};

enum ChildAlign { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2 };
enum ChildVAlign { kAlignTop = 0, kAlignVCenter = 4, kAlignBottom = 8 };

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(std::unique_ptr<CControlUI> control) override;
    bool AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    std::unique_ptr<CControlUI> Release(CControlUI* control) override;

    const UiRect& GetInset() const { return m_inset; }
    void SetInset(const UiRect& inset);
    int GetChildPadding() const { return m_childPadding; }
    void SetChildPadding(int padding);
    ChildAlign GetChildAlign() const { return m_childAlign; }
    void SetChildAlign(ChildAlign align);
    ChildVAlign GetChildVAlign() const { return m_childVAlign; }
    void SetChildVAlign(ChildVAlign align);
    bool GetDeferredDelete() const { return m_deferredDelete; }
    void SetDeferredDelete(bool deferred) { m_deferredDelete = deferred; }
    bool AreChildrenMouseEnabled() const { return m_mouseChildEnabled; }
    void SetChildrenMouseEnabled(bool enabled) { m_mouseChildEnabled = enabled; }

    // The rectangle children are laid out in.
    UiRect GetClientRect() const;

    void SetManager(PaintManager* manager, CControlUI* parent, bool init = true) override;
    void SetVisible(bool visible = true) override;
    void SetInheritedVisible(bool visible = true) override;
    void SetPos(UiRect rect, bool invalidate = true) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    CControlUI* FindControl(const FindControlProc& proc, const void* data, std::uint32_t flags) override;
    bool Paint(Canvas& dc, const UiRect& paint, CControlUI* stop) override;

protected:
    bool PaintChildren(Canvas& dc, const UiRect& paint, CControlUI* stop) override;
    // Places the floating child at `index` from its fixed position and size
    // and its float fractions of this container's size.
    void PlaceFloatingChild(int index);
    // Deletes `control` now or on the manager's next asynchronous turn.
    void Dispose(std::unique_ptr<CControlUI> control);

    std::vector<std::unique_ptr<CControlUI>> m_items;
    UiRect m_inset;
    int m_childPadding = 0;
    ChildAlign m_childAlign = kAlignLeft;
    ChildVAlign m_childVAlign = kAlignTop;
    bool m_deferredDelete = true;
    bool m_mouseChildEnabled = true;
};
