#include "ui_toolkit/render/HtmlText.h"

#include <string>
#include <vector>

#include "TextFixture.h"
#include "ui_toolkit/render/DrawText.h"
#include "ui_toolkit/render/FontEntry.h"

namespace {

constexpr std::uint32_t kLinkColor = 0xFF0000FF;
constexpr std::uint32_t kHoverColor = 0xFFD3215F;
constexpr UiRect kBox{10, 10, 390, 190};

class HtmlTextTest : public TextFixture {
protected:
    // Draws on a cleared canvas in green, the regular font.
    void Draw(std::wstring_view text, unsigned style = kTextSingleLine, UiRect rect = kBox, int font = kRegular) {
        m_canvas.Clear(kBlack);
        DrawHtmlText(m_canvas, m_manager, rect, text, kGreen, nullptr, nullptr, font, style);
    }
    void DrawLinks(std::wstring_view text, unsigned style, UiRect rect, std::size_t slots = kDefaultHtmlLinkSlots) {
        m_canvas.Clear(kBlack);
        DrawHtmlText(m_canvas, m_manager, rect, text, kGreen, &m_links, &m_linkTexts, kRegular, style, slots);
    }
    UiRect Measure(std::wstring_view text, unsigned style = kTextSingleLine, UiRect rect = kBox, int font = kRegular) {
        return MeasureHtmlText(m_manager, rect, text, font, style);
    }
    std::vector<std::string> Picture(const UiRect& area = kBox) const {
        return PixelMap(m_canvas, area, {{kBlack, '.'}});
    }
    int LineHeight(int font = kRegular) {
        const FontMetrics& metrics = m_manager.GetFontInfo(font).GetMetrics();
        return metrics.height + metrics.externalLeading;
    }

