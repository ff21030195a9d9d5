// The leaf controls: buttons, options and check boxes, labels, texts with
// links and progress bars, driven through the headless window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_toolkit/controls/ButtonUI.h"
#include "ui_toolkit/controls/CheckBoxUI.h"
#include "ui_toolkit/controls/EditUI.h"
#include "ui_toolkit/controls/GifAnimUI.h"
#include "ui_toolkit/controls/LabelUI.h"
#include "ui_toolkit/controls/OptionUI.h"
#include "ui_toolkit/controls/ProgressUI.h"
#include "ui_toolkit/controls/TextUI.h"
#include "ui_toolkit/core/ResourceSettings.h"
#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/DrawText.h"
#include "SkinFixture.h"

namespace {

class Recorder : public INotifyUI {
public:
    void Notify(Notification& n) override {
        if (n.type == L"windowinit" || n.type == L"setfocus" || n.type == L"killfocus") return;
        events.push_back(platform::ToUtf8(n.type) + ":" + (n.sender ? platform::ToUtf8(n.sender->GetName()) : ""));
        last = n;
    }
    std::vector<std::string> events;
    Notification last;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { skin.manager.AddNotifier(&recorder); }

    void ClickOn(std::wstring_view name) {
        const UiRect r = skin.Pos(name);
        skin.window.Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    template <typename T>
    T* As(std::wstring_view name, std::wstring_view cls) {
        return static_cast<T*>(skin.Find(name)->CastTo(cls));
    }

    SkinFixture skin{400, 100};
    Recorder recorder;
};

constexpr std::wstring_view kDots = LR"(<Window><HorizontalLayout>
  <Option name="d0" width="20" group="dots" selected="true"/><Option name="d1" width="20" group="dots"/>
  <Option name="d2" width="20" group="dots"/><CheckBox name="agree" width="20" selected="true"/>
  <Control/></HorizontalLayout></Window>)";

TEST_F(ControlsTest, GroupedOptionsSendClickThenOneSelectChangedFromTheNewlySelected) {
    skin.Show(kDots);
    recorder.events.clear();
    ClickOn(L"d0");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"click:d0"}));

    recorder.events.clear();
    ClickOn(L"d2");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"click:d2", "selectchanged:d2"}));
    EXPECT_TRUE(As<COptionUI>(L"d2", L"Option")->IsSelected());
    EXPECT_FALSE(As<COptionUI>(L"d0", L"Option")->IsSelected());
    EXPECT_FALSE(As<COptionUI>(L"d1", L"Option")->IsSelected());
}

TEST_F(ControlsTest, CheckBoxTogglesAndSetCheckedCanBeSilent) {
    skin.Show(kDots);
    auto* agree = As<CCheckBoxUI>(L"agree", L"CheckBox");
    ASSERT_TRUE(agree->IsChecked());
    recorder.events.clear();
    ClickOn(L"agree");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"click:agree", "selectchanged:agree"}));
    EXPECT_FALSE(agree->IsChecked());

    recorder.events.clear();
    agree->SetChecked(true, false);
    agree->SetChecked(false, false);
    EXPECT_TRUE(recorder.events.empty());
    agree->SetChecked(true);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"selectchanged:agree"}));
}

