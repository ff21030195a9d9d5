// Layout arithmetic of the box, tab and plain containers, checked as exact
// rectangles.
#include <gtest/gtest.h>

#include <string>

#include "platform/TextConversion.h"
#include "ui_toolkit/core/ContainerUI.h"
#include "ui_toolkit/core/TabLayoutUI.h"
#include "SkinFixture.h"

namespace {

struct NamedRect {
    const wchar_t* name;
    UiRect rect;
};

void ExpectRects(SkinFixture& skin, std::initializer_list<NamedRect> expected) {
    for (const NamedRect& e : expected) {
        EXPECT_EQ(skin.Pos(e.name), e.rect) << "control " << platform::ToUtf8(e.name);
    }
}

// The start page of the installer: title row, stretching middle, the check-box
// row and the bottom margin.
constexpr std::wstring_view kHomePage = LR"(<Window size="680,440"><VerticalLayout>
  <HorizontalLayout name="title" height="66" inset="40,24,30,0">
    <Control name="logo" width="86" height="28" padding="0,6"/>
    <Control name="gap" height="64"/>
    <HorizontalLayout name="buttons" width="46" height="42" childpadding="10">
      <Control name="minbtn" width="18" height="18"/>
      <Control name="closebtn" width="18" height="18"/>
    </HorizontalLayout>
  </HorizontalLayout>
  <VerticalLayout name="middle"/>
  <VerticalLayout name="custom" height="46"/>
  <Control name="margin" height="25"/>
</VerticalLayout></Window>)";

TEST(LayoutTest, HomePageRows) {
    SkinFixture skin;
    skin.Show(kHomePage);
    ExpectRects(skin, {
                          {L"title", {0, 0, 680, 66}},
                          {L"logo", {40, 30, 126, 58}},
                          {L"gap", {126, 24, 604, 66}},
                          {L"buttons", {604, 24, 650, 66}},
                          {L"minbtn", {604, 24, 622, 42}},
                          {L"closebtn", {632, 24, 650, 42}},
                          {L"middle", {0, 66, 680, 369}},
                          {L"custom", {0, 369, 680, 415}},
                          {L"margin", {0, 415, 680, 440}},
                      });
}

// The folder panel's row: 600 pixels between the insets, a 250 field, a 90
// button and four gaps of 15 leave 200 for three stretching children.
TEST(LayoutTest, FolderPanelRowGivesTheRemainderToTheLastStretchingChild) {
    SkinFixture skin;
    skin.Show(LR"(<Window><VerticalLayout inset="40,21,40,0">
      <HorizontalLayout height="32" childpadding="15">
        <Control name="spacer1"/>
        <Control name="label" height="32"/>
        <Control name="edit" width="250" height="32"/>
        <Control name="browse" width="90" height="32"/>
        <Control name="spacer2"/>
      </HorizontalLayout></VerticalLayout></Window>)");
    ExpectRects(skin, {
                          {L"spacer1", {40, 21, 106, 53}},
                          {L"label", {121, 21, 187, 53}},
                          {L"edit", {202, 21, 452, 53}},
                          {L"browse", {467, 21, 557, 53}},
                          {L"spacer2", {572, 21, 640, 53}},
                      });
}

struct StretchCase {
    const char* label;
    int minimumOfFirst;
    int first, second, third;
};

class StretchTest : public ::testing::TestWithParam<StretchCase> {};

TEST_P(StretchTest, SharesAndTheLastChildTakesWhatIsLeft) {
    const StretchCase& c = GetParam();
    SkinFixture skin(100, 100);
    skin.Show(L"<Window><VerticalLayout><Control name=\"a\" minheight=\"" + std::to_wstring(c.minimumOfFirst) +
              L"\"/><Control name=\"b\"/><Control name=\"c\"/></VerticalLayout></Window>");
    EXPECT_EQ(skin.Pos(L"a").GetHeight(), c.first);
    EXPECT_EQ(skin.Pos(L"b").GetHeight(), c.second);
    EXPECT_EQ(skin.Pos(L"c").GetHeight(), c.third);
    EXPECT_EQ(skin.Pos(L"c").top, c.first + c.second);
}

