#include "PixelChecks.h"

#include <cstdio>
#include <cstdlib>

std::vector<std::string> PixelMap(const Canvas& canvas, const UiRect& area, const Legend& legend) {
    std::vector<std::string> rows;
    for (int y = area.top; y < area.bottom; ++y) {
        std::string row;
        for (int x = area.left; x < area.right; ++x) {
            const auto found = legend.find(canvas.GetPixel(x, y));
            row += found != legend.end() ? found->second : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

::testing::AssertionResult PixelNear(const Canvas& canvas, int x, int y, std::uint32_t expected, int tolerance) {
    const std::uint32_t actual = canvas.GetPixel(x, y);
    for (int shift = 0; shift < 32; shift += 8) {
        const int difference =
            static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(difference) > tolerance) {
            char text[96];
            std::snprintf(text, sizeof text, "pixel (%d,%d) is %08X, expected %08X within %d", x, y, actual, expected,
                          tolerance);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

Ink FindInk(const Canvas& canvas, std::uint32_t background) {
    Ink ink;
    for (int y = 0; y < canvas.GetHeight(); ++y) {
        for (int x = 0; x < canvas.GetWidth(); ++x) {
            if (canvas.GetPixel(x, y) == background) continue;
            const UiRect pixel{x, y, x + 1, y + 1};
            ink.bounds = UnionRect(ink.bounds, pixel);
            ++ink.count;
        }
    }
    return ink;
}