TEST_F(ControlsTest, ButtonClicksOnlyWhenReleasedInsideAfterPressingInside) {
    skin.Show(LR"(<Window><HorizontalLayout><Button name="b" width="100"/><Control name="rest"/>
      </HorizontalLayout></Window>)");
    auto* button = As<CButtonUI>(L"b", L"Button");
    skin.window.MouseMove(50, 50);
    EXPECT_NE(button->GetState() & kStateHot, 0u);
    skin.window.LeftDown(50, 50);
    EXPECT_NE(button->GetState() & kStatePushed, 0u);
    skin.window.MouseMove(200, 50);
    EXPECT_EQ(button->GetState() & kStatePushed, 0u);
    skin.window.LeftUp(200, 50);
    EXPECT_TRUE(recorder.events.empty());

    skin.window.MouseMove(50, 50);
    skin.window.LeftDown(50, 50);
    skin.window.MouseMove(200, 50);
    skin.window.MouseMove(60, 40);
    EXPECT_NE(button->GetState() & kStatePushed, 0u);
    skin.window.LeftUp(60, 40);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"click:b"}));
    EXPECT_EQ(button->GetState() & (kStatePushed | kStateCaptured), 0u);

    // Space and Return activate the focused button.
    button->SetFocus();
    recorder.events.clear();
    skin.window.KeyDown(kVkSpace);
    skin.window.KeyDown(kVkReturn);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"click:b", "click:b"}));

    // A disabled button clears its state and does not click.
    button->SetEnabled(false);
    EXPECT_EQ(button->GetState(), 0u);
    recorder.events.clear();
    ClickOn(L"b");
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(ControlsTest, ButtonAttributes) {
    skin.Show(LR"(<Window><HorizontalLayout>
      <Button name="b" hottextcolor="#FF#574DED" pushedtextcolor="#FF112233" align="leftright"/>
      <Label name="l" align="center" valign="bottom" endellipsis="true" multiline="true" font="3"/>
      </HorizontalLayout></Window>)");
    auto* button = As<CButtonUI>(L"b", L"Button");
    EXPECT_EQ(button->GetHotTextColor(), 0x000000FFu);
    EXPECT_EQ(button->GetPushedTextColor(), 0xFF112233u);
    EXPECT_EQ(button->GetTextStyle() & (kTextCenter | kTextRight), static_cast<unsigned>(kTextRight));
    auto* label = As<CLabelUI>(L"l", L"Label");
    EXPECT_EQ(label->GetTextStyle(), kTextCenter | kTextBottom | kTextEndEllipsis | kTextWordBreak);
    EXPECT_EQ(label->GetFont(), 3);
}

struct ProgressCase {
    const wchar_t* attributes;
    int filledWidth;
};

class ProgressFillTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressFillTest, ForegroundCoversTheValuePart) {
    SkinFixture skin(200, 12);
    skin.Show(std::wstring(LR"(<Window><Progress name="p" bkcolor="#FF0000FF" foreimage="color='#FFFF0000'" )") +
              GetParam().attributes + L"/></Window>");
    const Canvas& surface = skin.window.GetSurface();
    int red = 0;
    for (int x = 0; x < 200; ++x) red += surface.GetPixel(x, 6) == 0xFFFF0000u ? 1 : 0;
    EXPECT_EQ(red, GetParam().filledWidth);
    if (red > 0) {
        EXPECT_EQ(surface.GetPixel(red - 1, 6), 0xFFFF0000u);
    }
    if (red < 200) {
        EXPECT_EQ(surface.GetPixel(red, 6), 0xFF0000FFu);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, ProgressFillTest,
                         ::testing::Values(ProgressCase{L"value=\"30\"", 60}, ProgressCase{L"value=\"150\"", 200},
                                           ProgressCase{L"value=\"-5\"", 0},
                                           ProgressCase{L"min=\"50\" max=\"50\" value=\"50\"", 0},
                                           ProgressCase{L"max=\"50\" value=\"25\"", 100},
                                           ProgressCase{L"foreimage=\"color='#FFFF0000' dest='0,0,10,12'\" "
                                                        L"value=\"25\"",
                                                        50}));

TEST_F(ControlsTest, ProgressValueStaysInItsRange) {
    skin.Show(LR"(<Window><Progress name="p" min="50" max="50"/></Window>)");
    auto* progress = As<CProgressUI>(L"p", L"Progress");
    EXPECT_EQ(progress->GetFixedHeight(), 12);
    // Painting corrected the empty range to 50..51.
    EXPECT_EQ(progress->GetMaximum(), 51);
    progress->SetValue(500);
    EXPECT_EQ(progress->GetValue(), 51);
    progress->SetValue(-500);
    EXPECT_EQ(progress->GetValue(), 50);
}

TEST_F(ControlsTest, LabelSizing) {
    skin.Show(LR"(<Window><VerticalLayout>
      <Label name="single" text="Installation Path:" textpadding="3,2,5,4"/>
      <Label name="fixed" text="x" width="40" height="20"/>
      <Label name="multi" multiline="true" textpadding="4,0,4,0"
        text="one two three four five six seven eight nine ten eleven twelve thirteen fourteen fifteen"/>
      <Control/></VerticalLayout></Window>)");
    auto* single = As<CLabelUI>(L"single", L"Label");
    const int fontHeight = skin.manager.GetFontInfo(-1).GetMetrics().height;
    ASSERT_GT(fontHeight, 0);
    EXPECT_EQ(skin.Pos(L"single").GetHeight(), 2 + fontHeight + 4 + 8);
    const UiSize measured = single->MeasureSize(UiSize{300, 100});
    const UiRect text = MeasureText(skin.manager, UiRect{0, 0, 9999, 9999}, L"Installation Path:", -1,
                                    kTextSingleLine | kTextCalcRect);
    EXPECT_EQ(measured.cx, 3 + 5 + text.GetWidth());
    EXPECT_EQ(measured.cy, 2 + fontHeight + 4 + 8);

    EXPECT_EQ(As<CLabelUI>(L"fixed", L"Label")->MeasureSize(UiSize{300, 100}), (UiSize{40, 20}));

    // Several lines: the available width, and the height of the wrapped text.
    auto* multi = As<CLabelUI>(L"multi", L"Label");
    const UiSize wide = multi->MeasureSize(UiSize{300, 100});
    const UiSize narrow = multi->MeasureSize(UiSize{120, 100});
    EXPECT_EQ(wide.cx, 300);
    EXPECT_EQ(narrow.cx, 120);
    EXPECT_GT(narrow.cy, wide.cy);
    EXPECT_GE(wide.cy, 2 * fontHeight);
}

TEST_F(ControlsTest, LabelDrawsInItsColourAndTheDisabledColour) {
    skin.Show(LR"(<Window><VerticalLayout bkcolor="#FF000000">
      <Label name="l" text="WWWWWWWW" textcolor="#00FFFFFF" disabledtextcolor="#FFFF0000" height="40"/>
      </VerticalLayout></Window>)");
    // Pixels mostly of one colour, so antialiased edges count too.
    auto ink = [this](bool green) {
        int count = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 300; ++x) {
                const std::uint32_t p = skin.window.GetSurface().GetPixel(x, y);
                const bool red = ((p >> 16) & 0xFF) > 0x80;
                const bool hasGreen = ((p >> 8) & 0xFF) > 0x80;
                count += red && hasGreen == green ? 1 : 0;
            }
        }
        return count;
    };
    // Alpha is ignored for text: "#00FFFFFF" is white.
    EXPECT_GT(ink(true), 20);
    EXPECT_EQ(ink(false), 0);
    skin.Find(L"l")->SetEnabled(false);
    skin.window.RunPending();
    EXPECT_EQ(ink(true), 0);
    EXPECT_GT(ink(false), 20);
}

TEST_F(ControlsTest, TextLinksSendLinkWithTheirIndex) {
    skin.Show(LR"(<Window><VerticalLayout><Text name="t" showhtml="true" height="40"
      text="read {a first}this{/a} and {a second}that{/a}"/><Control/></VerticalLayout></Window>)");
    auto* text = As<CTextUI>(L"t", L"Text");
    ASSERT_EQ(text->GetLinkRects().size(), 2u);
    EXPECT_EQ(text->GetLinkTexts(), (std::vector<std::wstring>{L"first", L"second"}));
    EXPECT_EQ(text->GetInputFlags() & kInputSetCursor, static_cast<std::uint32_t>(kInputSetCursor));

    const UiRect second = text->GetLinkRects()[1];
    recorder.events.clear();
    skin.window.MouseMove(second.left + 1, second.top + 1);
    EXPECT_EQ(text->GetHoverLink(), 1);
    EXPECT_EQ(skin.window.GetCursor(), CursorShape::kHand);
    skin.window.LeftDown(second.left + 1, second.top + 1);
    skin.window.LeftUp(second.left + 1, second.top + 1);
    ASSERT_EQ(recorder.events, (std::vector<std::string>{"link:t"}));
    EXPECT_EQ(recorder.last.wParam, 1u);
}

