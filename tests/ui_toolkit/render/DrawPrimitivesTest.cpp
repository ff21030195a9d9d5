#include "ui_toolkit/render/DrawPrimitives.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "PixelChecks.h"
#include "ui_toolkit/render/Canvas.h"

namespace {

constexpr std::uint32_t kPaper = 0xFFFFFFFF;
constexpr std::uint32_t kGrey = 0xFFCCCCCC;
const Legend kLegend{{kPaper, '.'}, {kGrey, '#'}};

Canvas Paper(int width, int height) {
    Canvas canvas(width, height);
    canvas.Clear(kPaper);
    return canvas;
}

struct BlendCase {
    std::uint32_t background;
    ArgbColor color;
    std::uint32_t expected;
};

// Premultiplied OVER: result = colour + background * (255 - alpha) / 255,
// each channel saturating at 255.
// Colours are straight ARGB: a translucent one contributes its channels
// times its opacity.
TEST(DrawColorTest, BlendsTheColourWithItsOpacity) {
    const BlendCase cases[] = {
        {0xFF0000FF, 0x00CCCCCC, 0xFF0000FF},  // alpha 0: nothing
        {0xFF0000FF, 0xFFCCCCCC, 0xFFCCCCCC},  // opaque fill
        {0xFF0000FF, 0x80400000, 0xFF20007F}, {0x00000000, 0x80400000, 0x80200000},
        {0xFF202020, 0x80FFFFFF, 0xFF909090},
        {0xFF000000, 0x02FFFFFF, 0xFF020202},
    };
    for (const BlendCase& c : cases) {
        Canvas canvas(4, 4);
        canvas.Clear(c.background);
        DrawColor(canvas, UiRect{1, 1, 3, 4}, c.color);
        EXPECT_TRUE(PixelNear(canvas, 2, 2, c.expected, 1)) << std::hex << c.color << " over " << c.background;
        EXPECT_EQ(canvas.GetPixel(0, 0), c.background);
        EXPECT_EQ(canvas.GetPixel(3, 1), c.background);
        EXPECT_EQ(FindInk(canvas, c.background).count, c.expected == c.background ? 0 : 6);
    }
}

TEST(DrawColorTest, EmptyRectangleDrawsNothing) {
    Canvas canvas = Paper(4, 4);
    for (const UiRect rect : {UiRect{2, 2, 2, 4}, UiRect{3, 3, 1, 1}, UiRect{}}) DrawColor(canvas, rect, 0xFF000000);
    EXPECT_EQ(FindInk(canvas, kPaper).count, 0);
}

// The pen ignores alpha: "#00CCCCCC" fills nothing but outlines grey.
TEST(DrawRectTest, OneByOneOutlineLiesInsideTheRectangle) {
    Canvas canvas = Paper(12, 12);
    DrawColor(canvas, UiRect{0, 0, 10, 10}, 0x00CCCCCC);
    EXPECT_EQ(FindInk(canvas, kPaper).count, 0);
    DrawRect(canvas, UiRect{0, 0, 10, 10}, 1, 0x00CCCCCC);
    const std::vector<std::string> expected = {
        "##########..", "#........#..", "#........#..", "#........#..", "#........#..", "#........#..",
        "#........#..", "#........#..", "#........#..", "##########..", "............", "............",
    };
    EXPECT_EQ(PixelMap(canvas, UiRect{0, 0, 12, 12}, kLegend), expected);
}

TEST(DrawRectTest, WiderPenGrowsInward) {
    struct Case {
        int penWidth;
        UiRect rect;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0, UiRect{1, 1, 5, 5}, {"......", ".####.", ".#..#.", ".#..#.", ".####.", "......"}},
        {2, UiRect{0, 0, 6, 6}, {"######", "######", "##..##", "##..##", "######", "######"}},
        // Thicker than half the rectangle: nothing is left inside.
        {2, UiRect{1, 1, 4, 6}, {"......", ".###..", ".###..", ".###..", ".###..", ".###.."}},
    };
    for (const Case& c : cases) {
        Canvas canvas = Paper(6, 6);
        DrawRect(canvas, c.rect, c.penWidth, kGrey);
        EXPECT_EQ(PixelMap(canvas, UiRect{0, 0, 6, 6}, kLegend), c.expected) << "pen " << c.penWidth;
    }
}

