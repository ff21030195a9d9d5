#include "ui_toolkit/render/Canvas.h"

#include <stb/stb_image.h>

#include <utility>

#include <gtest/gtest.h>

#include "PixelChecks.h"
#include "support/TempFolder.h"
#include "ui_toolkit/render/ClipScope.h"
#include "ui_toolkit/render/DrawPrimitives.h"

namespace {

TEST(CanvasTest, StartsTransparentAndReadsZeroOutside) {
    Canvas canvas(4, 3);
    ASSERT_TRUE(canvas.IsValid());
    EXPECT_EQ(canvas.GetWidth(), 4);
    EXPECT_EQ(canvas.GetHeight(), 3);
    EXPECT_GE(canvas.GetStride(), 16);
    canvas.Clear(0xFF102030);
    EXPECT_EQ(FindInk(canvas, 0xFF102030).count, 0);
    for (const UiPoint outside : {UiPoint{-1, 0}, UiPoint{4, 0}, UiPoint{0, -1}, UiPoint{0, 3}}) {
        EXPECT_EQ(canvas.GetPixel(outside.x, outside.y), 0u) << outside.x << "," << outside.y;
    }
    EXPECT_EQ(FindInk(Canvas(5, 2), 0).count, 0);
}

TEST(CanvasTest, NegativeOrHugeSizesGiveAnInvalidCanvas) {
    for (const UiSize size : {UiSize{-1, 4}, UiSize{4, -1}, UiSize{40000, 1}}) {
        Canvas canvas(size.cx, size.cy);
        EXPECT_FALSE(canvas.IsValid()) << size.cx << "x" << size.cy;
        EXPECT_EQ(canvas.GetWidth(), 0);
        EXPECT_EQ(canvas.GetData(), nullptr);
        canvas.Clear(0xFFFFFFFF);
        DrawColor(canvas, UiRect{0, 0, 4, 4}, 0xFFFFFFFF);
        ClipScope clip(canvas, UiRect{0, 0, 1, 1});
        EXPECT_EQ(canvas.GetPixel(0, 0), 0u);
    }
}

// Clear stores the value itself: no blending with what was there, no
// premultiplying, no clip.
TEST(CanvasTest, ClearSetsEveryPixelToTheValue) {
    Canvas canvas(3, 3);
    canvas.Clear(0xFFFFFFFF);
    {
        ClipScope clip(canvas, UiRect{0, 0, 1, 1});
        canvas.Clear(0x80FF0000);
    }
    EXPECT_EQ(FindInk(canvas, 0x80FF0000).count, 0);
}

TEST(CanvasTest, CopyFromTakesTheRectangleCutToBothSurfaces) {
    Canvas source(4, 4);
    source.Clear(0xFF0000FF);
    Canvas target(3, 5);
    target.Clear(0xFFFFFFFF);
    ClipScope clip(target, UiRect{0, 0, 1, 1});
    target.CopyFrom(source, UiRect{-2, 1, 10, 3});
    EXPECT_EQ(PixelMap(target, UiRect{0, 0, 3, 5}, {{0xFF0000FF, 'b'}, {0xFFFFFFFF, '.'}}),
              (std::vector<std::string>{"...", "bbb", "bbb", "...", "..."}));
    target.CopyFrom(source, UiRect{5, 5, 9, 9});
    EXPECT_EQ(FindInk(target, 0xFFFFFFFF).count, 6);
}

TEST(CanvasTest, MovingHandsOverThePixels) {
    Canvas first(2, 2);
    first.Clear(0xFF00FF00);
    Canvas second = std::move(first);
    EXPECT_FALSE(first.IsValid());
    EXPECT_EQ(first.GetPixel(0, 0), 0u);
    EXPECT_EQ(second.GetPixel(1, 1), 0xFF00FF00u);
    Canvas third(1, 1);
    third = std::move(second);
    EXPECT_EQ(third.GetWidth(), 2);
    EXPECT_EQ(third.GetPixel(1, 1), 0xFF00FF00u);
}

// The file carries straight alpha: a premultiplied half-transparent red reads
// back as full red at half alpha.
TEST(CanvasTest, WritesPngWithStraightAlpha) {
    TempFolder folder;
    Canvas canvas(2, 1);
    canvas.Clear(0xFF336699);
    canvas.CopyFrom(Canvas(2, 1), UiRect{1, 0, 2, 1});
    DrawColor(canvas, UiRect{1, 0, 2, 1}, 0x80800000);
    ASSERT_TRUE(canvas.WritePng(folder / "out.png"));
    EXPECT_FALSE(canvas.WritePng(folder / "missing/out.png"));

    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba = stbi_load((folder / "out.png").c_str(), &width, &height, &channels, 4);
    ASSERT_NE(rgba, nullptr);
    ASSERT_EQ(width, 2);
    ASSERT_EQ(height, 1);
    EXPECT_EQ((std::vector<int>(rgba, rgba + 8)), (std::vector<int>{0x33, 0x66, 0x99, 0xFF, 0x80, 0, 0, 0x80}));
    stbi_image_free(rgba);
}

}  // namespace