INSTANTIATE_TEST_SUITE_P(Shares, StretchTest,
                         ::testing::Values(StretchCase{"even", 0, 33, 33, 34},
                                           StretchCase{"minimum above the share", 60, 60, 33, 7},
                                           StretchCase{"remainder down to zero", 80, 80, 33, 0}),
                         [](const auto& info) {
                             std::string name = info.param.label;
                             for (char& ch : name) {
                                 if (ch == ' ') ch = '_';
                             }
                             return name;
                         });

TEST(LayoutTest, HorizontalSharesLikeVertical) {
    SkinFixture skin(100, 10);
    skin.Show(LR"(<Window><HorizontalLayout><Control name="a"/><Control name="b"/><Control name="c"/>
      </HorizontalLayout></Window>)");
    ExpectRects(skin, {{L"a", {0, 0, 33, 10}}, {L"b", {33, 0, 66, 10}}, {L"c", {66, 0, 100, 10}}});
}

// A control that measures itself, like a label with text.
class MeasuringControl : public CControlUI {
public:
    UiSize MeasureSize(UiSize) override { return UiSize{40, 20}; }
};

class MeasuringCallback : public IDialogBuilderCallback {
public:
    std::unique_ptr<CControlUI> CreateControl(std::wstring_view element) override {
        if (element == L"Measuring") return std::make_unique<MeasuringControl>();
        return nullptr;
    }
};

TEST(LayoutTest, WithoutAFixedWidthAHorizontalChildStretchesWhateverItMeasures) {
    SkinFixture skin(100, 50);
    MeasuringCallback callback;
    skin.Show(LR"(<Window><VerticalLayout>
      <HorizontalLayout name="row" height="30"><Measuring name="wide"/><Control name="fixed" width="30"/>
      </HorizontalLayout>
      <Measuring name="measured"/><Control name="rest"/></VerticalLayout></Window>)",
              &callback);
    EXPECT_EQ(skin.Pos(L"wide"), (UiRect{0, 0, 70, 30}));
    EXPECT_EQ(skin.Pos(L"fixed"), (UiRect{70, 0, 100, 30}));
    // Vertically the measured height counts.
    EXPECT_EQ(skin.Pos(L"measured"), (UiRect{0, 30, 100, 50}));
    EXPECT_EQ(skin.Pos(L"rest").GetHeight(), 0);
}

TEST(LayoutTest, HiddenChildrenTakeNoSpaceUntilShown) {
    SkinFixture skin(100, 100);
    skin.Show(LR"(<Window><VerticalLayout childpadding="10">
      <Control name="a" height="20"/><Control name="b" height="30" visible="false"/><Control name="c"/>
      </VerticalLayout></Window>)");
    EXPECT_EQ(skin.Pos(L"a"), (UiRect{0, 0, 100, 20}));
    EXPECT_EQ(skin.Pos(L"c"), (UiRect{0, 30, 100, 100}));

    skin.Find(L"b")->SetVisible(true);
    skin.window.RunPending();
    EXPECT_EQ(skin.Pos(L"b"), (UiRect{0, 30, 100, 60}));
    EXPECT_EQ(skin.Pos(L"c"), (UiRect{0, 70, 100, 100}));
}

TEST(LayoutTest, PaddingLimitsAndAlignment) {
    SkinFixture skin(200, 200);
    skin.Show(LR"(<Window><VerticalLayout inset="10,10,10,10" childalign="center">
      <Control name="centred" width="50" height="20"/>
      <Control name="padded" height="20" padding="5,3,7,2"/>
      <Control name="capped" maxwidth="60" height="20"/>
      <Control name="narrow" width="20" minwidth="30" height="10"/>
      <HorizontalLayout name="row" height="40" childvalign="bottom">
        <Control name="low" width="20" height="10"/>
        <Control name="tall" width="20" minheight="60"/>
      </HorizontalLayout>
      <VerticalLayout childalign="right"><Control name="right" width="30" height="10" padding="0,0,4,0"/>
      </VerticalLayout>
      </VerticalLayout></Window>)");
    // Centred: (left + right) / 2 - width / 2.
    EXPECT_EQ(skin.Pos(L"centred"), (UiRect{75, 10, 125, 30}));
    EXPECT_EQ(skin.Pos(L"padded").top, 33);
    EXPECT_EQ(skin.Pos(L"padded").GetWidth(), 180 - 12);
    EXPECT_EQ(skin.Pos(L"capped").GetWidth(), 60);
    EXPECT_EQ(skin.Pos(L"narrow").GetWidth(), 30);
    const UiRect row = skin.Pos(L"row");
    EXPECT_EQ(skin.Pos(L"low").bottom, row.bottom);
    EXPECT_EQ(skin.Pos(L"tall").GetHeight(), 60);
    EXPECT_EQ(skin.Pos(L"right").right, 190 - 4);
}

