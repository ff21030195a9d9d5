#pragma once
// The pango side of a FontEntry: the font description text is laid out with
// and the metrics of the font fontconfig picks for it. For the render files.

#include <pango/pango.h>

#include "ui_toolkit/render/FontEntry.h"

class FontFace {
public:
    explicit FontFace(const FontEntry& entry);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // True when made from a description equal to `entry`'s.
    bool Describes(const FontEntry& entry) const;

    const PangoFontDescription* GetDescription() const { return m_description; }
    bool IsUnderlined() const { return m_key.underline; }
    const FontMetrics& GetMetrics() const { return m_metrics; }

private:
    FontEntry m_key;
    PangoFontDescription* m_description = nullptr;
    FontMetrics m_metrics;
};

// The one pango context all text is measured and laid out in, so that a
// measured size is the size drawn: 96 dpi, greyscale antialiasing, metrics
// hinted to whole pixels. The UI thread's.
PangoContext* GetTextContext();
