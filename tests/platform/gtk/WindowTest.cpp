// The window base for real: the sample window (WindowSample.cpp) on the GTK
// window system under a private Xvfb, driven by xdotool. Most checks need no
// window manager; minimising and maximising are the window manager's work,
// and their suite runs openbox on its display.

#include <string>

#include "XvfbTest.h"

namespace {

// Where the sample skin's caption row puts its buttons, from the right edge
// of a window `width` wide: 8 pixels of inset, then 30 pixels per button.
int CloseButtonX(int width) {
    return width - 8 - 15;
}
int MaxButtonX(int width) {
    return width - 38 - 15;
}
int MinButtonX(int width) {
    return width - 68 - 15;
}
int PingButtonX(int width) {
    return width - 98 - 30;
}
constexpr int kCaptionRowY = 30;

class WindowTest : public XvfbTest {
protected:
    void StartSample(const std::string& arguments = "") {
        StartProgram(std::string(ZD_WINDOW_SAMPLE_EXE) + " " + ZD_WINDOW_SAMPLE_SKIN + " " + arguments);
        ASSERT_TRUE(WaitForLine("notify windowinit ")) << "the sample did not lay out its window";
        m_windowId = WaitForWindow("^WindowSample$");
        ASSERT_FALSE(m_windowId.empty()) << "no visible window named WindowSample";
        ASSERT_TRUE(PollUntil([&] { return QueryGeometry(m_windowId).viewable; }));
        m_frame = QueryGeometry(m_windowId);
    }

    // Client coordinates of the window to the screen.
    std::string At(int x, int y) const { return std::to_string(m_frame.x + x) + " " + std::to_string(m_frame.y + y); }
    // The pointer must move for --sync to return: never click where it is.
    void ClickAt(int x, int y) { ASSERT_TRUE(Xdotool("mousemove --sync " + At(x, y) + " click 1")); }
    // Presses at client (x, y), moves by (dx, dy) in two steps and releases.
    void DragFrom(int x, int y, int dx, int dy) {
        ASSERT_TRUE(Xdotool("mousemove --sync " + At(x, y) + " mousedown 1 mousemove --sync " +
                            At(x + dx / 2, y + dy / 2) + " mousemove --sync " + At(x + dx, y + dy) + " mouseup 1"));
    }
    // Waits until the window's geometry satisfies `done`, and keeps it.
    bool WaitForFrame(const std::function<bool(const WindowGeometry&)>& done) {
        return PollUntil([&] {
            m_frame = QueryGeometry(m_windowId);
            return done(m_frame);
        });
    }

