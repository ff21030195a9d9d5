// What controls and containers paint, read back as pixels of the headless
// window's surface.
#include <gtest/gtest.h>

#include "ui_toolkit/render/Canvas.h"
#include "SkinFixture.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;

class ControlPaintTest : public ::testing::Test {
protected:
    std::uint32_t Pixel(int x, int y) const { return skin.window.GetSurface().GetPixel(x, y); }

    SkinFixture skin{100, 100};
};

TEST_F(ControlPaintTest, BackgroundThenBorder) {
    skin.Show(LR"(<Window><Control bkcolor="#FFFFFFFF" bordersize="1" bordercolor="#FF0000FF"/></Window>)");
    EXPECT_EQ(Pixel(0, 0), kBlue);
    EXPECT_EQ(Pixel(99, 50), kBlue);
    EXPECT_EQ(Pixel(50, 99), kBlue);
    EXPECT_EQ(Pixel(1, 1), kWhite);
    EXPECT_EQ(Pixel(50, 50), kWhite);
}

TEST_F(ControlPaintTest, TransparentBorderColourStillDrawsItsRgb) {
    skin.Show(LR"(<Window><Control bkcolor="#FFFFFFFF" bordersize="1" bordercolor="#00CCCCCC"/></Window>)");
    EXPECT_EQ(Pixel(0, 50), 0xFFCCCCCCu);
}

TEST_F(ControlPaintTest, BorderNeedsALeftWidth) {
    skin.Show(LR"(<Window><Control bkcolor="#FFFFFFFF" bordersize="0,1,0,0" bordercolor="#FF0000FF"/></Window>)");
    for (int x : {0, 50, 99}) EXPECT_EQ(Pixel(x, 0), kWhite) << x;
}

TEST_F(ControlPaintTest, SidesOfDifferentWidthsAreLines) {
    skin.Show(LR"(<Window><Control bkcolor="#FFFFFFFF" bordersize="1,0,0,2" bordercolor="#FFFF0000"/></Window>)");
    EXPECT_EQ(Pixel(0, 10), kRed);
    EXPECT_EQ(Pixel(1, 10), kWhite);
    EXPECT_EQ(Pixel(50, 0), kWhite);
    EXPECT_EQ(Pixel(99, 50), kWhite);
    EXPECT_EQ(Pixel(50, 98), kRed);
    EXPECT_EQ(Pixel(50, 97), kWhite);
}

TEST_F(ControlPaintTest, FocusedBorderColourWhileFocused) {
    skin.Show(LR"(<Window><VerticalLayout><Control name="field" height="50" bkcolor="#FFFFFFFF" bordersize="1"
      bordercolor="#FF0000FF" focusbordercolor="#FFFF0000"/></VerticalLayout></Window>)");
    EXPECT_EQ(Pixel(0, 0), kBlue);
    skin.Find(L"field")->SetFocus();
    skin.window.RunPending();
    EXPECT_EQ(Pixel(0, 0), kRed);
}

TEST_F(ControlPaintTest, TranslucentBackgroundBlendsOverTheParent) {
    skin.Show(LR"(<Window><VerticalLayout bkcolor="#FF0000FF"><Control bkcolor="#80FF0000"/></VerticalLayout>
      </Window>)");
    const std::uint32_t blended = Pixel(50, 50);
    EXPECT_EQ(blended >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((blended >> 16) & 0xFF), 0x80, 2);
    EXPECT_NEAR(static_cast<int>(blended & 0xFF), 0x7F, 2);
}

TEST_F(ControlPaintTest, TwoColoursMakeAVerticalGradient) {
    skin.Show(LR"(<Window><Control bkcolor="#FF000000" bkcolor2="#FFFFFFFF"/></Window>)");
    const int top = static_cast<int>(Pixel(50, 0) & 0xFF);
    const int middle = static_cast<int>(Pixel(50, 50) & 0xFF);
    const int bottom = static_cast<int>(Pixel(50, 99) & 0xFF);
    EXPECT_LT(top, 8);
    EXPECT_NEAR(middle, 128, 8);
    EXPECT_GT(bottom, 247);
}

TEST_F(ControlPaintTest, ThreeColoursSplitAtTheMiddle) {
    skin.Show(LR"(<Window><Control bkcolor="#FF000000" bkcolor2="#FFFFFFFF" bkcolor3="#FF000000"/></Window>)");
    EXPECT_LT(static_cast<int>(Pixel(50, 0) & 0xFF), 20);
    EXPECT_GT(static_cast<int>(Pixel(50, 49) & 0xFF), 230);
    EXPECT_GT(static_cast<int>(Pixel(50, 50) & 0xFF), 230);
    EXPECT_LT(static_cast<int>(Pixel(50, 99) & 0xFF), 20);
}

TEST_F(ControlPaintTest, RoundedCornersClipTheControl) {
    skin.Show(LR"(<Window><VerticalLayout bkcolor="#FF0000FF"><Control bkcolor="#FFFFFFFF" borderround="20,20"/>
      </VerticalLayout></Window>)");
    EXPECT_EQ(Pixel(0, 0), kBlue);
    EXPECT_EQ(Pixel(50, 50), kWhite);
    EXPECT_EQ(Pixel(50, 0), kWhite);
}

TEST_F(ControlPaintTest, ChildrenAreClippedToTheClientRectFloatingOnesToTheContainer) {
    skin.Show(LR"(<Window><VerticalLayout bkcolor="#FF0000FF">
      <VerticalLayout height="50" inset="10,10,10,10">
        <Control bkcolor="#FFFF0000" padding="-5,-5,-5,-5"/>
        <Control float="true" pos="0,0,5,5" bkcolor="#FFFFFFFF"/>
      </VerticalLayout></VerticalLayout></Window>)");
    EXPECT_EQ(Pixel(20, 20), kRed);
    EXPECT_EQ(Pixel(8, 20), kBlue);
    EXPECT_EQ(Pixel(2, 2), kWhite);
}

TEST_F(ControlPaintTest, OnlyTheInvalidRectangleIsRepainted) {
    skin.Show(LR"(<Window><HorizontalLayout><Control name="left" bkcolor="#FF0000FF"/>
      <Control name="right" bkcolor="#FF0000FF"/></HorizontalLayout></Window>)");
    CControlUI* left = skin.Find(L"left");
    CControlUI* right = skin.Find(L"right");
    const int paints = skin.window.GetPaintCount();
    left->OnPaint.Add([](CControlUI*) { return true; });
    int rightPaints = 0;
    right->OnPaint.Add([&rightPaints](CControlUI*) {
        ++rightPaints;
        return true;
    });
    left->SetBkColor(kRed);
    skin.window.RunPending();
    EXPECT_EQ(skin.window.GetPaintCount(), paints + 1);
    EXPECT_EQ(rightPaints, 0);
    EXPECT_EQ(Pixel(10, 10), kRed);
    EXPECT_EQ(Pixel(60, 10), kBlue);
}

TEST_F(ControlPaintTest, HiddenControlsAndTheirChildrenAreNotPainted) {
    skin.Show(LR"(<Window><VerticalLayout bkcolor="#FF0000FF"><VerticalLayout name="box" visible="false">
      <Control bkcolor="#FFFF0000"/></VerticalLayout></VerticalLayout></Window>)");
    EXPECT_EQ(Pixel(50, 50), kBlue);
    skin.Find(L"box")->SetVisible(true);
    skin.window.RunPending();
    EXPECT_EQ(Pixel(50, 50), kRed);
}

TEST_F(ControlPaintTest, CoverPaintsOverItsOwner) {
    skin.Show(LR"(<Window><Container bkcolor="#FF0000FF"><Control cover="true" bkcolor="#FFFF0000"/></Container>
      </Window>)");
    EXPECT_EQ(Pixel(50, 50), kRed);
}

TEST_F(ControlPaintTest, NoRootPaintsBlack) {
    skin.window.RunPending();
    EXPECT_EQ(Pixel(10, 10), 0xFF000000u);
}

}  // namespace
