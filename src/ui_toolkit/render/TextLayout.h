#pragma once
// A pango layout of some text in one toolkit font, made in the shared text
// context so that what is measured is what is drawn. For the render files.

#include <pango/pango.h>

#include <string_view>

#include "ui_toolkit/core/UiTypes.h"

class Canvas;
struct FontEntry;

class TextLayout {
public:
    explicit TextLayout(const FontEntry& font);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // Characters pango cannot take (NUL, ill-formed code points) show as '?'.
    void SetText(std::wstring_view text);
    // Logical width of the widest line, in pixels.
    int GetWidth() const;

    // Draws the first line in the colour's red, green and blue with its
    // origin (left end of the baseline) at (x, baseline).
    void DrawLine(Canvas& dc, int x, int baseline, ArgbColor color) const;

    PangoLayout* Get() const { return m_layout; }

private:
    PangoLayout* m_layout = nullptr;
};

// Draws `line` with its baseline origin at (x, baseline) in the colour's red,
// green and blue, alpha ignored.
void DrawLayoutLine(Canvas& dc, PangoLayoutLine* line, int x, int baseline, ArgbColor color);
