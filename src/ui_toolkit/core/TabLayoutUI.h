#pragma once
// Shows one child at a time, placed at the client rectangle inside its
// padding; the others are hidden.

#include "ui_toolkit/core/ContainerUI.h"

class CTabLayoutUI : public CContainerUI {
public:
    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;

    // The first child that is visible when added becomes current; every other
    // child added is hidden.
    bool Add(std::unique_ptr<CControlUI> control) override;
    bool AddAt(std::unique_ptr<CControlUI> control, int index) override;
    std::unique_ptr<CControlUI> Release(CControlUI* control) override;
    void RemoveAll() override;

    // False for an index outside the children; true without change for the
    // current one. Otherwise shows and focuses the child, hides the others,
    // moves the keyboard focus on and, with `notify`, sends "tabselect" with
    // the new and the previous index.
    bool SelectPage(int index, bool notify = true);
    int GetSelectedIndex() const { return m_currentIndex; }

    void SetPos(UiRect rect, bool invalidate = true) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

private:
    int m_currentIndex = -1;
};