TEST(LayoutTest, FloatingChildrenArePlacedFromTheParentCorner) {
    SkinFixture skin(680, 440);
    skin.Show(LR"(<Window><VerticalLayout inset="5,5,5,5">
      <Control height="60"/>
      <VerticalLayout name="page">
        <HorizontalLayout name="dots" float="true" pos="40,264,260,294" childpadding="8">
          <Control name="dot" width="8" height="8"/>
        </HorizontalLayout>
        <Control name="share" float="0.5,0,0.5,0" pos="0,0,20,10"/>
        <Control name="flow"/>
      </VerticalLayout></VerticalLayout></Window>)");
    const UiRect page = skin.Pos(L"page");
    EXPECT_EQ(page, (UiRect{5, 65, 675, 435}));
    // Relative to the page's own rectangle, not its client rectangle.
    EXPECT_EQ(skin.Pos(L"dots"), (UiRect{45, 329, 265, 359}));
    EXPECT_EQ(skin.Pos(L"dot"), (UiRect{45, 329, 53, 337}));
    EXPECT_EQ(skin.Pos(L"share"), (UiRect{5 + 335, 65, 5 + 355, 75}));
    // Floating children take no space.
    EXPECT_EQ(skin.Pos(L"flow"), page);

    // Placing a floating control keeps its fixed position consistent.
    CControlUI* share = skin.Find(L"share");
    share->SetPos(UiRect{345, 10, 365, 20}, false);
    EXPECT_EQ(share->GetFixedPosition(), (UiPoint{10, 10}));
    EXPECT_EQ(share->GetFixedWidth(), 20);
    EXPECT_EQ(share->GetPos(), (UiRect{350, 75, 370, 85}));
}

TEST(LayoutTest, FloatingDotsRowOfTheProgressPage) {
    SkinFixture skin(680, 440);
    skin.Show(LR"(<Window><VerticalLayout><HorizontalLayout name="dots" float="true" pos="40,264,260,294"/>
      </VerticalLayout></Window>)");
    EXPECT_EQ(skin.Pos(L"dots"), (UiRect{40, 264, 260, 294}));
}

TEST(LayoutTest, PlainContainerAndTabLayoutFillTheirClientRectangle) {
    SkinFixture skin(200, 100);
    skin.Show(LR"(<Window><Container name="box" inset="10,10,10,10">
      <Control name="filled" maxwidth="150"/>
      <TabLayout name="tabs" maxheight="50"><Control name="page0" padding="5,5,5,5"/>
        <Control name="page1" width="30"/></TabLayout>
      </Container></Window>)");
    EXPECT_EQ(skin.Pos(L"filled"), (UiRect{10, 10, 160, 90}));
    EXPECT_EQ(skin.Pos(L"tabs"), (UiRect{10, 10, 190, 60}));
    EXPECT_EQ(skin.Pos(L"page0"), (UiRect{15, 15, 185, 55}));
    EXPECT_FALSE(skin.Find(L"page1")->IsVisible());

    auto* tabs = static_cast<CTabLayoutUI*>(skin.Find(L"tabs")->CastTo(L"TabLayout"));
    ASSERT_TRUE(tabs->SelectPage(1));
    skin.window.RunPending();
    EXPECT_EQ(skin.Pos(L"page1"), (UiRect{10, 10, 40, 60}));
    EXPECT_FALSE(skin.Find(L"page0")->IsVisible());
}

}  // namespace