    std::vector<UiRect> m_links;
    std::vector<std::wstring> m_linkTexts;
};

TEST_F(HtmlTextTest, ColourSpansThenTheBaseColour) {
    Draw(L"{c #FFFF0000}red{/c} black");
    const Ink red = InkOf(kRed);
    const Ink green = InkOf(kGreen);
    ASSERT_GT(red.count, 10);
    ASSERT_GT(green.count, 10);
    EXPECT_LT(red.bounds.right, green.bounds.left);
    EXPECT_EQ(ForeignInk({kRed, kGreen}), 0);
}

TEST_F(HtmlTextTest, SixDigitColoursDrawDespiteTheirZeroAlpha) {
    Draw(L"{c #574DED}Zelmora{/c}");
    const Ink ink = InkOf(0xFF574DED);
    EXPECT_GT(ink.count, 20);
    EXPECT_EQ(ForeignInk({0xFF574DED}), 0);
    const std::vector<std::string> sixDigits = Picture();
    Draw(L"{c  #FF574DED}Zelmora{/c}");
    EXPECT_EQ(Picture(), sixDigits);
}

TEST_F(HtmlTextTest, LinksAreUnderlinedInTheLinkColourAndTheirEndPopsAFont) {
    Draw(L"{u}{a x}link{/a}after{/u}");
    const Ink link = InkOf(kLinkColor);
    const Ink after = InkOf(kGreen);
    // The closing a popped the u font, so "after" is not underlined.
    Draw(L"{c #FF0000FF}{u}link{/u}{/c}after");
    EXPECT_EQ(InkOf(kLinkColor).bounds, link.bounds);
    EXPECT_EQ(InkOf(kLinkColor).count, link.count);
    EXPECT_EQ(InkOf(kGreen).bounds, after.bounds);
    Draw(L"{c #FF0000FF}{u}link{/c}after{/u}");
    EXPECT_NE(InkOf(kGreen).count, after.count);
    // A plain link underlines itself.
    Draw(L"{c #FF0000FF}link{/c}after");
    EXPECT_LT(InkOf(kLinkColor).count, link.count);
    Draw(L"{a x}link{/a}after");
    EXPECT_EQ(InkOf(kLinkColor).count, link.count);
}

TEST_F(HtmlTextTest, BoldOnBoldPushesNothing) {
    // If {b} pushed nothing, {/b} pops the italic font.
    Draw(L"{i}{b}x{/b}y", kTextSingleLine, kBox, kBold);
    const std::vector<std::string> boldOnBold = Picture();
    Draw(L"{i}x{/i}y", kTextSingleLine, kBox, kBold);
    EXPECT_EQ(boldOnBold, Picture());
    Draw(L"{i}xy", kTextSingleLine, kBox, kBold);
    EXPECT_NE(boldOnBold, Picture());
    // On a regular font it pushes, and {/b} returns to italic.
    Draw(L"{i}{b}x{/b}y");
    const std::vector<std::string> pushed = Picture();
    Draw(L"{i}{b}x{/b}{/i}{i}y");
    EXPECT_EQ(pushed, Picture());
}

TEST_F(HtmlTextTest, NewLineTagBreaksOnlyMultiLineText) {
    const UiRect single = Measure(L"a{n}b");
    EXPECT_EQ(single.GetHeight(), LineHeight());
    EXPECT_EQ(single.GetWidth(), Measure(L"ab").GetWidth());
    const UiRect multi = Measure(L"a{n}b", 0);
    EXPECT_EQ(multi.GetHeight(), 2 * LineHeight());
    EXPECT_LT(multi.GetWidth(), single.GetWidth());

    Draw(L"a{n}b", 0);
    EXPECT_GT(AnyInk().bounds.GetHeight(), LineHeight());
    Draw(L"a{n}b");
    EXPECT_LE(AnyInk().bounds.GetHeight(), LineHeight());
}

struct PlainCase {
    const wchar_t* markup;
    const wchar_t* shown;
};

class HtmlPlainTextTest : public HtmlTextTest, public ::testing::WithParamInterface<PlainCase> {};

TEST_P(HtmlPlainTextTest, ShowsWhatPlainTextWould) {
    const UiRect plain = MeasureText(m_manager, kBox, GetParam().shown, kRegular, kTextSingleLine);
    EXPECT_EQ(Measure(GetParam().markup).GetWidth(), plain.GetWidth());
}

INSTANTIATE_TEST_SUITE_P(Escapes, HtmlPlainTextTest,
                         ::testing::Values(PlainCase{L"<{>", L"{"}, PlainCase{L"<}>", L"}"}, PlainCase{L"{<}", L"<"},
                                           PlainCase{L"{>}", L">"}, PlainCase{L"a<{>b<}>", L"a{b}"},
                                           PlainCase{L"{5}", L"{5}"}, PlainCase{L"{q}", L""},
                                           PlainCase{L"x{/q}y", L"xy"}, PlainCase{L"a{b", L"a{b"},
                                           PlainCase{L"1 < 2", L"1 < 2"}, PlainCase{L"{r}{b}<n>{/r}", L"{b}<n>"},
                                           PlainCase{L"x{c #FFFF0000", L"x"}, PlainCase{L"a{x 0}b", L"ab"},
                                           PlainCase{L"{i missing.png 2 1}ab", L"ab"}));

TEST_F(HtmlTextTest, RightAlignedSingleLineWiderThanItsBoxStartsLeftOfItAndIsClipped) {
    const UiRect box{100, 20, 160, 60};
    const std::wstring text = L"{a x}Installing Zelmora Tarnel{/a}";
    const int width = Measure(text, kTextSingleLine, UiRect{0, 0, 9999, 100}).GetWidth();
    ASSERT_GT(width, box.GetWidth());
    DrawLinks(text, kTextSingleLine | kTextRight, box);
    ASSERT_EQ(m_links.size(), 1u);
    EXPECT_EQ(m_links[0].left, box.right - width);
    EXPECT_EQ(m_links[0].right, box.right);
    const Ink ink = AnyInk();
    EXPECT_GE(ink.bounds.left, box.left);
    EXPECT_LE(ink.bounds.right, box.right);
    EXPECT_GE(ink.bounds.right, box.right - 3);
    // Left-aligned, the same text starts at the box.
    DrawLinks(text, kTextSingleLine, box);
    ASSERT_EQ(m_links.size(), 1u);
    EXPECT_EQ(m_links[0].left, box.left);
}

TEST_F(HtmlTextTest, LinkRectanglesReachTheBottomOfTheirLine) {
    DrawLinks(L"go {a first}here{/a} and {f 5}{a second}there{/a}{/f}{n}{a third}next{/a}", 0, kBox);
    ASSERT_EQ(m_links.size(), 3u);
    EXPECT_EQ(m_linkTexts, (std::vector<std::wstring>{L"first", L"second", L"third"}));
    const int firstLine = LineHeight(kLarge);
    EXPECT_GT(firstLine, LineHeight());
    EXPECT_EQ(m_links[0].top, kBox.top);
    EXPECT_EQ(m_links[0].bottom, kBox.top + firstLine);
    EXPECT_EQ(m_links[1].bottom, kBox.top + firstLine);
    EXPECT_GT(m_links[0].left, kBox.left);
    EXPECT_LE(m_links[0].right, m_links[1].left);
    EXPECT_EQ(m_links[2].left, kBox.left);
    EXPECT_EQ(m_links[2].top, kBox.top + firstLine);
    EXPECT_EQ(m_links[2].bottom, kBox.top + firstLine + LineHeight());
    // The link colour lies inside the rectangles.
    const Ink blue = InkOf(kLinkColor);
    const UiRect all = UnionRect(UnionRect(m_links[0], m_links[1]), m_links[2]);
    EXPECT_EQ(UnionRect(all, blue.bounds), all);
    // Measuring finds the same rectangles.
    const std::vector<UiRect> drawn = m_links;
    UiRect rect = kBox;
    DrawHtmlText(m_canvas, m_manager, rect,
                 L"go {a first}here{/a} and {f 5}{a second}there{/a}{/f}{n}{a third}next{/a}", kGreen, &m_links,
                 &m_linkTexts, kRegular, kTextCalcRect);
    EXPECT_EQ(m_links, drawn);
}

TEST_F(HtmlTextTest, ALinkBrokenOverLinesIsOneRectanglePerLine) {
    const UiRect narrow{10, 10, 80, 190};
    DrawLinks(L"{a only}one two three four{/a} end", kTextWordBreak, narrow);
    ASSERT_GE(m_links.size(), 2u);
    for (std::size_t i = 0; i < m_links.size(); ++i) {
        EXPECT_EQ(m_linkTexts[i], L"only");
        EXPECT_EQ(m_links[i].left, narrow.left);
        EXPECT_LE(m_links[i].right, narrow.right);
        EXPECT_EQ(m_links[i].top, narrow.top + static_cast<int>(i) * LineHeight());
    }
    // Slots run out: the rest of the text is no link.
    DrawLinks(L"{a 1}a{/a} {a 2}b{/a} {a 3}c{/a}", kTextSingleLine, kBox, 2);
    EXPECT_EQ(m_linkTexts, (std::vector<std::wstring>{L"1", L"2"}));
    DrawLinks(L"{a 1}a{/a} {a 2}b{/a} {a 3}c{/a}", kTextSingleLine, kBox, 0);
    EXPECT_TRUE(m_links.empty());
}

TEST_F(HtmlTextTest, TheLinkUnderTheMouseTakesTheHoverColour) {
    const std::wstring text = L"{a one}first{/a} {a two}second{/a}";
    DrawLinks(text, kTextSingleLine, kBox);
    ASSERT_EQ(m_links.size(), 2u);
    EXPECT_EQ(InkOf(kHoverColor).count, 0);
    m_window.MouseMove(m_links[1].left + 2, m_links[1].top + 2);
    const std::vector<UiRect> before = m_links;
    DrawLinks(text, kTextSingleLine, kBox);
    EXPECT_EQ(m_links, before);
    const Ink hover = InkOf(kHoverColor);
    EXPECT_GT(hover.count, 10);
    // Glyph edges may reach a pixel past their advance.
    EXPECT_GE(hover.bounds.left, m_links[0].right - 1);
    EXPECT_LE(InkOf(kLinkColor).bounds.right, m_links[1].left + 1);
}

TEST_F(HtmlTextTest, MultiLineTextIsAlignedLineByLine) {
    const std::wstring text = L"{a x}short{/a}{n}a much longer line";
    DrawLinks(text, kTextCenter, kBox);
    ASSERT_EQ(m_links.size(), 1u);
    const int centre = (kBox.left + kBox.right) / 2;
    EXPECT_NEAR((m_links[0].left + m_links[0].right) / 2, centre, 2);
    const Ink firstLine = InkOf(kLinkColor);
    EXPECT_NEAR((firstLine.bounds.left + firstLine.bounds.right) / 2, centre, 3);
    const Ink secondLine = InkOf(kGreen);
    EXPECT_NEAR((secondLine.bounds.left + secondLine.bounds.right) / 2, centre, 3);

    DrawLinks(text, kTextRight, kBox);
    EXPECT_EQ(m_links[0].right, kBox.right);
    EXPECT_GE(InkOf(kGreen).bounds.right, kBox.right - 3);
    EXPECT_GE(InkOf(kLinkColor).bounds.right, kBox.right - 3);
}

TEST_F(HtmlTextTest, VerticalAlignmentOfTheWholeText) {
    Draw(L"Zelmora", kTextSingleLine | kTextVCenter);
    const Ink centred = AnyInk();
    EXPECT_NEAR((centred.bounds.top + centred.bounds.bottom) / 2, (kBox.top + kBox.bottom) / 2, LineHeight() / 2);
    Draw(L"Zelmora", kTextSingleLine | kTextBottom);
    EXPECT_GE(AnyInk().bounds.top, kBox.bottom - LineHeight());
    EXPECT_LE(AnyInk().bounds.bottom, kBox.bottom);
}

TEST_F(HtmlTextTest, MeasuringGivesTheNeededSize) {
    UiRect rect = kBox;
    DrawHtmlText(m_canvas, m_manager, rect, L"one{n}two lines", kGreen, nullptr, nullptr, kRegular, kTextCalcRect);
    EXPECT_EQ(AnyInk().count, 0);
    EXPECT_EQ(rect.left, kBox.left);
    EXPECT_EQ(rect.top, kBox.top);
    EXPECT_EQ(rect.bottom, kBox.top + 2 * LineHeight());
    EXPECT_EQ(rect.GetWidth(), Measure(L"two lines").GetWidth());
    // Cut before the character that crosses the edge: never wider than the box.
    const UiRect cut = Measure(L"a long line that does not fit", kTextSingleLine, UiRect{0, 0, 50, 40});
    EXPECT_LE(cut.right, 50);
    EXPECT_GT(cut.right, 50 - m_manager.GetFontInfo(kRegular).GetMetrics().maxCharWidth);
    EXPECT_EQ(Measure(L"a{x 20}b").GetWidth(), Measure(L"ab").GetWidth() + 20);
    EXPECT_EQ(Measure(L"{p 10}a{/p}").GetHeight(), LineHeight() + 10);
    EXPECT_EQ(Measure(L"{y 40}a").GetHeight(), 40);
    EXPECT_EQ(Measure(L"{f 5}a{/f}").GetHeight(), LineHeight(kLarge));
    // A font given by its properties is the same font as the one with that id.
    EXPECT_EQ(Measure(L"{f DejaVu Sans 28}Xy{/f}"), Measure(L"{f 5}Xy{/f}"));
    EXPECT_GT(Measure(L"{f DejaVu Sans 14 bold}Xylo{/f}").GetWidth(), Measure(L"Xylo").GetWidth());
    // Nothing to do for an empty text or box.
    EXPECT_EQ(Measure(L""), kBox);
    EXPECT_EQ(Measure(L"x", kTextSingleLine, UiRect{5, 5, 5, 30}), (UiRect{5, 5, 5, 30}));
}

TEST_F(HtmlTextTest, WordBreakCutsAfterASpace) {
    // Room for "hello world a", which word break does not cut from "again".
    const UiRect box{10, 10, 10 + Measure(L"hello world a").GetWidth() + 1, 190};
    const UiRect wrapped = Measure(L"hello world again", kTextWordBreak, box);
    EXPECT_EQ(wrapped.GetHeight(), 2 * LineHeight());
    EXPECT_EQ(wrapped.GetWidth(), Measure(L"hello world ").GetWidth());
    // Without word break the line is cut where it reaches the edge.
    EXPECT_EQ(Measure(L"hello world again", 0, box).GetWidth(), Measure(L"hello world a").GetWidth());
}

TEST_F(HtmlTextTest, WordBreakMovesAWordAfterATagToTheNextLineWhole) {
    const UiRect box{10, 10, 10 + Measure(L"wonderfully").GetWidth() + 4, 190};
    Draw(L"{c #FFFF0000}go{/c}wonderfully", kTextWordBreak, box);
    EXPECT_LT(InkOf(kRed).bounds.bottom, box.top + LineHeight());
    EXPECT_GE(InkOf(kGreen).bounds.top, box.top + LineHeight());
    // A word wider than the line is still cut inside.
    const UiRect narrow{10, 10, 40, 190};
    EXPECT_LE(Measure(L"wonderfully", kTextWordBreak, narrow).right, narrow.right);
    EXPECT_GT(Measure(L"wonderfully", kTextWordBreak, narrow).GetHeight(), LineHeight());
}

TEST_F(HtmlTextTest, EndEllipsisFitsTheDotsInTheBox) {
    const UiRect box{20, 20, 120, 60};
    Draw(L"Installing {b}Zelmora{/b} Tarnel now", kTextSingleLine | kTextEndEllipsis, box);
    const Ink ink = AnyInk();
    ASSERT_GT(ink.count, 0);
    EXPECT_LT(ink.bounds.right, box.right);
    const Ink tail = AnyInk(UiRect{ink.bounds.right - 3, box.top, ink.bounds.right, box.bottom});
    EXPECT_GT(tail.bounds.top, ink.bounds.top + ink.bounds.GetHeight() / 2);
}

TEST_F(HtmlTextTest, SelectedTextHasTheSelectedBackground) {
    Draw(L"{s}picked{/s} plain");
    const Ink selected = InkOf(m_manager.GetDefaultSelectedBkColor());
    EXPECT_GT(selected.count, 50);
    EXPECT_LT(selected.bounds.right, InkOf(kGreen, UiRect{selected.bounds.right, 0, 400, 200}).bounds.left + 1);
}

TEST_F(HtmlTextTest, VerticalAlignmentWithinTheLine) {
    Draw(L"{v top}{c #FFFF0000}a{/c}{/v}{f 5}B{/f}");
    const Ink top = InkOf(kRed);
    Draw(L"{c #FFFF0000}a{/c}{f 5}B{/f}");
    const Ink bottom = InkOf(kRed);
    EXPECT_LT(top.bounds.bottom, bottom.bounds.top);
    EXPECT_LT(top.bounds.top, kBox.top + LineHeight());
    EXPECT_GT(bottom.bounds.bottom, kBox.top + LineHeight(kLarge) / 2);
}

class HtmlPictureTest : public HtmlTextTest {
protected:
    HtmlPictureTest() {
        // Two frames of 3 x 30: red, then blue.
        StraightPixels frames(6 * 30);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 6; ++x) frames[y * 6 + x] = x < 3 ? kRed : kBlue;
        }
        AddPicture("frames.png", 6, 30, frames);
    }
};

