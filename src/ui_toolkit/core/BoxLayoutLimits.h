#pragma once
// The size limits the box layouts measure a child within: its fixed size
// where it has one, else its maximum.

#include <algorithm>

#include "ui_toolkit/core/ControlUI.h"

struct BoxLayoutLimits {
    explicit BoxLayoutLimits(const CControlUI& child)
        : width(child.GetFixedWidth() != 0 ? child.GetFixedWidth() : child.GetMaxWidth()),
          height(child.GetFixedHeight() != 0 ? child.GetFixedHeight() : child.GetMaxHeight()) {}

    int width;
    int height;
};

// Not below the minimum, then not above the maximum (which is never below
// the minimum).
inline int ClampToLimits(int value, int minimum, int maximum) { return std::min(std::max(value, minimum), maximum); }
