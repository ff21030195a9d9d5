#include "ui_toolkit/render/RoundedPath.h"

#include <algorithm>
#include <cmath>

namespace {

// A quarter of the ellipse centred at (x, y), from angle `from` to `from` + 90 degrees.
void AddCorner(cairo_t* cr, double x, double y, double radiusX, double radiusY, double from) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, radiusX, radiusY);
    cairo_arc(cr, 0, 0, 1, from, from + M_PI / 2);
    cairo_restore(cr);
}

}  // namespace

void AddRoundedRectPath(cairo_t* cr, double left, double top, double right, double bottom, double radiusX,
                        double radiusY) {
    radiusX = std::min(radiusX, (right - left) / 2);
    radiusY = std::min(radiusY, (bottom - top) / 2);
    if (radiusX <= 0 || radiusY <= 0) {
        cairo_rectangle(cr, left, top, right - left, bottom - top);
        return;
    }
    cairo_new_sub_path(cr);
    AddCorner(cr, right - radiusX, top + radiusY, radiusX, radiusY, -M_PI / 2);
    AddCorner(cr, right - radiusX, bottom - radiusY, radiusX, radiusY, 0);
    AddCorner(cr, left + radiusX, bottom - radiusY, radiusX, radiusY, M_PI / 2);
    AddCorner(cr, left + radiusX, top + radiusY, radiusX, radiusY, M_PI);
    cairo_close_path(cr);
}
