// Event routing, focus, timers and notifications of the manager, driven
// through a headless window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_toolkit/core/ContainerUI.h"
#include "ui_toolkit/core/TabLayoutUI.h"
#include "ui_toolkit/core/TextSubstitution.h"
#include "ui_toolkit/core/UiMessages.h"
#include "SkinFixture.h"

namespace {

// Activates like a push button: a release inside after a press inside.
class PressControl : public CControlUI {
public:
    std::uint32_t GetInputFlags() const override { return kInputTabStop; }
    bool Activate() override {
        if (!CControlUI::Activate()) return false;
        ++activations;
        return true;
    }
    void HandleEvent(ControlEvent& event) override {
        if (event.kind == kEventButtonDown) {
            pressed = true;
            return;
        }
        if (event.kind == kEventButtonUp) {
            if (pressed && GetPos().Contains(event.mouse)) Activate();
            pressed = false;
            return;
        }
        if (event.kind == kEventMouseEnter) ++enters;
        if (event.kind == kEventMouseLeave) ++leaves;
        CControlUI::HandleEvent(event);
    }

    bool pressed = false;
    int activations = 0;
    int enters = 0;
    int leaves = 0;
};

class PressCallback : public IDialogBuilderCallback {
public:
    std::unique_ptr<CControlUI> CreateControl(std::wstring_view element) override {
        if (element == L"Press") return std::make_unique<PressControl>();
        return nullptr;
    }
};

class Recorder : public INotifyUI {
public:
    void Notify(Notification& n) override {
        received.push_back(n);
        if (n.type == L"windowinit" && n.sender != nullptr) rootAtInit = n.sender->GetPos();
    }
    int Count(std::wstring_view type) const {
        int count = 0;
        for (const Notification& n : received) count += n.type == type ? 1 : 0;
        return count;
    }
    std::vector<Notification> received;
    UiRect rootAtInit;
};

class PaintManagerTest : public ::testing::Test {
protected:
    void SetUp() override { skin.manager.AddNotifier(&recorder); }

    PressControl* Press(std::wstring_view name) { return static_cast<PressControl*>(skin.Find(name)); }

    SkinFixture skin{200, 100};
    PressCallback callback;
    Recorder recorder;
};

constexpr std::wstring_view kTwoButtons = LR"(<Window><HorizontalLayout>
  <Press name="a" width="50"/><Control name="plain" width="50"/><Press name="b" width="50"/><Press name="c"/>
  </HorizontalLayout></Window>)";

TEST_F(PaintManagerTest, ReleaseOutsideAfterPressDoesNotActivateButReturningDoes) {
    skin.Show(kTwoButtons, &callback);
    PressControl* a = Press(L"a");

    skin.window.MouseMove(10, 10);
    skin.window.LeftDown(10, 10);
    EXPECT_TRUE(skin.window.IsCaptured());
    skin.window.MouseMove(120, 10);
    // While captured the hover stays on the pressed control.
    EXPECT_EQ(a->leaves, 0);
    skin.window.LeftUp(120, 10);
    EXPECT_EQ(a->activations, 0);
    EXPECT_FALSE(skin.window.IsCaptured());

    skin.window.MouseMove(10, 10);
    skin.window.LeftDown(10, 10);
    skin.window.MouseMove(120, 10);
    skin.window.MouseMove(20, 20);
    skin.window.LeftUp(20, 20);
    EXPECT_EQ(a->activations, 1);
    EXPECT_EQ(skin.manager.GetFocus(), a);
}

TEST_F(PaintManagerTest, HoverEntersAndLeaves) {
    skin.Show(kTwoButtons, &callback);
    skin.window.MouseMove(10, 10);
    skin.window.MouseMove(20, 10);
    EXPECT_EQ(Press(L"a")->enters, 1);
    skin.window.MouseMove(110, 10);
    EXPECT_EQ(Press(L"a")->leaves, 1);
    EXPECT_EQ(Press(L"b")->enters, 1);
    skin.window.Leave();
    EXPECT_EQ(Press(L"b")->leaves, 1);
}

TEST_F(PaintManagerTest, ToolTipShowsOnHoverWithTextSubstitution) {
    SetMultiLanguageText(41, L"Install now");
    skin.Show(LR"(<Window><Control name="tipped" tooltip="%{41}<n>%0"/></Window>)");
    skin.window.MouseMove(5, 5);
    skin.window.Hover();
    ASSERT_TRUE(skin.window.GetToolTip().has_value());
    EXPECT_EQ(*skin.window.GetToolTip(), L"Install now\r\n%0");
    skin.window.MouseMove(6, 6);
    skin.window.Leave();
    EXPECT_FALSE(skin.window.GetToolTip().has_value());
    RemoveAllMultiLanguageTexts();
}

