#pragma once
// The toolkit's fills and outlines. Fills honour the colour's alpha byte;
// pens use its red, green and blue only. Outlines and lines are drawn
// without antialiasing, so each pixel is either the pen colour or untouched.
// Everything stays inside the canvas's current clip.

#include "ui_toolkit/core/UiTypes.h"

class Canvas;

// Pen styles, the platform's numbering.
inline constexpr int kPenSolid = 0;
inline constexpr int kPenDash = 1;
inline constexpr int kPenDot = 2;
inline constexpr int kPenDashDot = 3;
inline constexpr int kPenDashDotDot = 4;
// Draws nothing.
inline constexpr int kPenNone = 5;

// Alpha 0 draws nothing, alpha 255 fills with the opaque colour, any other
// alpha blends the colour over the rectangle with that opacity.
void DrawColor(Canvas& dc, const UiRect& rect, ArgbColor color);

// A linear gradient from `first` (top row or left column) to `second`
// (bottom row or right column) of their red, green and blue. Its opacity is
// the mean of the two alpha bytes: 0 draws nothing, below 255 it is blended
// with that constant opacity. `steps` sets the number of solid bands where no
// smooth gradient fill exists; here the gradient is always smooth.
void DrawGradient(Canvas& dc, const UiRect& rect, ArgbColor first, ArgbColor second, bool vertical, int steps);

// The outline of `rect` drawn inside it, `penWidth` pixels thick (at least 1):
// a 1-pixel outline of (0,0)-(10,10) covers columns 0 and 9 and rows 0 and 9.
void DrawRect(Canvas& dc, const UiRect& rect, int penWidth, ArgbColor color, int penStyle = kPenSolid);

// The same with corners rounded by ellipses `cornerWidth` wide and
// `cornerHeight` high.
void DrawRoundRect(Canvas& dc, const UiRect& rect, int penWidth, int cornerWidth, int cornerHeight, ArgbColor color,
                   int penStyle = kPenSolid);

// A line from (left, top) to (right, bottom) of `endPoints`, the last point
// left out: a 1-pixel line from (x, 2) to (x, 8) covers column x, rows 2 to 7.
void DrawLine(Canvas& dc, const UiRect& endPoints, int penWidth, ArgbColor color, int penStyle = kPenSolid);
