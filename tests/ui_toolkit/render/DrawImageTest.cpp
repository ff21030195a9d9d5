#include "ui_toolkit/render/DrawImage.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/TextConversion.h"
#include "PixelChecks.h"
#include "RenderFixture.h"
#include "support/TestFiles.h"
#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/ClipScope.h"
#include "ui_toolkit/render/ImageDescriptor.h"

namespace {

constexpr std::uint32_t kPaper = 0xFFFFFFFF;
constexpr std::uint32_t kGreen = 0xFF00C000;
constexpr std::uint32_t kBlue = 0xFF0000FF;

// A 6 × 6 picture of nine parts, 2 × 2 pixels each; the middle has four
// colours so that tiling shows.
//   a a b b c c
//   a a b b c c
//   d d p q f f
//   d d r s f f
//   g g h h i i
//   g g h h i i
const Legend kParts = {
    {0xFF100000, 'a'}, {0xFF200000, 'b'}, {0xFF300000, 'c'}, {0xFF400000, 'd'}, {0xFF000010, 'p'},
    {0xFF000020, 'q'}, {0xFF000030, 'r'}, {0xFF000040, 's'}, {0xFF500000, 'f'}, {0xFF600000, 'g'},
    {0xFF700000, 'h'}, {0xFF800000, 'i'}, {kPaper, '.'},
};

StraightPixels NinePartPixels() {
    const char* rows[] = {"aabbcc", "aabbcc", "ddpqff", "ddrsff", "gghhii", "gghhii"};
    StraightPixels pixels;
    for (const char* row : rows) {
        for (const char* letter = row; *letter != '\0'; ++letter) {
            for (const auto& [value, name] : kParts) {
                if (name == *letter) pixels.push_back(value);
            }
        }
    }
    return pixels;
}

class DrawImageTest : public RenderFixture {
protected:
    void SetUp() override {
        m_canvas.Clear(kPaper);
        AddPicture("img/unchecked.png", 14, 14, StraightPixels(14 * 14, kGreen));
        AddPicture("parts.png", 6, 6, NinePartPixels());
        AddPicture("quad.png", 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000});
        AddPicture("half.png", 1, 1, {0x80FF0000});
    }

    // Draws a descriptor made from `text` with the whole canvas to paint.
    bool Draw(const std::wstring& text, const UiRect& control) { return Draw(text, control, UiRect{0, 0, 220, 40}); }
    bool Draw(const std::wstring& text, const UiRect& control, const UiRect& paint) {
        ImageDescriptor descriptor;
        descriptor.SetString(text);
        return DrawImage(m_canvas, m_images, control, paint, descriptor);
    }
    std::vector<std::string> Map(const UiRect& area, const Legend& legend = kParts) const {
        return PixelMap(m_canvas, area, legend);
    }

    Canvas m_canvas{220, 40};
};

// The check box marks: a 14 × 14 picture in a box placed by `dest`.
TEST_F(DrawImageTest, DestPlacesThePictureInsideTheControl) {
    struct Case {
        UiRect control;
        std::wstring descriptor;
        UiRect box;
    };
    const Case cases[] = {
        {UiRect{0, 0, 20, 30}, L"file='img/unchecked.png' dest='0,8,14,22'", UiRect{0, 8, 14, 22}},
        {UiRect{10, 5, 210, 35}, L"file='img/unchecked.png' dest='182,8,196,22'", UiRect{192, 13, 206, 27}},
        // Past the control: cut at its right and bottom, scaled into what is left.
        {UiRect{0, 0, 20, 30}, L"file='img/unchecked.png' dest='4,8,30,40'", UiRect{4, 8, 20, 30}},
        {UiRect{3, 4, 23, 34}, L"img/unchecked.png", UiRect{3, 4, 23, 34}},
        // No space between the pairs: the file name alone, so the whole control.
        {UiRect{0, 0, 20, 30}, L"file='img/unchecked.png'dest='1,1,2,2'", UiRect{0, 0, 20, 30}},
    };
    for (const Case& c : cases) {
        m_canvas.Clear(kPaper);
        EXPECT_TRUE(Draw(c.descriptor, c.control)) << platform::ToUtf8(c.descriptor);
        const Ink ink = FindInk(m_canvas, kPaper);
        EXPECT_EQ(ink.bounds, c.box) << platform::ToUtf8(c.descriptor);
        EXPECT_EQ(ink.count, c.box.GetWidth() * c.box.GetHeight()) << platform::ToUtf8(c.descriptor);
        EXPECT_EQ(m_canvas.GetPixel(c.box.right - 1, c.box.bottom - 1), kGreen);
    }
}