// The search runs from the last child to the first, so the control a label
// names is the one written before it.
TEST_F(ControlsTest, ShortcutOfALabelGoesToTheNextControlSearched) {
    skin.Show(LR"(<Window><HorizontalLayout><Button name="target" width="50"/>
      <Label name="caption" shortcut="p" width="50"/><Control/></HorizontalLayout></Window>)");
    std::intptr_t result = 0;
    EXPECT_TRUE(skin.manager.PreMessageHandler(kMsgSysChar, 'P', 0, &result));
    EXPECT_EQ(skin.manager.GetFocus(), skin.Find(L"target"));
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"click:target"}));
}

constexpr std::wstring_view kFolderRow = LR"(<Window><VerticalLayout inset="10,10,10,10">
  <HorizontalLayout height="32"><Button name="browse" width="90"/>
    <Edit name="path" width="250" height="32" text="/opt/zelmora" maxchar="20"/><Control/></HorizontalLayout>
  <Control/></VerticalLayout></Window>)";

TEST_F(ControlsTest, EditOpensAnEntryInsideItsPaddingOneFontHeightTall) {
    skin.Show(kFolderRow);
    auto* edit = As<CEditUI>(L"path", L"Edit");
    EXPECT_EQ(skin.window.GetNativeEdit(), nullptr);
    ClickOn(L"path");
    ASSERT_TRUE(edit->IsEditing());
    HeadlessWindow::Entry* entry = skin.window.GetNativeEdit();
    ASSERT_NE(entry, nullptr);
    const int fontHeight = skin.manager.GetFontInfo(-1).GetMetrics().height;
    const UiRect rect = entry->GetOptions().rect;
    EXPECT_EQ(rect.left, 104);
    EXPECT_EQ(rect.GetWidth(), 242);
    EXPECT_EQ(rect.GetHeight(), fontHeight);
    EXPECT_EQ(rect.top, 13 + (26 - fontHeight) / 2);
    EXPECT_EQ(entry->GetOptions().text, L"/opt/zelmora");
    EXPECT_EQ(entry->GetOptions().maxLength, 20);
}

TEST_F(ControlsTest, TypingReachesTheControlAndTheEntryClosesWhenFocusLeaves) {
    skin.Show(kFolderRow);
    auto* edit = As<CEditUI>(L"path", L"Edit");
    ClickOn(L"path");
    recorder.events.clear();
    skin.window.GetNativeEdit()->Type(L"/x");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"textchanged:path", "textchanged:path"}));
    EXPECT_EQ(edit->GetText(), L"/opt/zelmora/x");
    skin.window.GetNativeEdit()->Type(L"yyyyyyyyyy");
    EXPECT_EQ(edit->GetText().size(), 20u);

    recorder.events.clear();
    skin.window.GetNativeEdit()->PressReturn();
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"return:path"}));

    // Setting the text while editing goes to the entry, which reports it.
    recorder.events.clear();
    edit->SetText(L"/srv");
    EXPECT_EQ(skin.window.GetNativeEdit()->GetText(), L"/srv");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"textchanged:path"}));

    skin.window.GetNativeEdit()->LoseFocus();
    EXPECT_FALSE(edit->IsEditing());
    EXPECT_EQ(skin.window.GetNativeEdit(), nullptr);
    EXPECT_EQ(edit->GetText(), L"/srv");

    // Focus moving to another control closes a new entry as well.
    ClickOn(L"path");
    ASSERT_TRUE(edit->IsEditing());
    ClickOn(L"browse");
    EXPECT_EQ(skin.manager.GetFocus(), skin.Find(L"browse"));
    EXPECT_FALSE(edit->IsEditing());
    EXPECT_EQ(skin.window.GetNativeEditCount(), 2);
}

