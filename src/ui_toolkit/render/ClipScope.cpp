#include "ui_toolkit/render/ClipScope.h"

#include <cairo.h>

#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/RoundedPath.h"

ClipScope::ClipScope(Canvas& canvas, const UiRect& rect) : ClipScope(canvas, rect, 0, 0) {}

ClipScope::ClipScope(Canvas& canvas, const UiRect& rect, int roundWidth, int roundHeight) {
    if (!canvas.IsValid()) return;
    m_cairo = canvas.GetCairo();
    cairo_save(m_cairo);
    UiRect area = rect;
    area.Normalize();
    // Whole pixels only: a pixel is inside when its centre is.
    cairo_set_antialias(m_cairo, CAIRO_ANTIALIAS_NONE);
    cairo_new_path(m_cairo);
    AddRoundedRectPath(m_cairo, area.left, area.top, area.right, area.bottom, roundWidth / 2.0, roundHeight / 2.0);
    cairo_clip(m_cairo);
}

ClipScope::~ClipScope() {
    if (m_cairo != nullptr) cairo_restore(m_cairo);
}
