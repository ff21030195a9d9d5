#pragma once
// The outline of a rectangle with elliptic corners, shared by rounded clips
// and rounded frames.

#include <cairo.h>

// Adds the closed outline of (left, top)-(right, bottom), in user units, whose
// corners are quarter ellipses of radii `radiusX` and `radiusY`, each limited
// to half of its side; a radius of 0 or less gives square corners.
void AddRoundedRectPath(cairo_t* cr, double left, double top, double right, double bottom, double radiusX,
                        double radiusY);