    std::string m_windowId;
    WindowGeometry m_frame;
};

TEST_F(WindowTest, OpensAtItsSkinSizeCentredInTheWorkAreaWithRoundCorners) {
    StartSample();
    // 420 x 300 centred on the 800 x 600 screen, which is the work area
    // without a window manager.
    EXPECT_TRUE(WaitForLine("workarea 0 0 800 600")) << Output();
    EXPECT_TRUE(WaitForLine("window 190 150 610 450")) << Output();
    EXPECT_EQ(m_frame.x, 190);
    EXPECT_EQ(m_frame.y, 150);
    EXPECT_EQ(m_frame.width, 420);
    EXPECT_EQ(m_frame.height, 300);

    Screenshot shot;
    PollUntil([&] {
        shot = Screenshot::Take(m_folder, "window");
        return shot.At(190 + 210, 150 + 200) == 0x3050A0;
    });
    EXPECT_EQ(Hex(shot.At(190 + 200, 150 + 5)), "203060");    // caption row
    EXPECT_EQ(Hex(shot.At(190 + 210, 150 + 200)), "3050A0");  // body
    // The rounded corners leave the display's black where the rectangle's
    // corners would be.
    EXPECT_EQ(Hex(shot.At(190, 150)), "000000");
    EXPECT_EQ(Hex(shot.At(190 + 419, 150 + 299)), "000000");
    EXPECT_EQ(Hex(shot.At(190 + 6, 150 + 6)), "203060");
    // Nothing went wrong on the way, not even quietly.
    EXPECT_EQ(Output().find("CRITICAL"), std::string::npos) << Output();
    EXPECT_EQ(Output().find("WARNING"), std::string::npos) << Output();
}

TEST_F(WindowTest, AWindowLargerThanTheWorkAreaIsKeptInsideIt) {
    // Centred, the left edge would be 50 pixels off the screen.
    StartSample("--size 900,500");
    EXPECT_TRUE(WaitForLine("window 0 50 900 550")) << Output();
    EXPECT_EQ(m_frame.x, 0);
    EXPECT_EQ(m_frame.y, 50);
}

TEST_F(WindowTest, TheWindowCarriesItsIconPictures) {
    const std::string icons = std::string(ZD_ICON_FOLDER);
    StartSample("--icon " + icons + "/icon_16.png --icon " + icons + "/icon_48.png");
    const std::string property = Capture("xprop -id " + m_windowId + " _NET_WM_ICON");
    EXPECT_NE(property.find("Icon (16 x 16)"), std::string::npos) << property.substr(0, 200);
    EXPECT_NE(property.find("Icon (48 x 48)"), std::string::npos) << property.substr(0, 200);
}

TEST_F(WindowTest, TheCaptionDragsTheWindowExceptOverButtons) {
    StartSample();
    DragFrom(200, kCaptionRowY, 60, 40);
    EXPECT_TRUE(WaitForFrame([](const WindowGeometry& g) { return g.x == 250 && g.y == 190; }))
        << m_frame.x << "," << m_frame.y;

    // The check box sits in the caption: pressing it drags, it does not toggle.
    DragFrom(40, kCaptionRowY, -50, -30);
    EXPECT_TRUE(WaitForFrame([](const WindowGeometry& g) { return g.x == 200 && g.y == 160; }))
        << m_frame.x << "," << m_frame.y;
    ClickAt(60, kCaptionRowY);
    EXPECT_TRUE(WaitForFrame([](const WindowGeometry& g) { return g.x == 200 && g.y == 160; }));

    // A button in the caption gets its click; below the caption nothing drags.
    ClickAt(PingButtonX(420), kCaptionRowY);
    EXPECT_TRUE(WaitForLine("notify click ping"));
    DragFrom(300, 200, 30, 30);
    EXPECT_TRUE(WaitForFrame([](const WindowGeometry& g) { return g.x == 200 && g.y == 160; }));
    EXPECT_EQ(Count("notify selectchanged pin"), 0) << Output();
    EXPECT_EQ(Count("notify click pin"), 0) << Output();
}

TEST_F(WindowTest, TheSizeBoxEdgesResizeDownToTheMinimumSize) {
    StartSample();
    DragFrom(418, 298, 40, 30);
    ASSERT_TRUE(WaitForFrame([](const WindowGeometry& g) { return g.width == 460 && g.height == 330; }))
        << m_frame.width << "x" << m_frame.height;
    EXPECT_TRUE(WaitForLine("size 0 460 330 max 1 restore 0")) << Output();
    EXPECT_EQ(m_frame.x, 190);

    DragFrom(1, 150, -30, 0);
    ASSERT_TRUE(WaitForFrame([](const WindowGeometry& g) { return g.width == 490; })) << m_frame.width;
    EXPECT_EQ(m_frame.x, 160);

    // The skin's minimum of 300 x 200 holds against a drag far past it.
    DragFrom(200, 1, 0, 250);
    EXPECT_TRUE(WaitForFrame([](const WindowGeometry& g) { return g.height == 200; })) << m_frame.height;
}

TEST_F(WindowTest, EscapeClosesTheWindowWithCodeOne) {
    StartSample();
    // Typed, not sent to the window: it is gone before the key comes up.
    ASSERT_TRUE(Xdotool("windowfocus --sync " + m_windowId + " key Escape"));
    EXPECT_TRUE(WaitForLine("close 1"));
    EXPECT_TRUE(WaitForLine("modal 1"));
    EXPECT_TRUE(WaitForLine("exit 1"));
}

TEST_F(WindowTest, TheCloseButtonClosesTheWindow) {
    StartSample();
    ClickAt(CloseButtonX(420), kCaptionRowY);
    EXPECT_TRUE(WaitForLine("close 1"));
    EXPECT_TRUE(WaitForLine("exit 1"));
}

TEST_F(WindowTest, TypingGoesThroughTheNativeEntryAndTheControlKeepsTheText) {
    StartSample();
    ClickAt(100, 140);
    ASSERT_TRUE(WaitForLine("notify setfocus name"));
    ASSERT_TRUE(Xdotool("type --delay 30 ab"));
    EXPECT_TRUE(WaitForLine("notify textchanged name a"));
    EXPECT_TRUE(WaitForLine("notify textchanged name ab"));
    ASSERT_TRUE(Xdotool("key Return"));
    EXPECT_TRUE(WaitForLine("notify return name"));
    ClickAt(300, 230);
    ASSERT_TRUE(WaitForLine("notify killfocus name"));
    ASSERT_TRUE(Xdotool("type --delay 30 xy"));
    // With the entry closed the control draws its text itself.
    int ink = 0;
    PollUntil([&] {
        ink = Screenshot::Take(m_folder, "kept-text")
                  .CountDark(m_frame.x + 20, m_frame.y + 125, m_frame.x + 80, m_frame.y + 155);
        return ink > 10;
    });
    EXPECT_GT(ink, 10) << "no text in the edit";
    EXPECT_EQ(Output().find("notify textchanged name abx"), std::string::npos) << Output();
}

TEST_F(WindowTest, DialogsOwnedByTheWindowAnswerItsHandlers) {
    StartSample("--box 0x4");
    ClickAt(60, 90);
    std::string box = WaitForWindow("^Question$");
    ASSERT_FALSE(box.empty()) << "no message box";
    ASSERT_TRUE(Xdotool("windowfocus --sync " + box + " key alt+n"));
    EXPECT_TRUE(WaitForLine("answer 7")) << Output();

    ClickAt(160, 90);
    const std::string chooser = WaitForWindow("^Pick a folder$");
    ASSERT_FALSE(chooser.empty()) << "no folder dialog";
    ASSERT_TRUE(Xdotool("windowfocus --sync " + chooser + " key Escape"));
    EXPECT_TRUE(WaitForLine("folder none")) << Output();
}

TEST_F(WindowTest, ASkinThatBuildsNothingEndsTheProgramAfterTheFailureBox) {
    StartProgram(std::string(ZD_WINDOW_SAMPLE_EXE) + " " + ZD_WINDOW_SAMPLE_BROKEN_SKIN);
    const std::string box = WaitForWindow("^Error$");
    ASSERT_FALSE(box.empty()) << "no failure box\n" << Output();
    EXPECT_EQ(Output().find("window "), std::string::npos);
    ASSERT_TRUE(Xdotool("windowfocus --sync " + box + " key Return"));
    EXPECT_TRUE(WaitForLine("exit 1")) << Output();
}

// Minimising and maximising are asked of the window manager.
class WindowManagerTest : public WindowTest {
protected:
    static void SetUpTestSuite() {
        XvfbTest::SetUpTestSuite();
        StartWindowManager();
    }
};

TEST_F(WindowManagerTest, MaximisingSwapsTheMaximiseAndRestoreButtons) {
    StartSample();
    ClickAt(MaxButtonX(420), kCaptionRowY);
    ASSERT_TRUE(WaitForLine("size 2 800 600 max 0 restore 1")) << Output();
    ASSERT_TRUE(WaitForFrame([](const WindowGeometry& g) { return g.width == 800 && g.height == 600; }));
    // The restore button now sits where the maximise button is in the wider
    // caption row.
    ClickAt(MaxButtonX(800), kCaptionRowY);
    EXPECT_TRUE(WaitForLine("size 0 420 300 max 1 restore 0")) << Output();
    EXPECT_TRUE(WaitForFrame([](const WindowGeometry& g) { return g.width == 420 && g.height == 300; }));
}

TEST_F(WindowManagerTest, TheMinimiseButtonMinimises) {
    StartSample();
    ClickAt(MinButtonX(420), kCaptionRowY);
    EXPECT_TRUE(WaitForLine("size 1 420 300 max 1 restore 0")) << Output();
    EXPECT_TRUE(WaitForFrame([](const WindowGeometry& g) { return !g.viewable; }));
    ASSERT_TRUE(Xdotool("windowactivate --sync " + m_windowId));
    EXPECT_TRUE(WaitForLine("size 0 420 300 max 1 restore 0")) << Output();
}

}  // namespace