TEST_F(ControlsTest, EditAttributesReachTheEntry) {
    skin.Show(LR"(<Window><VerticalLayout><Edit name="e" height="30" readonly="true" password="true"
      numberonly="true" autoselall="true" align="right" nativebkcolor="#FFEEEEEE"/><Control/>
      </VerticalLayout></Window>)");
    ClickOn(L"e");
    HeadlessWindow::Entry* entry = skin.window.GetNativeEdit();
    ASSERT_NE(entry, nullptr);
    const NativeEditOptions& options = entry->GetOptions();
    EXPECT_TRUE(options.readOnly);
    EXPECT_TRUE(options.password);
    EXPECT_TRUE(options.digitsOnly);
    EXPECT_TRUE(options.selectAll);
    EXPECT_EQ(options.align, NativeEditAlign::kRight);
    EXPECT_EQ(options.backgroundColor, 0xFFEEEEEEu);
    entry->Type(L"12");
    EXPECT_TRUE(skin.Find(L"e")->GetText().empty());
}

// frames.gif: 4 x 4 pixels, red for 10, green for 20 and blue for 0
// hundredths of a second (shown 100 ms).
class GifAnimTest : public ::testing::Test {
protected:
    void SetUp() override { ResourceSettings::SetResourceFolder(platform::ToWide(ZD_CONTROLS_TEST_DATA)); }
    void TearDown() override { ResourceSettings::SetResourceFolder(L""); }

    std::uint32_t Shown() const { return skin.window.GetSurface().GetPixel(20, 20); }
    CGifAnimUI* Gif() { return static_cast<CGifAnimUI*>(skin.Find(L"g")->CastTo(L"GifAnim")); }

    SkinFixture skin{100, 100};
};

TEST_F(GifAnimTest, PlaysEachFrameForItsDelay) {
    skin.Show(LR"(<Window><VerticalLayout><GifAnim name="g" bkimage="frames.gif" height="40"/><Control/>
      </VerticalLayout></Window>)");
    ASSERT_EQ(Gif()->GetFrameCount(), 3);
    EXPECT_TRUE(Gif()->IsPlaying());
    EXPECT_EQ(Shown(), 0xFFFF0000u);
    skin.window.AdvanceTime(99);
    EXPECT_EQ(Shown(), 0xFFFF0000u);
    skin.window.AdvanceTime(1);
    EXPECT_EQ(Shown(), 0xFF00FF00u);
    skin.window.AdvanceTime(199);
    EXPECT_EQ(Shown(), 0xFF00FF00u);
    skin.window.AdvanceTime(1);
    EXPECT_EQ(Shown(), 0xFF0000FFu);
    skin.window.AdvanceTime(100);
    EXPECT_EQ(Shown(), 0xFFFF0000u);
}

TEST_F(GifAnimTest, HidingStopsAndRewindsShowingPlaysAgain) {
    skin.Show(LR"(<Window><VerticalLayout><GifAnim name="g" bkimage="frames.gif" autoplay="false"
      autosize="true"/><Control/></VerticalLayout></Window>)");
    EXPECT_FALSE(Gif()->IsPlaying());
    EXPECT_EQ(Gif()->GetFixedWidth(), 4);
    EXPECT_EQ(skin.Pos(L"g").GetHeight(), 4);
    Gif()->SetVisible(false);
    Gif()->SetVisible(true);
    EXPECT_TRUE(Gif()->IsPlaying());
    skin.window.AdvanceTime(100);
    EXPECT_EQ(Gif()->GetFrame(), 1);
    Gif()->SetVisible(false);
    EXPECT_FALSE(Gif()->IsPlaying());
    EXPECT_EQ(Gif()->GetFrame(), 0);
}

TEST_F(GifAnimTest, MissingPictureDrawsNothingAndStartsNoTimer) {
    skin.Show(LR"(<Window><VerticalLayout bkcolor="#FF000000"><GifAnim name="g" bkimage="check_progress1.gif"
      bkcolor="#FFFFFFFF" height="40"/><Control/></VerticalLayout></Window>)");
    EXPECT_EQ(Gif()->GetFrameCount(), 0);
    EXPECT_FALSE(Gif()->IsPlaying());
    EXPECT_FALSE(skin.window.IsTimerActive(17));
    // Not even its background colour: the picture is all it paints.
    EXPECT_EQ(Shown(), 0xFF000000u);
}

}  // namespace
