#include "ui_toolkit/render/DrawImage.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>

#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/ImageDescriptor.h"
#include "ui_toolkit/render/ImageEntry.h"
#include "ui_toolkit/render/ImageLibrary.h"

namespace {

// Rectangle arithmetic in 64 bits: descriptor offsets and corners may be any
// int, and their sums must not overflow.
struct Area {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;

    std::int64_t Width() const { return right - left; }
    std::int64_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
};

Area ToArea(const UiRect& rect) {
    return Area{rect.left, rect.top, rect.right, rect.bottom};
}

Area Intersect(const Area& a, const Area& b) {
    return Area{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

// How the pieces of one picture are put on the canvas.
struct PieceStyle {
    cairo_operator_t op = CAIRO_OPERATOR_SOURCE;
    double opacity = 1.0;
};

// Draws part `from` of `picture` into `to`, scaled to fit, or repeated at its
// own size along the axes that tile, touching only pixels inside `paint`.
void DrawPiece(cairo_t* cr, cairo_surface_t* picture, const Area& from, const Area& to, const Area& paint, bool tileX,
               bool tileY, const PieceStyle& style) {
    const Area visible = Intersect(to, paint);
    if (from.IsEmpty() || to.IsEmpty() || visible.IsEmpty()) return;

    cairo_surface_t* part =
        cairo_surface_create_for_rectangle(picture, static_cast<double>(from.left), static_cast<double>(from.top),
                                           static_cast<double>(from.Width()), static_cast<double>(from.Height()));
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(part);
    cairo_surface_destroy(part);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    // Padding keeps every sample inside the part; repeating lays the tiles.
    cairo_pattern_set_extend(pattern, tileX || tileY ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_PAD);
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, tileX ? 1.0 : static_cast<double>(from.Width()) / static_cast<double>(to.Width()),
                            tileY ? 1.0 : static_cast<double>(from.Height()) / static_cast<double>(to.Height()));
    cairo_matrix_translate(&matrix, -static_cast<double>(to.left), -static_cast<double>(to.top));
    cairo_pattern_set_matrix(pattern, &matrix);

    cairo_save(cr);
    cairo_set_operator(cr, style.op);
    cairo_set_source(cr, pattern);
    cairo_rectangle(cr, static_cast<double>(visible.left), static_cast<double>(visible.top),
                    static_cast<double>(visible.Width()), static_cast<double>(visible.Height()));
    cairo_clip(cr);
    cairo_paint_with_alpha(cr, style.opacity);
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
}

// The nine pieces of a rectangle cut at the corner widths:
//
//   x[0]       x[1]            x[2]       x[3]
//    | top-left |      top       | top-right |    y[0] .. y[1] = corner.top
//    |   left   |     middle     |   right   |
//    | b-left   |     bottom     | b-right   |    y[2] .. y[3] = corner.bottom
//    <corner.left>               <corner.right>
//
// The same cut of the source part gives each piece its pixels.
struct Grid {
    std::int64_t x[4];
    std::int64_t y[4];

    Grid(const Area& area, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
        : x{area.left, area.left + left, area.right - right, area.right},
          y{area.top, area.top + top, area.bottom - bottom, area.bottom} {}

    Area Cell(int column, int row) const { return Area{x[column], y[row], x[column + 1], y[row + 1]}; }
};

}  // namespace

bool DrawImage(Canvas& dc, ImageLibrary& images, const UiRect& control, const UiRect& paint,
               ImageDescriptor& descriptor) {
    const ImageEntry* image = descriptor.Load(images);
    if (image == nullptr) return false;
    const ImageDescriptorFields& fields = descriptor.GetFields();

    Area source = fields.source.IsNull() ? Area{0, 0, image->width, image->height} : ToArea(fields.source);
    source = Intersect(source, Area{0, 0, image->width, image->height});

    const Area box = ToArea(control);
    Area dest = box;
    if (!fields.dest.IsNull()) {
        dest =
            Area{box.left + fields.dest.left, box.top + fields.dest.top,
                 std::min(box.right, box.left + fields.dest.right), std::min(box.bottom, box.top + fields.dest.bottom)};
    }
    if (Intersect(dest, box).IsEmpty() || Intersect(dest, ToArea(paint)).IsEmpty()) return true;
    if (source.IsEmpty() || !dc.IsValid()) return true;
    // Corners wider than the destination overlap; none reaches out of it.
    const Area limit = Intersect(dest, ToArea(paint));

    // A corner cannot be wider or higher than the part it is cut from.
    const std::int64_t cornerLeft = std::clamp<std::int64_t>(fields.corner.left, 0, source.Width());
    const std::int64_t cornerTop = std::clamp<std::int64_t>(fields.corner.top, 0, source.Height());
    const std::int64_t cornerRight = std::clamp<std::int64_t>(fields.corner.right, 0, source.Width());
    const std::int64_t cornerBottom = std::clamp<std::int64_t>(fields.corner.bottom, 0, source.Height());
    const Grid to(dest, cornerLeft, cornerTop, cornerRight, cornerBottom);
    const Grid from(source, cornerLeft, cornerTop, cornerRight, cornerBottom);

    PieceStyle style;
    if (image->hasAlpha || fields.fade < 255) {
        style.op = CAIRO_OPERATOR_OVER;
        style.opacity = fields.fade / 255.0;
    }
    cairo_t* cr = dc.GetCairo();
    if (!fields.hole) {
        DrawPiece(cr, image->bitmap, from.Cell(1, 1), to.Cell(1, 1), limit, fields.xtiled, fields.ytiled, style);
    }
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (row == 1 && column == 1) continue;
            DrawPiece(cr, image->bitmap, from.Cell(column, row), to.Cell(column, row), limit, false, false, style);
        }
    }
    return true;
}

void DrawPicture(Canvas& dc, const ImageEntry& picture, const UiRect& dest, const UiRect& paint) {
    if (!dc.IsValid() || picture.bitmap == nullptr) return;
    PieceStyle style;
    if (picture.hasAlpha) style.op = CAIRO_OPERATOR_OVER;
    DrawPiece(dc.GetCairo(), picture.bitmap, Area{0, 0, picture.width, picture.height}, ToArea(dest), ToArea(paint),
              false, false, style);
}