TEST_F(PaintManagerTest, WindowInitArrivesOnceAfterTheFirstLayout) {
    EXPECT_EQ(recorder.Count(L"windowinit"), 0);
    skin.Show(kTwoButtons, &callback);
    EXPECT_EQ(recorder.Count(L"windowinit"), 1);
    EXPECT_EQ(recorder.rootAtInit, (UiRect{0, 0, 200, 100}));

    skin.Find(L"a")->SetFixedWidth(60);
    skin.manager.Invalidate();
    skin.window.RunPending();
    EXPECT_EQ(skin.Pos(L"plain").left, 60);
    EXPECT_EQ(recorder.Count(L"windowinit"), 1);
}

TEST_F(PaintManagerTest, TimersKeepTheirFirstPeriodUntilKilled) {
    CControlUI* root = skin.Show(kTwoButtons, &callback);
    ASSERT_TRUE(skin.manager.SetTimer(root, 5, 100));
    EXPECT_FALSE(skin.manager.SetTimer(root, 5, 300));
    // Window timer identifiers start at 17.
    EXPECT_EQ(skin.window.GetTimerPeriod(17), 100u);

    skin.window.AdvanceTime(250);
    ASSERT_EQ(recorder.Count(L"timer"), 2);
    EXPECT_EQ(recorder.received.back().wParam, 5u);
    EXPECT_EQ(recorder.received.back().sender, root);

    EXPECT_TRUE(skin.manager.KillTimer(root, 5));
    EXPECT_FALSE(skin.manager.KillTimer(root, 5));
    EXPECT_FALSE(skin.window.IsTimerActive(17));
    skin.window.AdvanceTime(500);
    EXPECT_EQ(recorder.Count(L"timer"), 2);

    ASSERT_TRUE(skin.manager.SetTimer(root, 5, 300));
    EXPECT_EQ(skin.window.GetTimerPeriod(17), 300u);
    ASSERT_TRUE(skin.manager.SetTimer(root, 6, 300));
    EXPECT_TRUE(skin.window.IsTimerActive(18));
    skin.manager.KillTimer(root);
    EXPECT_FALSE(skin.window.IsTimerActive(17));
    EXPECT_FALSE(skin.window.IsTimerActive(18));
}

TEST_F(PaintManagerTest, DestroyedControlLosesItsTimers) {
    skin.Show(kTwoButtons, &callback);
    CControlUI* c = skin.Find(L"c");
    ASSERT_TRUE(skin.manager.SetTimer(c, 1, 50));
    auto* row = static_cast<IContainerUI*>(skin.manager.GetRoot()->CastTo(L"IContainer"));
    ASSERT_TRUE(row->Remove(c));
    // Deletion waits for the next asynchronous turn.
    EXPECT_EQ(skin.manager.FindControl(L"c"), c);
    skin.window.RunPending();
    EXPECT_EQ(skin.manager.FindControl(L"c"), nullptr);
    EXPECT_FALSE(skin.window.IsTimerActive(17));
    skin.window.AdvanceTime(100);
    EXPECT_EQ(recorder.Count(L"timer"), 0);
}

TEST_F(PaintManagerTest, AsynchronousNotificationsWithoutRepeatsCollapseToTheLatest) {
    CControlUI* root = skin.Show(kTwoButtons, &callback);
    recorder.received.clear();
    skin.manager.SendNotify(root, L"progress", 1, 10, true, false);
    skin.manager.SendNotify(root, L"progress", 2, 20, true, false);
    EXPECT_EQ(recorder.Count(L"progress"), 0);
    skin.window.RunPending();
    ASSERT_EQ(recorder.Count(L"progress"), 1);
    EXPECT_EQ(recorder.received.back().wParam, 2u);
    EXPECT_EQ(recorder.received.back().lParam, 20);

    skin.manager.SendNotify(root, L"step", 1, 0, true, true);
    skin.manager.SendNotify(root, L"step", 2, 0, true, true);
    skin.window.RunPending();
    EXPECT_EQ(recorder.Count(L"step"), 2);
}

