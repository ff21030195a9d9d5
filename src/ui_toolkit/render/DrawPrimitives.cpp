#include "ui_toolkit/render/DrawPrimitives.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/RoundedPath.h"

namespace {

double Channel(std::uint8_t value) {
    return value / 255.0;
}

// Prepares `cr` for stroking with the pen; false for the style that draws
// nothing. Dash lengths are the platform's, in pen widths.
bool SetPen(cairo_t* cr, int width, ArgbColor color, int style) {
    static constexpr double kDash[] = {18, 6};
    static constexpr double kDot[] = {3, 3};
    static constexpr double kDashDot[] = {9, 6, 3, 6};
    static constexpr double kDashDotDot[] = {9, 3, 3, 3, 3, 3};
    const double* pattern = nullptr;
    int count = 0;
    switch (style) {
        case kPenNone:
            return false;
        case kPenDash:
            pattern = kDash;
            count = 2;
            break;
        case kPenDot:
            pattern = kDot;
            count = 2;
            break;
        case kPenDashDot:
            pattern = kDashDot;
            count = 4;
            break;
        case kPenDashDotDot:
            pattern = kDashDotDot;
            count = 6;
            break;
        default:
            break;
    }
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, Channel(RedOf(color)), Channel(GreenOf(color)), Channel(BlueOf(color)));
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    double dashes[6];
    for (int i = 0; i < count; ++i) dashes[i] = pattern[i] * width;
    cairo_set_dash(cr, dashes, count, 0);
    return true;
}

// Whether there is anything to draw into.
bool CanDrawInto(Canvas& dc, const UiRect& rect) {
    return dc.IsValid() && !rect.IsEmpty();
}

void AddRect(cairo_t* cr, const UiRect& rect) {
    cairo_rectangle(cr, rect.left, rect.top, rect.GetWidth(), rect.GetHeight());
}

// Strokes an outline that lies `penWidth` deep inside `rect`, with corner
// ellipses of the given outer size (0 for square corners).
void StrokeInsideFrame(Canvas& dc, const UiRect& rect, int penWidth, int cornerWidth, int cornerHeight, ArgbColor color,
                       int penStyle) {
    if (!CanDrawInto(dc, rect)) return;
    cairo_t* cr = dc.GetCairo();
    const int width = std::max(penWidth, 1);
    cairo_save(cr);
    if (!SetPen(cr, width, color, penStyle)) {
        cairo_restore(cr);
        return;
    }
    cairo_new_path(cr);
    const bool square = cornerWidth <= 0 || cornerHeight <= 0;
    if (square && penStyle == kPenSolid && (rect.GetWidth() <= 2LL * width || rect.GetHeight() <= 2LL * width)) {
        // The frame is as thick as the rectangle: nothing is left inside it.
        AddRect(cr, rect);
        cairo_fill(cr);
    } else {
        const double half = width / 2.0;
        AddRoundedRectPath(cr, rect.left + half, rect.top + half, rect.right - half, rect.bottom - half,
                           square ? 0 : (cornerWidth - width) / 2.0, square ? 0 : (cornerHeight - width) / 2.0);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

}  // namespace

void DrawColor(Canvas& dc, const UiRect& rect, ArgbColor color) {
    const std::uint8_t alpha = AlphaOf(color);
    if (alpha == 0 || !CanDrawInto(dc, rect)) return;
    cairo_t* cr = dc.GetCairo();
    cairo_save(cr);
    cairo_new_path(cr);
    AddRect(cr, rect);
    // The colour is straight ARGB as written in the skin: a translucent one
    // blends its own channels, never brighter than the colour itself.
    cairo_set_source_rgba(cr, Channel(RedOf(color)), Channel(GreenOf(color)), Channel(BlueOf(color)),
                          Channel(alpha));
    cairo_fill(cr);
    cairo_restore(cr);
}

void DrawGradient(Canvas& dc, const UiRect& rect, ArgbColor first, ArgbColor second, bool vertical,
                  [[maybe_unused]] int steps) {
    const int opacity = (AlphaOf(first) + AlphaOf(second)) / 2;
    if (opacity == 0 || !CanDrawInto(dc, rect)) return;
    // The end colours sit on the centres of the first and last pixel rows (or
    // columns), so those show them exactly.
    const double start = (vertical ? rect.top : rect.left) + 0.5;
    const double end = std::max((vertical ? rect.bottom : rect.right) - 0.5, start + 1);
    cairo_pattern_t* gradient =
        vertical ? cairo_pattern_create_linear(0, start, 0, end) : cairo_pattern_create_linear(start, 0, end, 0);
    cairo_pattern_add_color_stop_rgb(gradient, 0, Channel(RedOf(first)), Channel(GreenOf(first)),
                                     Channel(BlueOf(first)));
    cairo_pattern_add_color_stop_rgb(gradient, 1, Channel(RedOf(second)), Channel(GreenOf(second)),
                                     Channel(BlueOf(second)));
    cairo_pattern_set_extend(gradient, CAIRO_EXTEND_PAD);

    cairo_t* cr = dc.GetCairo();
    cairo_save(cr);
    cairo_new_path(cr);
    AddRect(cr, rect);
    cairo_clip(cr);
    cairo_set_source(cr, gradient);
    cairo_paint_with_alpha(cr, opacity / 255.0);
    cairo_restore(cr);
    cairo_pattern_destroy(gradient);
}

void DrawRect(Canvas& dc, const UiRect& rect, int penWidth, ArgbColor color, int penStyle) {
    StrokeInsideFrame(dc, rect, penWidth, 0, 0, color, penStyle);
}

void DrawRoundRect(Canvas& dc, const UiRect& rect, int penWidth, int cornerWidth, int cornerHeight, ArgbColor color,
                   int penStyle) {
    StrokeInsideFrame(dc, rect, penWidth, cornerWidth, cornerHeight, color, penStyle);
}

void DrawLine(Canvas& dc, const UiRect& endPoints, int penWidth, ArgbColor color, int penStyle) {
    if (!dc.IsValid()) return;
    const double dx = static_cast<double>(endPoints.right) - endPoints.left;
    const double dy = static_cast<double>(endPoints.bottom) - endPoints.top;
    const double length = std::hypot(dx, dy);
    if (length == 0) return;
    cairo_t* cr = dc.GetCairo();
    cairo_save(cr);
    if (SetPen(cr, std::max(penWidth, 1), color, penStyle)) {
        // Through the pixel centres, pulled back half a pixel along the line,
        // so the butt ends take in the first pixel and leave out the last.
        const double backX = 0.5 - dx / length / 2;
        const double backY = 0.5 - dy / length / 2;
        cairo_new_path(cr);
        cairo_move_to(cr, endPoints.left + backX, endPoints.top + backY);
        cairo_line_to(cr, endPoints.right + backX, endPoints.bottom + backY);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}
