#pragma once
// Reading a canvas back in tests.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui_toolkit/core/UiTypes.h"
#include "ui_toolkit/render/Canvas.h"

// Letters for pixel values; a value not in the legend shows as '?'.
using Legend = std::map<std::uint32_t, char>;

// The pixels of `area`, one string per row.
std::vector<std::string> PixelMap(const Canvas& canvas, const UiRect& area, const Legend& legend);

// Each channel of the pixel at (x, y) within `tolerance` of `expected`'s.
::testing::AssertionResult PixelNear(const Canvas& canvas, int x, int y, std::uint32_t expected, int tolerance);

// The smallest rectangle holding every pixel that is not `background`, and
// how many such pixels there are.
struct Ink {
    UiRect bounds;
    int count = 0;
};
Ink FindInk(const Canvas& canvas, std::uint32_t background);
