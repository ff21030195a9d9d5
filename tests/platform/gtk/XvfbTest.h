#pragma once
// What the window tests share: a private Xvfb display without a window
// manager for each suite, xdotool to drive it, screenshots of it, and a
// program under test whose output lines the test waits for.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

// Waits for `done` by polling; false once `timeoutMs` has passed.
bool PollUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Runs a shell command and returns what it printed.
std::string Capture(const std::string& command);
// Runs xdotool with `arguments`; false when it failed.
bool Xdotool(const std::string& arguments);
std::string Hex(unsigned color);

// A whole-display screenshot, taken with ImageMagick; also kept as a PNG
// next to the test's other files for a person to look at.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    static Screenshot Take(const TempFolder& folder, const std::string& name);
    // 0xRRGGBB of a pixel of the display; 0xFFFFFFFF outside it.
    unsigned At(int x, int y) const;
    // How many pixels of the display area [left, right) x [top, bottom) are
    // dark like text: blue below 0x60.
    int CountDark(int left, int top, int right, int bottom) const;
};

// The geometry xwininfo reports for a window.
struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool viewable = false;
};
WindowGeometry QueryGeometry(const std::string& windowId);

class XvfbTest : public ::testing::Test {
protected:
    // One display for the whole suite. Xvfb picks a free number itself and
    // prints it, so suites running side by side never share one.
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    // Runs a window manager (openbox) on the suite's display, for what only
    // a window manager does: minimising and maximising.
    static void StartWindowManager();

    void SetUp() override;
    // Fails on a sanitizer report of the program under test; a failed test
    // keeps a copy of its folder (screenshots, logs).
    void TearDown() override;

    // Starts `command` (a shell command line) as the program under test; its
    // output and "exit STATUS" at its end go to the program's log.
    void StartProgram(const std::string& command);
    std::string Output() const;
    // How many times the program has printed `line` as a whole line.
    int Count(const std::string& line) const;
    bool WaitForLine(const std::string& line, int timeoutMs = 10000, int times = 1);
    // The first visible window whose name matches `pattern`, waited for.
    std::string WaitForWindow(const std::string& pattern, int timeoutMs = 10000) const;

    static std::unique_ptr<TempFolder> s_folder;
    static std::unique_ptr<ChildProcess> s_xvfb;
    static std::unique_ptr<ChildProcess> s_windowManager;
    static std::string s_display;
    TempFolder m_folder;
    std::unique_ptr<ChildProcess> m_program;
};