// True whenever the picture exists, drawn or not.
TEST_F(DrawImageTest, ResultSaysWhetherThePictureExists) {
    struct Case {
        std::wstring descriptor;
        UiRect paint;
        bool result;
        int ink;
    };
    const UiRect everything{0, 0, 220, 40};
    const Case cases[] = {
        {L"file='missing.png'", everything, false, 0},
        {L"file='quad.png'", everything, true, 400},
        {L"file='quad.png'", UiRect{30, 0, 40, 10}, true, 0},        // paint elsewhere
        {L"file='quad.png' dest='25,0,30,5'", everything, true, 0},  // dest past the control
        {L"file='quad.png' dest='5,5,3,3'", everything, true, 0},    // dest turned over
        {L"file='quad.png' source='5,5,9,9'", everything, true, 0},  // source past the picture
    };
    for (const Case& c : cases) {
        m_canvas.Clear(kPaper);
        EXPECT_EQ(Draw(c.descriptor, UiRect{0, 0, 20, 20}, c.paint), c.result) << platform::ToUtf8(c.descriptor);
        EXPECT_EQ(FindInk(m_canvas, kPaper).count, c.ink) << platform::ToUtf8(c.descriptor);
    }
}

TEST_F(DrawImageTest, BrokenPictureDrawsNothingEvenOnceRepaired) {
    WriteFileText(Path("late.png"), "broken");
    ImageDescriptor descriptor;
    descriptor.SetString(L"file='late.png'");
    EXPECT_FALSE(DrawImage(m_canvas, m_images, UiRect{0, 0, 4, 4}, UiRect{0, 0, 4, 4}, descriptor));
    AddPicture("late.png", 1, 1, {kGreen});
    EXPECT_FALSE(DrawImage(m_canvas, m_images, UiRect{0, 0, 4, 4}, UiRect{0, 0, 4, 4}, descriptor));
    EXPECT_EQ(FindInk(m_canvas, kPaper).count, 0);
}

// Stretching picks the nearest source pixel: no mixed colours.
TEST_F(DrawImageTest, StretchRepeatsWholePixels) {
    const Legend legend = {{0xFFFF0000, 'R'}, {0xFF00FF00, 'G'}, {0xFF0000FF, 'B'}, {0xFF000000, 'K'}, {kPaper, '.'}};
    ASSERT_TRUE(Draw(L"quad.png", UiRect{1, 1, 5, 5}));
    EXPECT_EQ(Map(UiRect{0, 0, 6, 6}, legend),
              (std::vector<std::string>{"......", ".RRGG.", ".RRGG.", ".BBKK.", ".BBKK.", "......"}));
    m_canvas.Clear(kPaper);
    ASSERT_TRUE(Draw(L"quad.png", UiRect{0, 0, 6, 2}));
    EXPECT_EQ(Map(UiRect{0, 0, 6, 2}, legend), (std::vector<std::string>{"RRRGGG", "BBBKKK"}));
}

// An opaque picture at its own size is copied; a paint rectangle that takes
// only part of it gets the matching part of the picture.
TEST_F(DrawImageTest, UnscaledCopyTakesThePartInsideThePaintRectangle) {
    const Legend legend = {{0xFFFF0000, 'R'}, {0xFF00FF00, 'G'}, {0xFF0000FF, 'B'}, {0xFF000000, 'K'}, {kPaper, '.'}};
    ASSERT_TRUE(Draw(L"quad.png", UiRect{3, 3, 5, 5}, UiRect{4, 0, 10, 10}));
    EXPECT_EQ(Map(UiRect{2, 2, 6, 6}, legend), (std::vector<std::string>{"....", "..G.", "..K.", "...."}));
}

