#include "ui_toolkit/render/FontFace.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "platform/TextConversion.h"

namespace {

// Sizes come from skins and markup texts; a glyph thousands of pixels high
// would only exhaust memory in the glyph cache.
constexpr int kMinFontSize = 1;
constexpr int kMaxFontSize = 1024;
// What a size of 0 or less stands for.
constexpr int kFallbackFontSize = 12;

int PixelsCeil(int pangoUnits) {
    return (pangoUnits + PANGO_SCALE - 1) / PANGO_SCALE;
}

FontMetrics ReadMetrics(const PangoFontDescription* description) {
    FontMetrics metrics;
    PangoContext* context = GetTextContext();
    PangoFont* font = pango_context_load_font(context, description);
    if (font == nullptr) return metrics;
    PangoFontMetrics* pangoMetrics = pango_font_get_metrics(font, nullptr);
    metrics.ascent = PixelsCeil(pango_font_metrics_get_ascent(pangoMetrics));
    metrics.height = metrics.ascent + PixelsCeil(pango_font_metrics_get_descent(pangoMetrics));
    metrics.externalLeading = std::max(0, PANGO_PIXELS(pango_font_metrics_get_height(pangoMetrics)) - metrics.height);
    metrics.averageCharWidth = std::max(1, PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(pangoMetrics)));
    pango_font_metrics_unref(pangoMetrics);
    cairo_font_extents_t extents{};
    if (cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font))) {
        cairo_scaled_font_extents(scaled, &extents);
    }
    metrics.maxCharWidth = std::max(metrics.averageCharWidth, static_cast<int>(std::ceil(extents.max_x_advance)));
    g_object_unref(font);
    return metrics;
}

}  // namespace

FontFace::FontFace(const FontEntry& entry) : m_key{entry.face, entry.size, entry.bold, entry.underline, entry.italic} {
    m_description = pango_font_description_new();
    pango_font_description_set_family(m_description, platform::ToUtf8(entry.face).c_str());
    const int size = entry.size <= 0 ? kFallbackFontSize : std::clamp(entry.size, kMinFontSize, kMaxFontSize);
    // The size is the character (em) height in device pixels.
    pango_font_description_set_absolute_size(m_description, static_cast<double>(size) * PANGO_SCALE);
    pango_font_description_set_weight(m_description, entry.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(m_description, entry.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    m_metrics = ReadMetrics(m_description);
}

FontFace::~FontFace() {
    pango_font_description_free(m_description);
}

bool FontFace::Describes(const FontEntry& entry) const {
    return entry.HasStyle(m_key.face, m_key.size, m_key.bold, m_key.underline, m_key.italic);
}

PangoContext* GetTextContext() {
    static PangoContext* const context = [] {
        PangoFontMap* fontMap = pango_cairo_font_map_new();
        pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(fontMap), 96.0);
        PangoContext* created = pango_font_map_create_context(fontMap);
        g_object_unref(fontMap);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(created, options);
        cairo_font_options_destroy(options);
        // Paragraphs run left to right whatever their script, as the platform's
        // text drawing does without a right-to-left reading flag; right-to-left
        // runs inside are still ordered and shaped as such.
        pango_context_set_base_dir(created, PANGO_DIRECTION_LTR);
        return created;
    }();
    return context;
}

// Fontconfig and pango fill process-wide caches once, partly behind pointers
// the leak checker cannot follow, and never free them; what it reports there
// does not grow with the fonts and texts made. This tells a sanitizer build
// of any program with text to pass over them; elsewhere nothing calls it.
// It lives here, in a file every program with text links, so that the linker
// never leaves it out of a static library.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libpangoft2-1.0.so\n";
}

// Pango resolves fonts on a fontconfig worker thread of its own and hands the
// results over through glib's locks, which the thread checker cannot see
// inside the uninstrumented libraries; what it reports there is that handover.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libfontconfig.so\n"
           "race:libpangoft2-1.0.so\n";
}
