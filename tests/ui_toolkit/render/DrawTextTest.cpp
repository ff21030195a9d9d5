#include "ui_toolkit/render/DrawText.h"

#include <string>

#include "TextFixture.h"
#include "ui_toolkit/core/TextSubstitution.h"
#include "ui_toolkit/render/FontEntry.h"

namespace {

class DrawTextTest : public TextFixture {
protected:
    UiRect Measure(std::wstring_view text, int font = kRegular, unsigned style = kTextSingleLine,
                   UiRect rect = {10, 20, 390, 180}) {
        return MeasureText(m_manager, rect, text, font, style);
    }
    int Width(std::wstring_view text, int font = kRegular) { return Measure(text, font).GetWidth(); }
    Ink Draw(std::wstring_view text, UiRect rect, unsigned style, int font = kRegular, std::uint32_t color = kWhite) {
        m_canvas.Clear(kBlack);
        DrawText(m_canvas, m_manager, rect, text, color, font, style);
        return AnyInk();
    }
};

struct AlignmentCase {
    unsigned style;
    int column;  // -1 left, 0 centre, 1 right
    int row;     // -1 top, 0 centre, 1 bottom
};

class TextAlignmentTest : public DrawTextTest, public ::testing::WithParamInterface<AlignmentCase> {};

TEST_P(TextAlignmentTest, InkSitsWhereTheStyleSays) {
    const UiRect box{50, 40, 350, 160};
    const Ink ink = Draw(L"Zelmora", box, GetParam().style | kTextSingleLine);
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.bounds.left, box.left);
    EXPECT_LE(ink.bounds.right, box.right);
    const int centreX = (ink.bounds.left + ink.bounds.right) / 2;
    const int centreY = (ink.bounds.top + ink.bounds.bottom) / 2;
    switch (GetParam().column) {
        case -1:
            EXPECT_LE(ink.bounds.left - box.left, 3);
            break;
        case 0:
            EXPECT_NEAR(centreX, 200, 3);
            break;
        default:
            EXPECT_LE(box.right - ink.bounds.right, 3);
            break;
    }
    const int lineHeight = m_manager.GetFontInfo(kRegular).GetMetrics().height;
    switch (GetParam().row) {
        case -1:
            EXPECT_LE(ink.bounds.bottom, box.top + lineHeight);
            break;
        case 0:
            EXPECT_NEAR(centreY, 100, lineHeight / 2);
            break;
        default:
            EXPECT_GE(ink.bounds.top, box.bottom - lineHeight);
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothWays, TextAlignmentTest,
    ::testing::Values(AlignmentCase{kTextLeft | kTextTop, -1, -1}, AlignmentCase{kTextCenter | kTextTop, 0, -1},
                      AlignmentCase{kTextRight | kTextTop, 1, -1}, AlignmentCase{kTextLeft | kTextVCenter, -1, 0},
                      AlignmentCase{kTextCenter | kTextVCenter, 0, 0}, AlignmentCase{kTextRight | kTextBottom, 1, 1},
                      AlignmentCase{kTextCenter | kTextBottom, 0, 1}));

TEST_F(DrawTextTest, VerticalAlignmentNeedsSingleLine) {
    const UiRect box{50, 40, 350, 160};
    const Ink ink = Draw(L"Zelmora", box, kTextBottom);
    ASSERT_GT(ink.count, 0);
    EXPECT_LT(ink.bounds.bottom, box.top + m_manager.GetFontInfo(kRegular).GetMetrics().height + 2);
}

TEST_F(DrawTextTest, MeasuringKeepsTheCornerAndDrawsNothing) {
    UiRect rect{10, 20, 390, 180};
    DrawText(m_canvas, m_manager, rect, L"Zelmora", kWhite, kRegular, kTextSingleLine | kTextCalcRect);
    EXPECT_EQ(AnyInk().count, 0);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_GT(rect.GetWidth(), 30);
    EXPECT_LT(rect.GetWidth(), 100);
    const FontMetrics& metrics = m_manager.GetFontInfo(kRegular).GetMetrics();
    EXPECT_NEAR(rect.GetHeight(), metrics.height, 2);
    EXPECT_EQ(rect, Measure(L"Zelmora"));
    EXPECT_EQ(Measure(L""), (UiRect{10, 20, 10, 20}));
}

TEST_F(DrawTextTest, LinesBreakAtNewlinesUnlessSingleLine) {
    const UiRect one = Measure(L"first", kRegular, 0);
    const UiRect two = Measure(L"first\nsecond line", kRegular, 0);
    EXPECT_NEAR(two.GetHeight(), 2 * one.GetHeight(), 2);
    EXPECT_EQ(two.GetWidth(), Width(L"second line"));
    EXPECT_EQ(Measure(L"first\nsecond line").GetHeight(), one.GetHeight());
}

TEST_F(DrawTextTest, WordBreakWrapsInsideTheWidth) {
    const std::wstring text = L"one two three four five six seven";
    const UiRect narrow{10, 20, 90, 180};
    const UiRect wrapped = Measure(text, kRegular, kTextWordBreak, narrow);
    EXPECT_LE(wrapped.GetWidth(), narrow.GetWidth());
    EXPECT_GE(wrapped.GetHeight(), 3 * Measure(L"one").GetHeight());
    // Without word break the line runs on past the box.
    EXPECT_GT(Measure(text, kRegular, 0, narrow).GetWidth(), narrow.GetWidth());

    const Ink ink = Draw(text, narrow, kTextWordBreak);
    EXPECT_GE(ink.bounds.left, narrow.left);
    EXPECT_LE(ink.bounds.right, narrow.right);
    EXPECT_GE(ink.bounds.GetHeight(), 2 * Measure(L"one").GetHeight());
}

TEST_F(DrawTextTest, EndEllipsisEndsTheLineWithDots) {
    const std::wstring text = L"Installing Zelmora Tarnel now";
    const UiRect box{20, 20, 120, 60};
    const Ink cut = Draw(text, box, kTextSingleLine | kTextEndEllipsis);
    ASSERT_GT(cut.count, 0);
    EXPECT_LT(cut.bounds.right, box.right);
    // The last ink is the dots: low in the line, nothing above them.
    const Ink tail = AnyInk(UiRect{cut.bounds.right - 3, box.top, cut.bounds.right, box.bottom});
    const int baselineZone = cut.bounds.top + cut.bounds.GetHeight() / 2;
    EXPECT_GT(tail.bounds.top, baselineZone);
    EXPECT_LE(Measure(text, kRegular, kTextSingleLine | kTextEndEllipsis, box).GetWidth(), box.GetWidth());

    // Without the flag the text is clipped at the box instead.
    const Ink clipped = Draw(text, box, kTextSingleLine);
    EXPECT_GE(clipped.bounds.right, box.right - 2);
    EXPECT_LE(clipped.bounds.right, box.right);
}

TEST_F(DrawTextTest, StylesChangeTheMeasure) {
    const std::wstring text = L"Zelmora Tarnel";
    EXPECT_GT(Width(text, kBold), Width(text, kRegular));
    EXPECT_EQ(Width(text, kUnderline), Width(text, kRegular));
    EXPECT_NEAR(Width(text, kItalic), Width(text, kRegular), Width(text, kRegular) / 10);
    EXPECT_GT(Measure(text, kLarge).GetHeight(), Measure(text, kRegular).GetHeight());

    const UiRect box{10, 10, 390, 60};
    const Ink regular = Draw(text, box, kTextSingleLine);
    const Ink underlined = Draw(text, box, kTextSingleLine, kUnderline);
    EXPECT_GT(underlined.bounds.bottom, regular.bounds.bottom - 1);
    EXPECT_GT(underlined.count, regular.count);
    // Slanted: the same ink count roughly, not the same pixels.
    Draw(text, box, kTextSingleLine, kItalic);
    const std::vector<std::string> italicMap = PixelMap(m_canvas, box, {{kBlack, '.'}});
    Draw(text, box, kTextSingleLine);
    EXPECT_NE(italicMap, PixelMap(m_canvas, box, {{kBlack, '.'}}));
}

TEST_F(DrawTextTest, FontMetricsAreFilledAndConsistent) {
    const FontMetrics& regular = m_manager.GetFontInfo(kRegular).GetMetrics();
    const FontMetrics& large = m_manager.GetFontInfo(kLarge).GetMetrics();
    EXPECT_GE(regular.height, 14);
    EXPECT_GT(regular.ascent, 0);
    EXPECT_LT(regular.ascent, regular.height);
    EXPECT_GE(regular.externalLeading, 0);
    EXPECT_GT(regular.averageCharWidth, 0);
    EXPECT_GE(regular.maxCharWidth, regular.averageCharWidth);
    EXPECT_GT(large.height, regular.height);
    EXPECT_GT(large.averageCharWidth, regular.averageCharWidth);
    // Ten of the widest characters are at least as wide as any ten.
    EXPECT_GE(10 * regular.maxCharWidth, Width(L"WWWWWWWWWW"));
}

TEST_F(DrawTextTest, AnIdWithoutEntryDrawsTheDefaultFont) {
    const FontEntry& fallback = m_manager.GetFontInfo(77);
    EXPECT_EQ(&fallback, &m_manager.GetFontInfo(-1));
    EXPECT_FALSE(fallback.face.empty());
    EXPECT_EQ(Measure(L"Zelmora", 77), Measure(L"Zelmora", -1));
    // Changing the default font changes what the missing id draws with.
    m_manager.SetDefaultFont(L"DejaVu Sans", 28, false, false, false);
    EXPECT_EQ(Measure(L"Zelmora", 77), Measure(L"Zelmora", kLarge));
}

TEST_F(DrawTextTest, TextsAreSubstitutedFirst) {
    SetMultiLanguageText(41, L"WWWW");
    EXPECT_EQ(Measure(L"%{41}"), Measure(L"WWWW"));
    // Other percent signs stay.
    EXPECT_EQ(Measure(L"%0"), Measure(L"%0"));
    EXPECT_GT(Width(L"%0"), Width(L"0"));
    RemoveAllMultiLanguageTexts();
}

TEST_F(DrawTextTest, AmpersandsAreShown) {
    EXPECT_GT(Width(L"A&B"), Width(L"AB"));
}

TEST_F(DrawTextTest, AlphaIsIgnored) {
    const UiRect box{10, 10, 200, 60};
    for (const std::uint32_t color : {0x00FFFFFFu, 0x00FF0000u, 0x80574DEDu}) {
        m_canvas.Clear(kBlack);
        UiRect rect = box;
        DrawText(m_canvas, m_manager, rect, L"Zelmora", color, kRegular, kTextSingleLine);
        const Ink ink = InkOf(0xFF000000 | color);
        EXPECT_GT(ink.count, 20) << std::hex << color;
        EXPECT_EQ(ForeignInk({0xFF000000 | color}), 0) << std::hex << color;
    }
}

TEST_F(DrawTextTest, ArabicIsShapedAndDrawnRightAligned) {
    const std::wstring word = L"\u0645\u0631\u062D\u0628\u0627";  // "marhaba"
    const UiRect box{20, 20, 380, 80};
    const Ink ink = Draw(word, box, kTextSingleLine | kTextRight | kTextVCenter);
    ASSERT_GT(ink.count, 20);
    EXPECT_LE(box.right - ink.bounds.right, 3);
    EXPECT_GT(ink.bounds.left, 200);
    // Joined letters take other forms than the same letters one by one.
    int separate = 0;
    for (const wchar_t letter : word) separate += Width(std::wstring(1, letter));
    EXPECT_NE(Width(word), separate);
}

}  // namespace