// Every way of drawing stays inside the paint rectangle.
TEST_F(DrawImageTest, PaintRectangleLimitsEveryPiece) {
    const UiRect paint{3, 2, 7, 9};
    struct Case {
        std::wstring descriptor;
        UiRect ink;
    };
    const Case cases[] = {
        {L"file='parts.png' dest='0,0,6,6'", UiRect{3, 2, 6, 6}},  // copied unscaled
        {L"file='parts.png'", paint},                              // stretched
        {L"file='parts.png' corner='2,2,2,2'", paint},
        {L"file='parts.png' corner='2,2,2,2' xtiled='true' ytiled='true'", paint},
        {L"file='half.png'", paint},              // blended
        {L"file='parts.png' fade='100'", paint},  // faded
    };
    for (const Case& c : cases) {
        m_canvas.Clear(kPaper);
        ASSERT_TRUE(Draw(c.descriptor, UiRect{0, 0, 12, 12}, paint));
        const Ink ink = FindInk(m_canvas, kPaper);
        EXPECT_EQ(ink.bounds, c.ink) << platform::ToUtf8(c.descriptor);
        EXPECT_EQ(ink.count, c.ink.GetWidth() * c.ink.GetHeight()) << platform::ToUtf8(c.descriptor);
    }
}

TEST_F(DrawImageTest, ClipScopeLimitsTheCopyToo) {
    ClipScope clip(m_canvas, UiRect{0, 0, 4, 3});
    ASSERT_TRUE(Draw(L"file='parts.png'", UiRect{0, 0, 6, 6}));
    EXPECT_EQ(FindInk(m_canvas, kPaper).bounds, (UiRect{0, 0, 4, 3}));
}

// Over blue: premultiplied per-pixel alpha, then the fade as constant opacity.
TEST_F(DrawImageTest, BlendsWithAlphaAndFade) {
    AddPicture("red.png", 1, 1, {0xFFFF0000});
    struct Case {
        std::wstring descriptor;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {L"file='red.png'", 0xFFFF0000},
        {L"file='red.png' fade='128'", 0xFF80007F},
        {L"file='red.png' fade='0'", kBlue},
        {L"file='half.png'", 0xFF80007F},
        {L"file='half.png' fade='128'", 0xFF4000BF},
    };
    for (const Case& c : cases) {
        m_canvas.Clear(kBlue);
        ASSERT_TRUE(Draw(c.descriptor, UiRect{0, 0, 3, 3}));
        EXPECT_TRUE(PixelNear(m_canvas, 1, 1, c.expected, 2)) << platform::ToUtf8(c.descriptor);
        EXPECT_EQ(m_canvas.GetPixel(3, 1), kBlue);
    }
}

TEST_F(DrawImageTest, MaskedPixelsLetTheBackgroundThrough) {
    AddPicture("m.png", 2, 1, {0xFFFF00FF, kGreen});
    m_canvas.Clear(kBlue);
    ASSERT_TRUE(Draw(L"file='m.png' mask='#FFFF00FF'", UiRect{0, 0, 2, 1}));
    EXPECT_EQ(m_canvas.GetPixel(0, 0), kBlue);
    EXPECT_EQ(m_canvas.GetPixel(1, 0), kGreen);
}