TEST(DrawLineTest, LastPointIsLeftOut) {
    struct Case {
        UiRect endPoints;
        int penWidth;
        UiRect covered;
    };
    const Case cases[] = {
        {UiRect{3, 2, 3, 8}, 1, UiRect{3, 2, 4, 8}},   // down
        {UiRect{3, 8, 3, 2}, 1, UiRect{3, 3, 4, 9}},   // up
        {UiRect{2, 5, 9, 5}, 1, UiRect{2, 5, 9, 6}},   // right
        {UiRect{9, 5, 2, 5}, 1, UiRect{3, 5, 10, 6}},  // left
        {UiRect{5, 1, 5, 9}, 3, UiRect{4, 1, 7, 9}},   // wide pen, centred on the line
        {UiRect{4, 4, 4, 4}, 1, UiRect{}},             // no length
    };
    for (const Case& c : cases) {
        Canvas canvas = Paper(12, 12);
        DrawLine(canvas, c.endPoints, c.penWidth, 0x00CCCCCC);
        const Ink ink = FindInk(canvas, kPaper);
        EXPECT_EQ(ink.bounds, c.covered) << c.endPoints.left << "," << c.endPoints.top << " to " << c.endPoints.right
                                         << "," << c.endPoints.bottom;
        EXPECT_EQ(ink.count, c.covered.GetWidth() * c.covered.GetHeight());
    }
}

// Dash patterns in pixels for a 1-pixel pen, starting at the first point.
TEST(DrawLineTest, PenStylesLayTheirPattern) {
    struct Case {
        int style;
        std::string expected;
    };
    const Case cases[] = {
        {kPenSolid, "##############################"},      {kPenDash, "##################......######"},
        {kPenDot, "###...###...###...###...###..."},        {kPenDashDot, "#########......###......######"},
        {kPenDashDotDot, "#########...###...###...######"}, {kPenNone, ".............................."},
    };
    for (const Case& c : cases) {
        Canvas canvas = Paper(30, 1);
        DrawLine(canvas, UiRect{0, 0, 30, 0}, 1, kGrey, c.style);
        EXPECT_EQ(PixelMap(canvas, UiRect{0, 0, 30, 1}, kLegend)[0], c.expected) << "style " << c.style;
    }
}

TEST(DrawRectTest, NoPenDrawsNothing) {
    Canvas canvas = Paper(12, 12);
    DrawRect(canvas, UiRect{0, 0, 10, 10}, 1, kGrey, kPenNone);
    DrawRoundRect(canvas, UiRect{0, 0, 10, 10}, 1, 4, 4, kGrey, kPenNone);
    EXPECT_EQ(FindInk(canvas, kPaper).count, 0);
}

TEST(DrawRectTest, DashedOutlineLeavesGaps) {
    Canvas canvas = Paper(40, 40);
    DrawRect(canvas, UiRect{0, 0, 40, 40}, 1, kGrey, kPenDash);
    const std::string top = PixelMap(canvas, UiRect{0, 0, 40, 1}, kLegend)[0];
    EXPECT_EQ(top.substr(0, 24), "##################......");
    EXPECT_EQ(FindInk(canvas, kPaper).bounds, (UiRect{0, 0, 40, 40}));
    EXPECT_LT(FindInk(canvas, kPaper).count, 4 * 39);
}

