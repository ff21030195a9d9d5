#pragma once
// Restricts drawing on a canvas to a rectangle, or to a rounded rectangle,
// for the lifetime of the scope, then restores the clip that was in force
// before. Scopes nest: each one narrows the clip of the enclosing ones, and
// they must end in the reverse order of their creation (as locals do).

#include "ui_toolkit/core/UiTypes.h"

class Canvas;
struct _cairo;

class ClipScope {
public:
    // Drawing stays inside `rect` and the current clip.
    ClipScope(Canvas& canvas, const UiRect& rect);
    // Drawing stays inside `rect` with corners cut by ellipses `roundWidth`
    // wide and `roundHeight` high, and inside the current clip. The shape is
    // the rounded region made from (left, top, right + 1, bottom + 1), which
    // covers the same pixels as `rect` apart from the corners.
    ClipScope(Canvas& canvas, const UiRect& rect, int roundWidth, int roundHeight);
    ~ClipScope();
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    _cairo* m_cairo = nullptr;
};