class OrderProbe : public INotifyUI {
public:
    OrderProbe(std::string name, std::vector<std::string>* order) : m_name(std::move(name)), m_order(order) {}
    void Notify(Notification&) override { m_order->push_back(m_name); }

private:
    std::string m_name;
    std::vector<std::string>* m_order;
};

TEST_F(PaintManagerTest, SynchronousNotificationsRunHooksThenNotifiersInOrder) {
    CControlUI* root = skin.Show(kTwoButtons, &callback);
    std::vector<std::string> order;
    root->OnNotify.Add([&order](Notification&) {
        order.push_back("hook");
        return true;
    });
    OrderProbe first("first", &order);
    OrderProbe second("second", &order);
    skin.manager.AddNotifier(&first);
    skin.manager.AddNotifier(&second);
    skin.manager.SendNotify(root, L"ping");
    EXPECT_EQ(order, (std::vector<std::string>{"hook", "first", "second"}));
}

TEST_F(PaintManagerTest, TabMovesForwardAndBackwardWithWrapping) {
    skin.Show(kTwoButtons, &callback);
    CControlUI* a = skin.Find(L"a");
    CControlUI* b = skin.Find(L"b");
    CControlUI* c = skin.Find(L"c");
    // The first paint moved the focus to the first tab stop.
    EXPECT_EQ(skin.manager.GetFocus(), a);
    const std::vector<CControlUI*> forward = {b, c, a, b};
    for (CControlUI* expected : forward) {
        skin.window.KeyDown(kVkTab);
        EXPECT_EQ(skin.manager.GetFocus(), expected);
    }
    skin.window.SetKeyState(kKeyStateShift);
    const std::vector<CControlUI*> backward = {a, c, b};
    for (CControlUI* expected : backward) {
        skin.window.KeyDown(kVkTab);
        EXPECT_EQ(skin.manager.GetFocus(), expected);
    }
    EXPECT_GE(recorder.Count(L"setfocus"), 7);
    EXPECT_GE(recorder.Count(L"killfocus"), 6);
}

TEST_F(PaintManagerTest, HiddenAndDisabledControlsAreNotFocused) {
    skin.Show(kTwoButtons, &callback);
    CControlUI* a = skin.Find(L"a");
    CControlUI* b = skin.Find(L"b");
    CControlUI* c = skin.Find(L"c");
    b->SetEnabled(false);
    c->SetVisible(false);
    b->SetFocus();
    EXPECT_EQ(skin.manager.GetFocus(), nullptr);
    c->SetFocus();
    EXPECT_EQ(skin.manager.GetFocus(), nullptr);
    skin.window.RunPending();
    skin.window.KeyDown(kVkTab);
    EXPECT_EQ(skin.manager.GetFocus(), a);
    skin.window.KeyDown(kVkTab);
    EXPECT_EQ(skin.manager.GetFocus(), a);

    // Hiding the focused control drops the focus.
    a->SetVisible(false);
    EXPECT_EQ(skin.manager.GetFocus(), nullptr);
}

TEST_F(PaintManagerTest, FocusNeededLandsOnTheControlAtTheNextPaint) {
    skin.Show(kTwoButtons, &callback);
    CControlUI* c = skin.Find(L"c");
    skin.manager.SetFocusNeeded(c);
    EXPECT_EQ(skin.manager.GetFocus(), skin.Find(L"b"));
    EXPECT_FALSE(skin.Find(L"b")->IsFocused());
    skin.window.RunPending();
    EXPECT_EQ(skin.manager.GetFocus(), c);
    EXPECT_TRUE(c->IsFocused());
}

TEST_F(PaintManagerTest, AControlFocusedBeforeTheFirstFocusMoveKeepsTheFocus) {
    SkinBuilder builder;
    ASSERT_TRUE(builder.Load(kTwoButtons));
    skin.manager.AttachRoot(builder.Build(&callback, &skin.manager));
    // The first paint lays out and leaves the move to the first tab stop to
    // the next one; a click comes in between.
    skin.window.Send(kMsgPaint);
    EXPECT_EQ(skin.manager.GetFocus(), nullptr);
    skin.Find(L"b")->SetFocus();
    skin.window.RunPending();
    EXPECT_EQ(skin.manager.GetFocus(), skin.Find(L"b"));
}

TEST_F(PaintManagerTest, KeysGoToTheFocusedControl) {
    skin.Show(kTwoButtons, &callback);
    std::vector<int> kinds;
    CControlUI* b = skin.Find(L"b");
    b->SetFocus();
    b->OnEvent.Add([&kinds](ControlEvent& event) {
        kinds.push_back(event.kind);
        return true;
    });
    skin.window.KeyDown('X');
    skin.window.Char(L'x');
    skin.window.KeyUp('X');
    EXPECT_EQ(kinds, (std::vector<int>{kEventKeyDown, kEventChar, kEventKeyUp}));
}

