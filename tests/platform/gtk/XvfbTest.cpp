#include "XvfbTest.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

bool PollUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string Capture(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    ::pclose(pipe);
    return output;
}

bool Xdotool(const std::string& arguments) {
    return std::system(("xdotool " + arguments).c_str()) == 0;
}

std::string Hex(unsigned color) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", color);
    return text;
}

Screenshot Screenshot::Take(const TempFolder& folder, const std::string& name) {
    Screenshot shot;
    const std::string ppm = folder / (name + ".ppm");
    if (std::system(("import -window root -depth 8 ppm:" + ppm).c_str()) != 0) return shot;
    std::system(("convert " + ppm + " " + folder / (name + ".png")).c_str());
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> shot.width >> shot.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255) return Screenshot{};
    shot.rgb.resize(static_cast<std::size_t>(shot.width) * shot.height * 3);
    in.read(reinterpret_cast<char*>(shot.rgb.data()), static_cast<std::streamsize>(shot.rgb.size()));
    return shot;
}

unsigned Screenshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
    const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return (p[0] << 16) | (p[1] << 8) | p[2];
}

int Screenshot::CountDark(int left, int top, int right, int bottom) const {
    int dark = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if ((At(x, y) & 0xFF) < 0x60) ++dark;
        }
    }
    return dark;
}

WindowGeometry QueryGeometry(const std::string& windowId) {
    const std::string info = Capture("xwininfo -id " + windowId + " 2>/dev/null");
    WindowGeometry geometry;
    const auto number = [&](const std::string& label) {
        const std::size_t at = info.find(label);
        return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + label.size());
    };
    geometry.x = number("Absolute upper-left X:");
    geometry.y = number("Absolute upper-left Y:");
    geometry.width = number("Width:");
    geometry.height = number("Height:");
    geometry.viewable = info.find("IsViewable") != std::string::npos;
    return geometry;
}

std::unique_ptr<TempFolder> XvfbTest::s_folder;
std::unique_ptr<ChildProcess> XvfbTest::s_xvfb;
std::unique_ptr<ChildProcess> XvfbTest::s_windowManager;
std::string XvfbTest::s_display;

void XvfbTest::SetUpTestSuite() {
    s_folder = std::make_unique<TempFolder>();
    const std::string log = *s_folder / "xvfb.log";
    // Only the number goes to the log: Xvfb reports the numbers it found
    // taken on its error output.
    auto xvfb = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/bin/sh", "-c",
                                 "exec Xvfb -displayfd 1 -screen 0 800x600x24 -br -noreset -nolisten tcp 2>/dev/null"},
        log);
    const bool printed = PollUntil([&] {
        const std::string number = ReadLog(log);
        return !xvfb->Running() || (!number.empty() && number.back() == '\n');
    });
    if (!printed || !xvfb->Running()) return;
    const std::string number = ReadLog(log);
    s_display = ":" + number.substr(0, number.find('\n'));
    s_xvfb = std::move(xvfb);
    ::setenv("DISPLAY", s_display.c_str(), 1);
    // The private display has no accessibility bus: GTK's bridge to it would
    // only try, fail and leave its attempt behind.
    ::setenv("NO_AT_BRIDGE", "1", 1);
}

void XvfbTest::StartWindowManager() {
    if (s_xvfb == nullptr) return;
    s_windowManager = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/bin/sh", "-c", "exec openbox --sm-disable"}, *s_folder / "openbox.log");
    // The manager has taken the display once it announces itself on the root
    // window.
    PollUntil([] {
        return Capture("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") != std::string::npos;
    });
}

void XvfbTest::TearDownTestSuite() {
    s_windowManager.reset();
    s_xvfb.reset();
    s_folder.reset();
}

void XvfbTest::SetUp() {
    ASSERT_NE(s_xvfb, nullptr) << "Xvfb did not start";
}

void XvfbTest::TearDown() {
    // In a sanitizer build the program under test reports what it found on
    // its output, whatever the test looked at.
    const std::string output = Output();
    EXPECT_EQ(output.find("Sanitizer:"), std::string::npos) << output;
    EXPECT_EQ(output.find("runtime error:"), std::string::npos) << output;
    if (HasFailure()) {
        // The test's folder goes with it; a copy keeps the screenshots.
        const std::string kept = m_folder.path() + "-failed";
        std::system(("cp -r " + m_folder.path() + " " + kept).c_str());
        std::cerr << "program output:\n" << Output() << "screenshots in " << kept << "\n";
    }
    m_program.reset();
}

void XvfbTest::StartProgram(const std::string& command) {
    m_program = std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/sh", "-c", command + "; echo exit $?"},
                                               m_folder / "program.log");
}

std::string XvfbTest::Output() const {
    return ReadLog(m_folder / "program.log");
}

int XvfbTest::Count(const std::string& line) const {
    const std::string output = Output();
    int count = 0;
    for (std::size_t at = output.find(line + "\n"); at != std::string::npos; at = output.find(line + "\n", at + 1)) {
        if (at == 0 || output[at - 1] == '\n') ++count;
    }
    return count;
}

bool XvfbTest::WaitForLine(const std::string& line, int timeoutMs, int times) {
    return PollUntil([&] { return Count(line) >= times; }, timeoutMs);
}

std::string XvfbTest::WaitForWindow(const std::string& pattern, int timeoutMs) const {
    std::string id;
    PollUntil(
        [&] {
            id = Capture("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null");
            return !id.empty();
        },
        timeoutMs);
    return id.substr(0, id.find('\n'));
}
