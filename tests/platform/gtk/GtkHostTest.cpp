// The GTK host for real: a sample program (GtkHostSample.cpp) opens its
// skinned window on a private Xvfb display without a window manager; xdotool
// drives it, screenshots of the display show what it draws, and the lines the
// sample prints tell what reached the toolkit.

#include <sstream>
#include <string>

#include "XvfbTest.h"
#include "platform/gtk/CloseRequest.h"

namespace {

constexpr int kWindowX = 40;  // where the sample places its window
constexpr int kWindowY = 30;

class GtkHostTest : public XvfbTest {
protected:
    // Starts the sample and waits until its window is mapped and painted
    // (its first layout has printed the controls' places).
    void StartSample(const std::string& arguments = "") {
        StartProgram(std::string(ZD_GTK_SAMPLE_EXE) + " " + arguments);
        ASSERT_TRUE(PollUntil([&] { return Output().find("rect ticker") != std::string::npos; }))
            << "the sample did not lay out its window";
        m_windowId = WaitForWindow("^GtkHostSample$");
        ASSERT_FALSE(m_windowId.empty()) << "no visible window named GtkHostSample";
    }

    // Client coordinates of the window to the screen.
    static std::string At(int x, int y) { return std::to_string(kWindowX + x) + " " + std::to_string(kWindowY + y); }

    void ClickAt(int x, int y) { ASSERT_TRUE(Xdotool("mousemove --sync " + At(x, y) + " click 1")); }

    // A screenshot taken once the pixel at client (x, y) shows `color`.
    Screenshot ScreenshotShowing(int x, int y, unsigned color, const std::string& name) {
        Screenshot shot;
        PollUntil([&] {
            shot = Screenshot::Take(m_folder, name);
            return shot.At(kWindowX + x, kWindowY + y) == color;
        });
        return shot;
    }

