#pragma once
// Drawing the picture of an image descriptor into a control.

#include "ui_toolkit/core/UiTypes.h"

class Canvas;
struct ImageEntry;
class ImageDescriptor;
class ImageLibrary;

// Draws the descriptor's picture into `control`, or into its `dest` box
// (offsets from the control's top-left corner, cut at the control's right and
// bottom), touching only pixels inside `paint`. The `source` part of the
// picture is drawn in nine parts: the corners at their own size, the edges
// stretched along one axis, the middle stretched (or repeated whole tile by
// whole tile with xtiled / ytiled, the last tile cut) unless `hole` leaves it
// out. Stretching picks the nearest pixel. Pictures with alpha, or a fade
// below 255, are blended (per-pixel premultiplied alpha, fade as constant
// opacity); opaque ones are copied.
// True whenever the descriptor's picture exists, drawn or not.
bool DrawImage(Canvas& dc, ImageLibrary& images, const UiRect& control, const UiRect& paint,
               ImageDescriptor& descriptor);

// Draws the whole of `picture` stretched into `dest`, touching only pixels
// inside `paint`; blended when the picture has alpha, else copied.
void DrawPicture(Canvas& dc, const ImageEntry& picture, const UiRect& dest, const UiRect& paint);