// Corners at their own size, edges stretched along one axis, the middle
// stretched, tiled or left out.
TEST_F(DrawImageTest, NinePartDrawing) {
    struct Case {
        std::wstring options;
        UiSize size;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {L"",
         UiSize{10, 8},
         {"aabbbbbbcc", "aabbbbbbcc", "ddpppqqqff", "ddpppqqqff", "ddrrrsssff", "ddrrrsssff", "gghhhhhhii",
          "gghhhhhhii"}},
        {L" hole='true'", UiSize{8, 6}, {"aabbbbcc", "aabbbbcc", "dd....ff", "dd....ff", "gghhhhii", "gghhhhii"}},
        {L" xtiled='true'",
         UiSize{9, 8},
         {"aabbbbbcc", "aabbbbbcc", "ddpqpqpff", "ddpqpqpff", "ddrsrsrff", "ddrsrsrff", "gghhhhhii", "gghhhhhii"}},
        {L" ytiled='true'",
         UiSize{8, 9},
         {"aabbbbcc", "aabbbbcc", "ddppqqff", "ddrrssff", "ddppqqff", "ddrrssff", "ddppqqff", "gghhhhii", "gghhhhii"}},
        {L" xtiled='true' ytiled='true'",
         UiSize{9, 9},
         {"aabbbbbcc", "aabbbbbcc", "ddpqpqpff", "ddrsrsrff", "ddpqpqpff", "ddrsrsrff", "ddpqpqpff", "gghhhhhii",
          "gghhhhhii"}},
        // Only the middle part of the picture, stretched over the control.
        {L" source='2,2,4,4'", UiSize{4, 4}, {"ppqq", "ppqq", "rrss", "rrss"}},
        // A source reaching past the picture is cut at its edge.
        {L" source='4,4,100,100'", UiSize{3, 3}, {"iii", "iii", "iii"}},
        // Corners as wide as the source leave no middle to tile.
        {L" corner='3,0,3,0' xtiled='true'",
         UiSize{6, 6},
         {"aabbcc", "aabbcc", "ddpqff", "ddrsff", "gghhii", "gghhii"}},
    };
    for (const Case& c : cases) {
        m_canvas.Clear(kPaper);
        const std::wstring corner =
            c.options.find(L"corner") == std::wstring::npos && c.options.find(L"source") == std::wstring::npos
                ? L" corner='2,2,2,2'"
                : L"";
        const std::wstring descriptor = L"file='parts.png'" + corner + c.options;
        ASSERT_TRUE(Draw(descriptor, UiRect{1, 1, 1 + c.size.cx, 1 + c.size.cy}));
        EXPECT_EQ(Map(UiRect{1, 1, 1 + c.size.cx, 1 + c.size.cy}), c.expected) << platform::ToUtf8(descriptor);
        EXPECT_EQ(FindInk(m_canvas, kPaper).bounds.right, c.size.cx + 1) << platform::ToUtf8(descriptor);
    }
}

// Values no skin should hold still draw inside the destination, or not at all.
TEST_F(DrawImageTest, ExtremeValuesStayInsideTheDestination) {
    struct Case {
        std::wstring options;
        UiRect ink;
    };
    const UiRect control{2, 2, 6, 6};
    const Case cases[] = {
        {L"corner='9,9,9,9'", control},
        {L"corner='-2,-2,-2,-2'", control},
        {L"source='-5,-5,3,3'", control},
        {L"dest='2147483647,2147483647,2147483647,2147483647'", UiRect{}},
        {L"dest='-2147483648,-2147483648,2147483647,2147483647'", UiRect{0, 0, 6, 6}},
        {L"corner='2147483647,0,2147483647,0' xtiled='true' ytiled='true'", control},
        {L"dest='1,1,3,3' corner='2,2,2,2' xtiled='true' ytiled='true'", UiRect{3, 3, 5, 5}},
    };
    for (const Case& c : cases) {
        m_canvas.Clear(kPaper);
        EXPECT_TRUE(Draw(L"file='parts.png' " + c.options, control)) << platform::ToUtf8(c.options);
        const Ink ink = FindInk(m_canvas, kPaper);
        EXPECT_EQ(ink.bounds, c.ink) << platform::ToUtf8(c.options);
        EXPECT_EQ(ink.count, c.ink.GetWidth() * c.ink.GetHeight()) << platform::ToUtf8(c.options);
    }
    Canvas invalid(-1, -1);
    ImageDescriptor descriptor;
    descriptor.SetString(L"parts.png");
    EXPECT_TRUE(DrawImage(invalid, m_images, control, control, descriptor));
}

}  // namespace
