#pragma once
// Stacks its visible children top to bottom in its client rectangle.
//
// Children with a measured height keep it (within their limits); the others
// share what is left equally, and the last of them takes the rounding
// remainder. Child padding separates neighbours; each child's padding is an
// outer margin inside its slot:
//
//   client.top  +--------------------------+
//               | pad.top                  |
//               |  [ child 1 ]             |
//               | pad.bottom               |
//               +-- child padding ---------+
//               | pad.top                  |
//               |  [ child 2, stretching ] |
//               ...

#include "ui_toolkit/core/ContainerUI.h"

class CVerticalLayoutUI : public CContainerUI {
public:
    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;
    void SetPos(UiRect rect, bool invalidate = true) override;
};
