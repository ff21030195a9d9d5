#include "ui_toolkit/render/ClipScope.h"

#include <gtest/gtest.h>

#include "PixelChecks.h"
#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/DrawPrimitives.h"

namespace {

constexpr std::uint32_t kPaper = 0xFFFFFFFF;
constexpr std::uint32_t kInk = 0xFF000000;

class ClipScopeTest : public ::testing::Test {
protected:
    ClipScopeTest() { m_canvas.Clear(kPaper); }

    // Fills the whole canvas; only the clip limits it.
    void FillAll() { DrawColor(m_canvas, UiRect{0, 0, 24, 24}, kInk); }
    Ink Filled() const { return FindInk(m_canvas, kPaper); }

    Canvas m_canvas{24, 24};
};

TEST_F(ClipScopeTest, RectangleLimitsDrawingUntilTheScopeEnds) {
    {
        ClipScope clip(m_canvas, UiRect{2, 3, 6, 8});
        FillAll();
        EXPECT_EQ(Filled().bounds, (UiRect{2, 3, 6, 8}));
        EXPECT_EQ(Filled().count, 20);
    }
    FillAll();
    EXPECT_EQ(Filled().count, 24 * 24);
}

TEST_F(ClipScopeTest, NestedScopesNarrowAndRestoreInTurn) {
    {
        ClipScope outer(m_canvas, UiRect{0, 0, 6, 6});
        {
            ClipScope inner(m_canvas, UiRect{4, 4, 10, 10});
            FillAll();
            EXPECT_EQ(Filled().bounds, (UiRect{4, 4, 6, 6}));
            EXPECT_EQ(Filled().count, 4);
        }
        FillAll();
        EXPECT_EQ(Filled().bounds, (UiRect{0, 0, 6, 6}));
        EXPECT_EQ(Filled().count, 36);
    }
    FillAll();
    EXPECT_EQ(Filled().count, 24 * 24);
}

TEST_F(ClipScopeTest, EmptyRectangleAllowsNothing) {
    ClipScope clip(m_canvas, UiRect{5, 5, 2, 9});
    FillAll();
    EXPECT_EQ(Filled().count, 0);
}

// Corner ellipses 8 wide and high cut the corner pixels; the sides stay whole.
TEST_F(ClipScopeTest, RoundedRectangleCutsTheCorners) {
    {
        ClipScope clip(m_canvas, UiRect{2, 2, 22, 22}, 8, 8);
        FillAll();
    }
    EXPECT_EQ(Filled().bounds, (UiRect{2, 2, 22, 22}));
    for (const UiPoint corner : {UiPoint{2, 2}, UiPoint{21, 2}, UiPoint{2, 21}, UiPoint{21, 21}, UiPoint{3, 2}}) {
        EXPECT_EQ(m_canvas.GetPixel(corner.x, corner.y), kPaper) << corner.x << "," << corner.y;
    }
    for (const UiPoint side : {UiPoint{12, 2}, UiPoint{2, 12}, UiPoint{21, 12}, UiPoint{12, 21}, UiPoint{3, 3},
                               UiPoint{6, 2}, UiPoint{2, 6}}) {
        EXPECT_EQ(m_canvas.GetPixel(side.x, side.y), kInk) << side.x << "," << side.y;
    }
    // The cut is the same at all four corners.
    const Legend legend{{kPaper, '.'}, {kInk, '#'}};
    const auto topLeft = PixelMap(m_canvas, UiRect{2, 2, 6, 6}, legend);
    EXPECT_EQ(topLeft, (std::vector<std::string>{"..##", ".###", "####", "####"}));
    const auto bottomRight = PixelMap(m_canvas, UiRect{18, 18, 22, 22}, legend);
    EXPECT_EQ(bottomRight, (std::vector<std::string>{"####", "####", "###.", "##.."}));
}

TEST_F(ClipScopeTest, RoundedScopeInsideRectangleScope) {
    ClipScope outer(m_canvas, UiRect{0, 0, 12, 24});
    {
        ClipScope inner(m_canvas, UiRect{2, 2, 22, 22}, 8, 8);
        FillAll();
    }
    EXPECT_EQ(Filled().bounds, (UiRect{2, 2, 12, 22}));
    EXPECT_EQ(m_canvas.GetPixel(2, 2), kPaper);
    EXPECT_EQ(m_canvas.GetPixel(11, 2), kInk);
}

}  // namespace