// Corner ellipses 8 × 8: the corner pixel stays clear, the sides are whole
// and the inside is left alone.
TEST(DrawRoundRectTest, RoundsTheCornersInsideTheRectangle) {
    Canvas canvas = Paper(22, 22);
    DrawRoundRect(canvas, UiRect{1, 1, 21, 21}, 1, 8, 8, 0xFFCCCCCC);
    EXPECT_EQ(FindInk(canvas, kPaper).bounds, (UiRect{1, 1, 21, 21}));
    for (const UiPoint clear : {UiPoint{1, 1}, UiPoint{20, 1}, UiPoint{1, 20}, UiPoint{20, 20}, UiPoint{10, 10}}) {
        EXPECT_EQ(canvas.GetPixel(clear.x, clear.y), kPaper) << clear.x << "," << clear.y;
    }
    for (const UiPoint side : {UiPoint{10, 1}, UiPoint{1, 10}, UiPoint{20, 10}, UiPoint{10, 20}}) {
        EXPECT_EQ(canvas.GetPixel(side.x, side.y), kGrey) << side.x << "," << side.y;
    }
    // Each corner is closed by the arc, the same at opposite corners.
    EXPECT_EQ(canvas.GetPixel(2, 2), kGrey);
    std::vector<std::string> topLeft = PixelMap(canvas, UiRect{1, 1, 6, 6}, kLegend);
    std::vector<std::string> bottomRight = PixelMap(canvas, UiRect{16, 16, 21, 21}, kLegend);
    std::reverse(bottomRight.begin(), bottomRight.end());
    for (std::string& row : bottomRight) std::reverse(row.begin(), row.end());
    EXPECT_EQ(topLeft, bottomRight);
}

TEST(DrawGradientTest, RunsFromFirstToSecondColour) {
    struct Case {
        bool vertical;
        UiSize size;
        UiPoint last;
        UiPoint middle;
    };
    const Case cases[] = {
        {true, UiSize{3, 5}, UiPoint{1, 4}, UiPoint{1, 2}},
        {false, UiSize{5, 3}, UiPoint{4, 1}, UiPoint{2, 1}},
    };
    for (const Case& c : cases) {
        Canvas canvas = Paper(c.size.cx, c.size.cy);
        DrawGradient(canvas, UiRect{0, 0, c.size.cx, c.size.cy}, 0xFF000000, 0xFFFF0080, c.vertical, 64);
        EXPECT_EQ(canvas.GetPixel(0, 0), 0xFF000000u) << "vertical " << c.vertical;
        EXPECT_EQ(canvas.GetPixel(c.last.x, c.last.y), 0xFFFF0080u) << "vertical " << c.vertical;
        EXPECT_TRUE(PixelNear(canvas, c.middle.x, c.middle.y, 0xFF800040, 1)) << "vertical " << c.vertical;
        // Constant across the gradient's direction.
        EXPECT_EQ(canvas.GetPixel(c.vertical ? 2 : c.middle.x, c.vertical ? c.middle.y : 2),
                  canvas.GetPixel(c.middle.x, c.middle.y));
    }
}

// The opacity is the integer mean of the two alpha bytes; white over black
// shows it directly.
TEST(DrawGradientTest, MeanAlphaIsTheOpacity) {
    struct Case {
        std::uint8_t firstAlpha;
        std::uint8_t secondAlpha;
        int expectedLevel;
    };
    const Case cases[] = {{0x00, 0x00, 0},    {0x00, 0x01, 0},    {0x01, 0x00, 0},   {0x00, 0x02, 1},
                          {0x00, 0xFF, 0x7F}, {0x80, 0xFF, 0xBF}, {0xFF, 0xFF, 0xFF}};
    for (const Case& c : cases) {
        Canvas canvas(4, 4);
        canvas.Clear(0xFF000000);
        const ArgbColor white = 0x00FFFFFF;
        DrawGradient(canvas, UiRect{0, 0, 4, 4}, white | c.firstAlpha << 24, white | c.secondAlpha << 24, true, 2);
        const std::uint32_t level = static_cast<std::uint32_t>(c.expectedLevel);
        for (const UiPoint p : {UiPoint{0, 0}, UiPoint{3, 3}}) {
            EXPECT_TRUE(PixelNear(canvas, p.x, p.y, 0xFF000000 | level << 16 | level << 8 | level, 1))
                << int{c.firstAlpha} << "/" << int{c.secondAlpha};
        }
        if (c.expectedLevel == 0) {
            EXPECT_EQ(FindInk(canvas, 0xFF000000).count, 0);
        }
    }
}

}  // namespace
