#pragma once
// Marked-up text: inline tags in braces or angle brackets switch colour,
// font, underline, bold, italic, add links, line breaks, paragraphs,
// spacing and inline pictures (HtmlTagReader.h has the syntax).
//
//   {a text}..{/a}  link (link colour, or the hover colour under the mouse;
//                   underlined); the closing tag pops a font whether or not
//                   the opening one pushed one
//   {b} {i} {u}     bold / italic / underlined variant of the current font
//   {c #AARRGGBB}   colour (alpha ignored)      {f id} or {f face size bold underline italic}
//   {i name count index} or {i file='..' res='..' restype='..'}  picture frame
//   {n}  new line   {p n}..{/p} paragraph with n pixels of spacing
//   {r}..{/r}  raw  {s}..{/s} selected background   {v center|top|bottom}
//   {x n}  advance n pixels                         {y n}  line height n

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ui_toolkit/core/UiTypes.h"

class Canvas;
class PaintManager;

// The link slots a caller with link arrays gets unless it asks for others.
inline constexpr std::size_t kDefaultHtmlLinkSlots = 8;

// Draws `text` (after text substitution) in `rect`, clipped to it, starting
// in the colour (alpha ignored) and the font of `font`; style flags as for
// DrawText (left, centre, right, top, vertical centre, bottom, single line,
// word break, end ellipsis, measure only). With kTextCalcRect nothing is drawn
// and `rect` becomes the needed size: right = min(right, widest line end),
// bottom = the lower of the last line's bottom and the lowest picture's.
//
// Links: `links` and `linkTexts`, when given, come in with the previous
// paint's links (a link under the manager's mouse position draws in the hover
// colour) and go out with those found now, at most `linkSlots`; each
// rectangle reaches down to the bottom of its line. A link broken over lines
// gives one rectangle per line, with the same text. Without either array,
// links only change colour and underline.
void DrawHtmlText(Canvas& dc, PaintManager& manager, UiRect& rect, std::wstring_view text, ArgbColor color,
                  std::vector<UiRect>* links, std::vector<std::wstring>* linkTexts, int font, unsigned style,
                  std::size_t linkSlots = kDefaultHtmlLinkSlots);

// The rectangle kTextCalcRect gives, without a canvas.
UiRect MeasureHtmlText(PaintManager& manager, const UiRect& rect, std::wstring_view text, int font, unsigned style);
