// The message box and the folder dialog for real: a sample program
// (DialogSample.cpp) opens them on a private Xvfb display without a window
// manager, xdotool answers them from the keyboard as a person would, and the
// line the sample prints tells what the call returned.

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "XvfbTest.h"
#include "platform/gtk/CloseRequest.h"
#include "ui_toolkit/host/MessageBoxStyle.h"

namespace {

constexpr std::uint32_t kRightToLeft = kMbRight | kMbRtlReading;

class GtkDialogTest : public XvfbTest {
protected:
    // Runs the sample with a home and settings of its own, so the chooser's
    // recent files and settings stay in the test's folder.
    void StartSample(const std::string& arguments) {
        const std::string home = m_folder / "home";
        ::mkdir(home.c_str(), 0700);
        StartProgram("GSETTINGS_BACKEND=memory HOME='" + home + "' XDG_CONFIG_HOME='" + home +
                     "/.config' XDG_DATA_HOME='" + home + "/.local/share' XDG_CACHE_HOME='" + home + "/.cache' " +
                     ZD_GTK_DIALOG_SAMPLE_EXE + " " + arguments);
    }

    // Starts a box and waits until it is on screen with the keyboard.
    std::string StartBox(std::uint32_t flags, const std::string& text) {
        StartSample("box " + std::to_string(flags) + " '" + text + "'");
        return FocusWindow("^DialogSample$");
    }

    std::string FocusWindow(const std::string& name) {
        if (!WaitForLine("ready")) return "";
        const std::string id = WaitForWindow(name);
        if (!id.empty()) Xdotool("windowfocus --sync " + id);
        return id;
    }

    // A screenshot outlives the test's folder in the build's, for a person
    // to compare.
    void KeepForViewing(const std::string& name) const {
        const char* buildFolder = std::getenv("ZD_TEST_BIN_DIR");
        if (buildFolder == nullptr) return;
        const std::filesystem::path kept = std::filesystem::path(buildFolder) / "screenshots" / "gtk_dialog";
        std::error_code ignored;
        std::filesystem::create_directories(kept, ignored);
        std::filesystem::copy_file(m_folder / (name + ".png"), kept / (name + ".png"),
                                   std::filesystem::copy_options::overwrite_existing, ignored);
    }

