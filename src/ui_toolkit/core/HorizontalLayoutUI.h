#pragma once
// Places its visible children left to right in its client rectangle, the
// vertical layout's rules with the axes exchanged, except that only a child
// with a fixed width keeps its measured width: every other child stretches,
// whatever it would measure.

#include "ui_toolkit/core/ContainerUI.h"

class CHorizontalLayoutUI : public CContainerUI {
public:
    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;
    void SetPos(UiRect rect, bool invalidate = true) override;
};