    std::string m_windowId;
};

TEST_F(GtkHostTest, WindowOpensAtTheSkinSizeAndShowsItsColours) {
    StartSample();
    const std::string info = Capture("xwininfo -id " + m_windowId);
    EXPECT_NE(info.find("Absolute upper-left X:  " + std::to_string(kWindowX) + "\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Absolute upper-left Y:  " + std::to_string(kWindowY) + "\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Width: 400\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Height: 300\n"), std::string::npos) << info;

    const Screenshot shot = ScreenshotShowing(399, 299, 0x2060C0, "window");
    struct Probe {
        int x, y;
        unsigned color;
    };
    const Probe probes[] = {
        {0, 0, 0xC03020},     {200, 50, 0xC03020},  {399, 99, 0xC03020},   // banner
        {200, 100, 0x2060C0}, {0, 299, 0x2060C0},   {399, 299, 0x2060C0},  // background
        {22, 132, 0x20A040},  {137, 167, 0x20A040},                        // OK button, off its text
        {262, 132, 0x808080},                                              // Quit button
        {-1, 150, 0x000000},  {400, 150, 0x000000}, {200, 300, 0x000000},  // the display around it
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(Hex(shot.At(kWindowX + p.x, kWindowY + p.y)), Hex(p.color)) << "client pixel " << p.x << "," << p.y;
    }
}

TEST_F(GtkHostTest, ClicksReachButtonsAsClickNotifications) {
    StartSample();
    // A press that leaves the button before the release is no click.
    ASSERT_TRUE(Xdotool("mousemove --sync " + At(80, 150) + " mousedown 1 mousemove --sync " + At(200, 60) + " mouseup 1"));
    ClickAt(80, 150);
    ASSERT_TRUE(WaitForLine("notify click ok"));
    EXPECT_EQ(Count("notify click ok"), 1);
    ClickAt(320, 150);
    EXPECT_TRUE(WaitForLine("close 2"));
    EXPECT_TRUE(WaitForLine("exit 12"));
}

TEST_F(GtkHostTest, TypingGoesThroughTheNativeEntry) {
    StartSample();
    ClickAt(100, 215);
    ASSERT_TRUE(WaitForLine("notify setfocus name"));
    ASSERT_TRUE(Xdotool("type --delay 30 abc"));
    ASSERT_TRUE(WaitForLine("notify textchanged name abc"));
    const std::string output = Output();
    const std::size_t one = output.find("notify textchanged name a\n");
    const std::size_t two = output.find("notify textchanged name ab\n");
    const std::size_t three = output.find("notify textchanged name abc\n");
    EXPECT_TRUE(one != std::string::npos && two != std::string::npos && one < two && two < three) << output;
    ASSERT_TRUE(Xdotool("key Return"));
    EXPECT_TRUE(WaitForLine("notify return name"));

    // The entry is drawn over the window: dark text on the edit's white.
    const Screenshot shot = ScreenshotShowing(370, 225, 0xFFFFFF, "typed");
    EXPECT_GT(shot.CountDark(kWindowX + 20, kWindowY + 200, kWindowX + 120, kWindowY + 230), 20)
        << "no text in the entry";

    // A click elsewhere closes the entry; the keys then reach the window
    // (Tab moves the focus on) and no longer the text.
    ClickAt(200, 50);
    ASSERT_TRUE(WaitForLine("notify killfocus name"));
    ASSERT_TRUE(Xdotool("type --delay 30 xy"));
    const int focusedOk = Count("notify setfocus ok");
    ASSERT_TRUE(Xdotool("key Tab"));
    EXPECT_TRUE(WaitForLine("notify setfocus ok", 10000, focusedOk + 1));
    EXPECT_EQ(Output().find("notify textchanged name abcx"), std::string::npos);
}

TEST_F(GtkHostTest, ThePointerRestingOnAButtonShowsItsToolTipUntilItMovesOn) {
    StartSample();
    ASSERT_TRUE(Xdotool("mousemove --sync " + At(60, 140)));
    // The tooltip opens below the pointer, over the button's green.
    bool shown = PollUntil([&] {
        const unsigned below = Screenshot::Take(m_folder, "tooltip").At(kWindowX + 75, kWindowY + 165);
        return below != 0x20A040 && below != 0xFFFFFFFF;
    });
    EXPECT_TRUE(shown) << "no tooltip";
    ASSERT_TRUE(Xdotool("mousemove --sync " + At(340, 60)));
    EXPECT_EQ(Hex(ScreenshotShowing(75, 165, 0x20A040, "no-tooltip").At(kWindowX + 75, kWindowY + 165)), "20A040");
}

TEST_F(GtkHostTest, DoubleClicksAndTheWheelArriveWithTheirParameters) {
    StartSample();
    ASSERT_TRUE(Xdotool("mousemove --sync " + At(200, 50) + " click --repeat 2 --delay 40 1"));
    // The second press of a double click is the double-click message, with
    // the button held.
    EXPECT_TRUE(WaitForLine("dblclk 200 50 1"));
    ASSERT_TRUE(Xdotool("click 4"));
    EXPECT_TRUE(WaitForLine("wheel 120 200 50"));
    ASSERT_TRUE(Xdotool("click 5"));
    EXPECT_TRUE(WaitForLine("wheel -120 200 50"));
    EXPECT_EQ(Count("dblclk 200 50 1"), 1);
}

TEST_F(GtkHostTest, TimersFireRepeatedly) {
    StartSample();
    EXPECT_TRUE(WaitForLine("notify timer ticker", 10000, 5));
    // Each tick repaints the ticker in the other colour.
    EXPECT_EQ(Hex(ScreenshotShowing(370, 270, 0xFFFF00, "ticker-on").At(kWindowX + 370, kWindowY + 270)), "FFFF00");
    EXPECT_EQ(Hex(ScreenshotShowing(370, 270, 0x000000, "ticker-off").At(kWindowX + 370, kWindowY + 270)), "000000");
}

TEST_F(GtkHostTest, CallsPostedFromFourThreadsWhilePaintingAllRunInOrder) {
    StartSample("--post");
    ASSERT_TRUE(PollUntil([&] { return Output().find("posted ") != std::string::npos; }, 60000)) << Output();
    const std::string output = Output();
    std::istringstream line(output.substr(output.find("posted ")));
    std::string word;
    int received = 0;
    int misordered = -1;
    int paints = 0;
    line >> word >> received >> word >> misordered >> word >> paints;
    EXPECT_EQ(received, 40000);
    EXPECT_EQ(misordered, 0);
    // Every thread waits for a paint after each of its first 9 bursts.
    EXPECT_GE(paints, 9);
    EXPECT_EQ(output.find("no paint while posting"), std::string::npos);
}

TEST_F(GtkHostTest, AskingTheWindowToCloseSendsTheCloseMessage) {
    StartSample();
    ASSERT_TRUE(RequestClose(s_display, std::stoul(m_windowId)));
    EXPECT_TRUE(WaitForLine("close 0"));
    EXPECT_TRUE(WaitForLine("exit 10"));
}

}  // namespace