    // What the program printed before it ended, without GTK's warnings.
    std::string Result(const std::string& prefix) {
        if (!WaitForLine("exit 0")) return "still running";
        const std::string output = Output();
        const std::size_t at = output.find(prefix);
        return at == std::string::npos ? "" : output.substr(at, output.find('\n', at) - at);
    }
};

struct AnswerCase {
    std::uint32_t flags;
    const char* keys;  // xdotool key arguments, or "close" for the window's close
    int answer;
};

std::ostream& operator<<(std::ostream& out, const AnswerCase& c) {
    return out << "flags 0x" << std::hex << c.flags << std::dec << " keys '" << c.keys << "'";
}

class MessageBoxAnswerTest : public GtkDialogTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(MessageBoxAnswerTest, AnswersWithTheNumberOfTheButtonChosen) {
    const AnswerCase& c = GetParam();
    const std::string box = StartBox(c.flags, "Shall we go on?");
    ASSERT_FALSE(box.empty()) << "no box named DialogSample";
    if (std::string(c.keys) == "close") {
        ASSERT_TRUE(RequestClose(s_display, std::stoul(box)));
    } else {
        ASSERT_TRUE(Xdotool("key --delay 50 " + std::string(c.keys)));
    }
    EXPECT_EQ(Result("answer "), "answer " + std::to_string(c.answer)) << Output();
}

// The first button is the default and has the focus; Tab moves on to the next
// in reading order, which is leftwards in a right-to-left box.
const AnswerCase kAnswerCases[] = {
    {kMbOk, "Return", kIdOk},
    {kMbOk, "alt+o", kIdOk},
    {kMbOk, "Escape", kIdOk},
    {kMbOk, "close", kIdOk},
    {kMbOkCancel, "Return", kIdOk},
    {kMbOkCancel, "alt+c", kIdCancel},
    {kMbOkCancel, "Tab Return", kIdCancel},
    {kMbOkCancel, "Escape", kIdCancel},
    {kMbOkCancel, "close", kIdCancel},
    {kMbYesNo, "Return", kIdYes},
    {kMbYesNo, "alt+n", kIdNo},
    {kMbYesNo, "Tab Return", kIdNo},
    {kMbYesNo | kMbIconQuestion, "alt+y", kIdYes},
    {kMbAbortRetryIgnore, "Return", kIdAbort},
    {kMbAbortRetryIgnore, "alt+r", kIdRetry},
    {kMbAbortRetryIgnore, "alt+i", kIdIgnore},
    {kMbAbortRetryIgnore | kMbIconError, "Tab Tab Return", kIdIgnore},
    {kMbAbortRetryIgnore | kRightToLeft, "Tab Return", kIdRetry},
    {kMbOkCancel | kMbIconWarning | kMbSetForeground, "alt+c", kIdCancel},
    {kMbOkCancel | kMbIconInformation | kRightToLeft, "Escape", kIdCancel},
    // An unknown button set is an OK box.
    {0x0F, "Return", kIdOk},
    {0x0F, "Escape", kIdOk},
    // Boxes without a cancel answer ignore Escape and the close; the button
    // pressed next answers, which a box closed early could not have heard.
    {kMbYesNo, "Escape alt+y", kIdYes},
    {kMbAbortRetryIgnore, "Escape alt+r", kIdRetry},
};
INSTANTIATE_TEST_SUITE_P(Cases, MessageBoxAnswerTest, ::testing::ValuesIn(kAnswerCases));

TEST_F(GtkDialogTest, TheWindowsCloseLeavesAYesNoBoxOpen) {
    const std::string box = StartBox(kMbYesNo, "Shall we go on?");
    ASSERT_FALSE(box.empty());
    ASSERT_TRUE(RequestClose(s_display, std::stoul(box)));
    // The close reached the box before these keys, on the same display.
    ASSERT_TRUE(Xdotool("key alt+y"));
    EXPECT_EQ(Result("answer "), "answer " + std::to_string(kIdYes)) << Output();
}

// A band of rows of the box holding dark pixels: a line of text, or the
// button labels below the text.
struct InkBand {
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
};

bool IsInk(unsigned color) {
    const unsigned red = color >> 16 & 0xFF;
    const unsigned green = color >> 8 & 0xFF;
    const unsigned blue = color & 0xFF;
    return color != 0xFFFFFFFF && red < 0x80 && green < 0x80 && blue < 0x80;
}

std::vector<InkBand> InkBands(const Screenshot& shot, const WindowGeometry& box) {
    std::vector<InkBand> bands;
    bool inBand = false;
    for (int y = box.y; y < box.y + box.height; ++y) {
        int left = box.x + box.width;
        int right = -1;
        for (int x = box.x; x < box.x + box.width; ++x) {
            if (!IsInk(shot.At(x, y))) continue;
            left = std::min(left, x);
            right = std::max(right, x);
        }
        if (right < 0) {
            inBand = false;
            continue;
        }
        if (!inBand) bands.push_back(InkBand{y, y, left, right});
        InkBand& band = bands.back();
        band.bottom = y;
        band.left = std::min(band.left, left);
        band.right = std::max(band.right, right);
        inBand = true;
    }
    return bands;
}

struct DirectionCase {
    std::uint32_t flags;
    const char* screenshot;
    bool right;  // the lines start at the right-hand side
};

std::ostream& operator<<(std::ostream& out, const DirectionCase& c) {
    return out << c.screenshot;
}

class MessageBoxDirectionTest : public GtkDialogTest, public ::testing::WithParamInterface<DirectionCase> {};

// One box per run: the same text left-to-right and right-to-left, the
// screenshots kept side by side in the build folder.
TEST_P(MessageBoxDirectionTest, TheLinesStartAtTheSideOfTheReadingDirection) {
    const DirectionCase& c = GetParam();
    // The long line sets the width of the text; the short one shows on which
    // side the lines line up.
    const std::string box = StartBox(kMbOk | c.flags, "This first line is long enough to set the width.\nShort");
    ASSERT_FALSE(box.empty()) << "no box named DialogSample";
    const WindowGeometry geometry = QueryGeometry(box);
    // Two lines of text and the row of button labels, once drawn.
    std::vector<InkBand> bands;
    PollUntil([&] {
        bands = InkBands(Screenshot::Take(m_folder, c.screenshot), geometry);
        return bands.size() == 3;
    });
    KeepForViewing(c.screenshot);
    ASSERT_TRUE(Xdotool("key Return"));
    EXPECT_EQ(Result("answer "), "answer " + std::to_string(kIdOk));
    ASSERT_EQ(bands.size(), 3U) << "not two lines of text and the buttons";

    const InkBand& wide = bands[0];
    const InkBand& shortLine = bands[1];
    const int middle = geometry.x + geometry.width / 2;
    const int shortMiddle = (shortLine.left + shortLine.right) / 2;
    if (c.right) {
        EXPECT_GT(shortMiddle, middle);
        EXPECT_LE(std::abs(shortLine.right - wide.right), 3);
        EXPECT_GT(shortLine.left - wide.left, geometry.width / 3);
    } else {
        EXPECT_LT(shortMiddle, middle);
        EXPECT_LE(std::abs(shortLine.left - wide.left), 3);
        EXPECT_GT(wide.right - shortLine.right, geometry.width / 3);
    }
}

const DirectionCase kDirectionCases[] = {
    {0, "left-to-right", false},
    {kRightToLeft, "right-to-left", true},
    {kMbRight, "right-aligned", true},
    {kMbRtlReading, "right-to-left-reading", true},
};
INSTANTIATE_TEST_SUITE_P(Directions, MessageBoxDirectionTest, ::testing::ValuesIn(kDirectionCases));

// The widest run of empty columns between drawn ones in the rows of the
// first line of text: a word space, or the gap between the icon beside the
// text and the text.
int WidestGapBesideText(const Screenshot& shot, const WindowGeometry& box) {
    const std::vector<InkBand> bands = InkBands(shot, box);
    if (bands.size() < 2) return -1;
    const unsigned background = shot.At(box.x + 1, box.y + 1);
    const auto differs = [&](unsigned color) {
        for (const int shift : {0, 8, 16}) {
            if (std::abs(static_cast<int>(color >> shift & 0xFF) - static_cast<int>(background >> shift & 0xFF)) > 0x20)
                return true;
        }
        return false;
    };
    int widest = 0;
    int lastDrawn = -1;
    for (int x = box.x; x < box.x + box.width; ++x) {
        bool drawn = false;
        for (int y = bands.front().top; y <= bands.front().bottom && !drawn; ++y) drawn = differs(shot.At(x, y));
        if (!drawn) continue;
        if (lastDrawn >= 0) widest = std::max(widest, x - lastDrawn - 1);
        lastDrawn = x;
    }
    return widest;
}

struct IconCase {
    std::uint32_t flags;
    bool icon;
};

std::ostream& operator<<(std::ostream& out, const IconCase& c) {
    return out << "flags 0x" << std::hex << c.flags;
}

class MessageBoxIconTest : public GtkDialogTest, public ::testing::WithParamInterface<IconCase> {};

TEST_P(MessageBoxIconTest, ShowsAnIconOnlyWhenAskedFor) {
    const IconCase& c = GetParam();
    const std::string box = StartBox(c.flags, "Shall we go on?");
    ASSERT_FALSE(box.empty()) << "no box named DialogSample";
    const WindowGeometry geometry = QueryGeometry(box);
    // Drawn once the text and the button labels are.
    Screenshot shot;
    PollUntil([&] {
        shot = Screenshot::Take(m_folder, "box");
        return InkBands(shot, geometry).size() >= 2;
    });
    const int gap = WidestGapBesideText(shot, geometry);
    ASSERT_TRUE(Xdotool("key Return"));
    EXPECT_EQ(Result("answer "), "answer " + std::to_string(kIdOk));
    ASSERT_GE(gap, 0) << "no text and buttons in the box";
    if (c.icon) {
        EXPECT_GT(gap, 16) << "no icon beside the text";
    } else {
        EXPECT_LT(gap, 16) << "something beside the text";
        EXPECT_GT(gap, 0) << "no spaces between the words";
    }
}

const IconCase kIconCases[] = {
    {kMbOk, false}, {kMbIconError, true}, {kMbIconQuestion, true}, {kMbIconWarning, true}, {kMbIconInformation, true},
};
INSTANTIATE_TEST_SUITE_P(Icons, MessageBoxIconTest, ::testing::ValuesIn(kIconCases));

TEST_F(GtkDialogTest, TheFolderDialogReturnsTheFolderTypedIn) {
    const std::string chosen = m_folder / "Chosen Folder";
    ASSERT_EQ(::mkdir(chosen.c_str(), 0700), 0);
    StartSample("folder");
    ASSERT_FALSE(FocusWindow("^Pick a folder$").empty()) << "no dialog named Pick a folder";
    // The chooser opens on the recent files, where no path can be typed in;
    // the home folder first, then the path in the location entry.
    ASSERT_TRUE(Xdotool("key alt+Home ctrl+l"));
    ASSERT_TRUE(Xdotool("type '" + chosen + "/'"));
    ASSERT_TRUE(Xdotool("key Return"));
    EXPECT_EQ(Result("folder "), "folder " + chosen) << Output();
}

class FolderCancelTest : public GtkDialogTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(FolderCancelTest, TheFolderDialogReturnsNothing) {
    StartSample("folder");
    const std::string dialog = FocusWindow("^Pick a folder$");
    ASSERT_FALSE(dialog.empty()) << "no dialog named Pick a folder";
    if (GetParam() == "close") {
        ASSERT_TRUE(RequestClose(s_display, std::stoul(dialog)));
    } else {
        ASSERT_TRUE(Xdotool("key " + GetParam()));
    }
    EXPECT_EQ(Result("folder "), "folder none") << Output();
}
INSTANTIATE_TEST_SUITE_P(EscapeOrClose, FolderCancelTest, ::testing::Values("Escape", "close"));

}  // namespace