TEST_F(PaintManagerTest, ShortcutFocusesAndActivatesTheControlAfterALabelLikeMatch) {
    skin.Show(LR"(<Window><HorizontalLayout><Press name="a" width="50" shortcut="i"/><Press name="b"/>
      </HorizontalLayout></Window>)",
              &callback);
    std::intptr_t result = 0;
    EXPECT_TRUE(skin.manager.PreMessageHandler(kMsgSysChar, 'I', 0, &result));
    EXPECT_EQ(Press(L"a")->activations, 1);
    EXPECT_EQ(skin.manager.GetFocus(), skin.Find(L"a"));
    EXPECT_FALSE(skin.manager.PreMessageHandler(kMsgSysChar, 'q', 0, &result));
}

TEST_F(PaintManagerTest, TabSelectNotifiesOnlyOnChange) {
    skin.Show(LR"(<Window><TabLayout name="tabs"><Control name="p0"/><Control name="p1"/><Control name="p2"/>
      </TabLayout></Window>)");
    auto* tabs = static_cast<CTabLayoutUI*>(skin.Find(L"tabs")->CastTo(L"TabLayout"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetSelectedIndex(), 0);
    EXPECT_TRUE(tabs->SelectPage(0));
    EXPECT_FALSE(tabs->SelectPage(3));
    EXPECT_EQ(recorder.Count(L"tabselect"), 0);
    EXPECT_TRUE(tabs->SelectPage(2));
    ASSERT_EQ(recorder.Count(L"tabselect"), 1);
    EXPECT_EQ(recorder.received.back().wParam, 2u);
    EXPECT_EQ(recorder.received.back().lParam, 0);
    EXPECT_TRUE(skin.Find(L"p2")->IsVisible());
    EXPECT_FALSE(skin.Find(L"p0")->IsVisible());
    EXPECT_TRUE(tabs->SelectPage(1, false));
    EXPECT_EQ(recorder.Count(L"tabselect"), 1);

    // Removing the current page makes page 0 current; an earlier one shifts it.
    EXPECT_TRUE(tabs->Remove(skin.Find(L"p1")));
    EXPECT_EQ(tabs->GetSelectedIndex(), 0);
    EXPECT_TRUE(skin.Find(L"p0")->IsVisible());
    EXPECT_TRUE(tabs->SelectPage(1));
    EXPECT_TRUE(tabs->Remove(skin.Find(L"p0")));
    EXPECT_EQ(tabs->GetSelectedIndex(), 0);
    EXPECT_EQ(tabs->GetItemAt(0), skin.Find(L"p2"));
}

TEST_F(PaintManagerTest, HitTestingFindsTheTopmostVisibleControl) {
    skin.Show(LR"(<Window><VerticalLayout name="root" inset="0,20,0,0">
      <Control name="under" height="50"/>
      <Control name="over" float="true" pos="0,30,40,60"/>
      <Control name="ghost" float="true" pos="0,30,40,60" visible="false"/>
      <Control name="inert" float="true" pos="100,30,140,60" mouse="false"/>
      </VerticalLayout></Window>)");
    EXPECT_EQ(skin.manager.FindControl(UiPoint{10, 40}), skin.Find(L"over"));
    EXPECT_EQ(skin.manager.FindControl(UiPoint{60, 40}), skin.Find(L"under"));
    EXPECT_EQ(skin.manager.FindControl(UiPoint{110, 40}), skin.Find(L"under"));
    // The inset is the root's own area.
    EXPECT_EQ(skin.manager.FindControl(UiPoint{60, 5}), skin.Find(L"root"));
    EXPECT_EQ(skin.manager.FindControl(UiPoint{500, 5}), nullptr);
    EXPECT_EQ(skin.manager.FindSubControl(nullptr, L"OVER"), skin.Find(L"over"));
}

TEST_F(PaintManagerTest, PostedCallsRunInOrderOnTheWindowTurn) {
    skin.Show(kTwoButtons, &callback);
    std::vector<int> ran;
    for (int i = 0; i < 5; ++i) skin.window.Post([&ran, i] { ran.push_back(i); });
    EXPECT_TRUE(ran.empty());
    skin.window.RunPending();
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4}));
}

}  // namespace