TEST_F(HtmlPictureTest, FramesDrawInlineAndGrowTheLine) {
    Draw(L"a{i frames.png 2 1}b");
    const Ink blue = InkOf(kBlue);
    EXPECT_EQ(blue.count, 3 * 30);
    EXPECT_EQ(blue.bounds.GetWidth(), 3);
    EXPECT_EQ(InkOf(kRed).count, 0);
    // Bottom-aligned in a line as high as the picture; text sits on the bottom too.
    ASSERT_GT(30, LineHeight());
    EXPECT_EQ(blue.bounds.top, kBox.top);
    EXPECT_EQ(Measure(L"a{i frames.png 2 1}b").GetHeight(), 30);
    EXPECT_EQ(Measure(L"a{i frames.png 2 1}b").GetWidth(), Measure(L"ab").GetWidth() + 3);
    EXPECT_GT(InkOf(kGreen).bounds.top, kBox.top + 30 - LineHeight() - 1);
    // An index out of range is frame 0; a descriptor names the whole picture.
    Draw(L"{i frames.png 2 7}");
    EXPECT_EQ(InkOf(kRed).count, 3 * 30);
    Draw(L"{i file='frames.png'}");
    EXPECT_EQ(InkOf(kRed).count + InkOf(kBlue).count, 6 * 30);
}

TEST_F(HtmlPictureTest, APictureThatDoesNotFitGoesToTheNextLine) {
    const int width = Measure(L"abc").GetWidth();
    const UiRect box{10, 10, 10 + width + 2, 190};
    Draw(L"abc{i frames.png 2 0}", 0, box);
    const Ink red = InkOf(kRed);
    EXPECT_EQ(red.bounds.left, box.left);
    EXPECT_EQ(red.bounds.top, box.top + LineHeight());
    // Single-line text draws it anyway, clipped.
    Draw(L"abc{i frames.png 2 0}", kTextSingleLine, box);
    EXPECT_EQ(InkOf(kRed).bounds.left, box.left + width);
}

}  // namespace
