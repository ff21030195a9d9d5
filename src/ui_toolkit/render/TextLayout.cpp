#include "ui_toolkit/render/TextLayout.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <string>

#include "platform/TextConversion.h"
#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/FontFace.h"

TextLayout::TextLayout(const FontEntry& font) {
    const FontFace& face = font.GetFace();
    m_layout = pango_layout_new(GetTextContext());
    pango_layout_set_font_description(m_layout, face.GetDescription());
    pango_layout_set_auto_dir(m_layout, FALSE);
    if (face.IsUnderlined()) {
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        pango_layout_set_attributes(m_layout, attributes);
        pango_attr_list_unref(attributes);
    }
}

TextLayout::~TextLayout() {
    g_object_unref(m_layout);
}

void TextLayout::SetText(std::wstring_view text) {
    std::string utf8 = platform::ToUtf8(text);
    for (char& byte : utf8) {
        if (byte == '\0') byte = '?';
    }
    pango_layout_set_text(m_layout, utf8.data(), static_cast<int>(utf8.size()));
}

int TextLayout::GetWidth() const {
    int width = 0;
    for (GSList* line = pango_layout_get_lines_readonly(m_layout); line != nullptr; line = line->next) {
        PangoRectangle logical;
        pango_layout_line_get_pixel_extents(static_cast<PangoLayoutLine*>(line->data), nullptr, &logical);
        width = std::max(width, logical.width);
    }
    return width;
}

void TextLayout::DrawLine(Canvas& dc, int x, int baseline, ArgbColor color) const {
    DrawLayoutLine(dc, pango_layout_get_line_readonly(m_layout, 0), x, baseline, color);
}

void DrawLayoutLine(Canvas& dc, PangoLayoutLine* line, int x, int baseline, ArgbColor color) {
    if (line == nullptr || !dc.IsValid()) return;
    cairo_t* cr = dc.GetCairo();
    cairo_save(cr);
    cairo_set_source_rgb(cr, RedOf(color) / 255.0, GreenOf(color) / 255.0, BlueOf(color) / 255.0);
    cairo_move_to(cr, x, baseline);
    pango_cairo_show_layout_line(cr, line);
    cairo_restore(cr);
}
