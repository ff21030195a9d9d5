#pragma once
// Single-style text: one font, one colour, the platform's text style flags.

#include <string_view>

#include "ui_toolkit/core/UiTypes.h"

class Canvas;
class PaintManager;

enum TextStyle : unsigned {
    kTextLeft = 0x0,
    kTextCenter = 0x1,
    kTextRight = 0x2,
    kTextTop = 0x0,
    kTextVCenter = 0x4,
    kTextBottom = 0x8,
    kTextWordBreak = 0x10,
    kTextSingleLine = 0x20,
    kTextCalcRect = 0x400,
    kTextNoPrefix = 0x800,
    kTextEndEllipsis = 0x8000,
};

// Draws `text`, after text substitution, in `rect` and clipped to it, in the
// colour's red, green and blue (alpha ignored) with the font manager.GetFontInfo(font)
// (the default font for an id without entry). '&' is always shown as itself.
//
// Lines break at newlines, and with kTextWordBreak also between words to
// stay inside the width; kTextSingleLine keeps one line (newlines show as
// spaces). Every line is aligned left, centred or right on its own, and a
// line wider than `rect` overflows on the side alignment puts it (a right-
// aligned one starts left of `rect`). Vertical alignment applies to single-
// line text only; other text starts at the top. kTextEndEllipsis ends a line
// that does not fit with "..." (with word break, the last line that fits).
//
// With kTextCalcRect nothing is drawn and `rect` keeps its left and top and
// gets the right and bottom of the text's extent: the widest line and the
// lines' height, laid out as drawing would. Empty text measures 0 by 0.
void DrawText(Canvas& dc, PaintManager& manager, UiRect& rect, std::wstring_view text, ArgbColor color, int font,
              unsigned style);

// The rectangle kTextCalcRect gives, without a canvas.
UiRect MeasureText(PaintManager& manager, const UiRect& rect, std::wstring_view text, int font, unsigned style);
