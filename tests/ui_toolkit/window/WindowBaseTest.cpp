// The window base on the headless window system: skin building from each
// resource kind, hit testing, the window buttons, keys, the modal loop,
// placement and the failure at start-up.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_toolkit/core/ResourceSettings.h"
#include "ui_toolkit/host/HeadlessWindowSystem.h"
#include "ui_toolkit/window/WindowImplBase.h"

namespace {

class TestWindow : public WindowImplBase {
public:
    TestWindow(WindowSystem& system, ResourceKind kind, std::wstring skinFile)
        : WindowImplBase(system), m_kind(kind), m_skinFile(std::move(skinFile)) {}

    HeadlessWindow& Host() { return *static_cast<HeadlessWindow*>(GetHWND()); }
    CControlUI* Find(const wchar_t* name) { return m_pm.FindControl(name); }

    std::vector<std::string> events;

protected:
    std::wstring GetWindowClassName() const override { return L"ZdTestWindow"; }
    std::wstring GetSkinFolder() const override { return L""; }
    std::wstring GetSkinFile() const override { return m_skinFile; }
    ResourceKind GetResourceKind() const override { return m_kind; }
    std::wstring GetArchiveFileName() const override { return L"skin.zip"; }
    int GetResourceId() const override { return 104; }
    void InitWindow() override { events.push_back("init"); }

    std::intptr_t OnClose(std::uint32_t, std::uintptr_t wParam, std::intptr_t, bool& handled) override {
        events.push_back("close " + std::to_string(wParam));
        handled = false;
        return 0;
    }
    std::intptr_t OnDestroy(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) override {
        events.push_back("destroy");
        handled = false;
        return 0;
    }
    void OnFinalMessage(NativeWindow* window) override {
        events.push_back("final");
        WindowImplBase::OnFinalMessage(window);
    }

private:
    ResourceKind m_kind;
    std::wstring m_skinFile;
};

class WindowBaseTest : public ::testing::Test {
protected:
    void SetUp() override { UseLooseFilesIn(ZD_WINDOW_TEST_DATA); }

    static void UseLooseFilesIn(const std::string& folder) {
        ResourceSettings::SetResourceArchiveFile(L"");
        ResourceSettings::SetResourceFolder(std::wstring(folder.begin(), folder.end()));
    }

    // A window of the test skin, created hidden at the origin.
    std::unique_ptr<TestWindow> Open(const std::wstring& skin = L"skin.xml",
                                     ResourceKind kind = ResourceKind::FromFile) {
        auto window = std::make_unique<TestWindow>(system, kind, skin);
        EXPECT_NE(window->Create(nullptr, L"Test", kStyleCaption, 0), nullptr);
        if (window->GetHWND() != nullptr) window->Host().RunPending();
        return window;
    }

    HeadlessWindowSystem system;
};

TEST_F(WindowBaseTest, TheSkinIsBuiltFromEachResourceKind) {
    const std::string archiveFolder =
        std::string(ZD_WINDOW_TEST_ARCHIVE).substr(0, std::string(ZD_WINDOW_TEST_ARCHIVE).rfind('/'));
    struct Case {
        ResourceKind kind;
        std::string folder;
        std::wstring skin;
    };
    const Case cases[] = {
        {ResourceKind::FromFile, ZD_WINDOW_TEST_DATA, L"skin.xml"},
        {ResourceKind::FromArchiveFile, archiveFolder, L"skin.xml"},
        {ResourceKind::FromResource, "/nonexistent", L"9"},
        {ResourceKind::FromArchiveResource, "/nonexistent", L"skin.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        UseLooseFilesIn(c.folder);
        std::unique_ptr<TestWindow> window = Open(c.skin, c.kind);
        ASSERT_NE(window->GetHWND(), nullptr);
        EXPECT_NE(window->Find(L"closebtn"), nullptr);
        EXPECT_EQ(window->GetHWND()->GetClientRect(), (UiRect{0, 0, 680, 440}));
        EXPECT_EQ(window->GetHWND()->GetWindowRect(), (UiRect{0, 0, 680, 440}));
        EXPECT_EQ(window->events, std::vector<std::string>{"init"});
        // The caption bits go; the clipping bits come.
        EXPECT_EQ(window->GetWindowStyle(), kStyleClipChildren | kStyleClipSiblings);
    }
}

TEST_F(WindowBaseTest, ASkinThatBuildsNothingEndsTheProcessWithCodeOne) {
    EXPECT_EXIT(Open(L"empty.xml"), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(Open(L"missing.xml"), ::testing::ExitedWithCode(1), "");
}

TEST_F(WindowBaseTest, HitTestingTurnsTheClientAreaIntoResizeAndCaptionZones) {
    std::unique_ptr<TestWindow> window = Open();
    window->GetHWND()->Move(100, 50);
    struct Case {
        int x, y;
        std::intptr_t zone;
    };
    const Case cases[] = {
        {0, 0, kHtTopLeft},
        {3, 3, kHtTopLeft},
        {4, 0, kHtTop},
        {675, 3, kHtTop},
        {676, 3, kHtTopRight},
        {0, 4, kHtLeft},
        {3, 200, kHtLeft},
        {679, 200, kHtRight},
        {676, 439, kHtBottomRight},
        {0, 436, kHtBottomLeft},
        {300, 436, kHtBottom},
        {300, 435, kHtClient},
        // In the caption: check boxes, labels and empty layout drag; buttons,
        // options and texts are clicked.
        {50, 20, kHtCaption},
        {150, 20, kHtCaption},
        {250, 20, kHtClient},
        {350, 20, kHtClient},
        {480, 20, kHtCaption},
        {580, 20, kHtClient},
        {300, 289, kHtCaption},
        {300, 290, kHtClient},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(window->Host().HitTest(c.x, c.y), c.zone) << c.x << "," << c.y;
    }
    // A maximised window has no resize zones.
    window->GetHWND()->Maximize();
    window->Host().RunPending();
    EXPECT_EQ(window->Host().HitTest(0, 0), kHtCaption);
    EXPECT_EQ(window->Host().HitTest(1279, 400), kHtClient);
}

TEST_F(WindowBaseTest, TheWindowButtonsMinimiseMaximiseRestoreAndClose) {
    std::unique_ptr<TestWindow> window = Open();
    HeadlessWindow& host = window->Host();
    host.Click(580, 20);
    EXPECT_EQ(host.GetShowState(), WindowShowState::kMinimized);
    host.Restore();
    host.RunPending();

    host.Click(620, 20);
    EXPECT_EQ(host.GetShowState(), WindowShowState::kMaximized);
    EXPECT_FALSE(window->Find(L"maxbtn")->IsVisible());
    EXPECT_TRUE(window->Find(L"restorebtn")->IsVisible());
    host.RunPending();
    // Laid out across the work area's 1280 pixels, the restore button is
    // second from the right.
    host.Click(1230, 20);
    EXPECT_EQ(host.GetShowState(), WindowShowState::kNormal);
    EXPECT_EQ(host.GetClientRect(), (UiRect{0, 0, 680, 440}));
    EXPECT_TRUE(window->Find(L"maxbtn")->IsVisible());
    EXPECT_FALSE(window->Find(L"restorebtn")->IsVisible());
    host.RunPending();

    host.Click(660, 20);
    host.RunPending();
    EXPECT_EQ(window->GetHWND(), nullptr);
    EXPECT_EQ(window->events, (std::vector<std::string>{"init", "close 1", "destroy", "final"}));
    EXPECT_EQ(window->GetPaintManager().GetPaintWindow(), nullptr);
}

TEST_F(WindowBaseTest, WithOnlyOneOfTheTwoButtonsNothingIsToggled) {
    std::unique_ptr<TestWindow> window = Open(L"single_button.xml");
    window->Host().Click(150, 20);
    EXPECT_EQ(window->Host().GetShowState(), WindowShowState::kMaximized);
    EXPECT_TRUE(window->Find(L"maxbtn")->IsVisible());
}

TEST_F(WindowBaseTest, EscapeEndsTheModalLoopWithCodeOneAndReturnDoesNot) {
    std::unique_ptr<TestWindow> window = Open();
    int turn = 0;
    system.OnLoopTurn([&] {
        if (window->GetHWND() == nullptr) return;
        if (++turn == 1) window->Host().KeyDown(kVkReturn);
        if (turn == 3) window->Host().KeyDown(kVkEscape);
    });
    EXPECT_EQ(window->ShowModal(), 1);
    EXPECT_GE(turn, 3);
    EXPECT_EQ(window->events, (std::vector<std::string>{"init", "close 1", "destroy", "final"}));
}

TEST_F(WindowBaseTest, TheModalLoopDisablesTheOwnerAndReturnsTheCloseCode) {
    std::unique_ptr<TestWindow> owner = Open();
    owner->GetHWND()->Move(100, 100);
    auto dialog = std::make_unique<TestWindow>(system, ResourceKind::FromFile, L"single_button.xml");
    ASSERT_NE(dialog->Create(owner.get(), L"Dialog", 0, 0), nullptr);
    // 300 x 200 centred on the owner's 680 x 440 at 100,100.
    dialog->CenterWindow();
    EXPECT_EQ(dialog->GetHWND()->GetWindowRect(), (UiRect{290, 220, 590, 420}));

    bool ownerDisabled = false;
    system.OnLoopTurn([&] {
        if (dialog->GetHWND() == nullptr) return;
        ownerDisabled = !owner->Host().IsEnabled();
        dialog->Close(7);
    });
    EXPECT_EQ(dialog->ShowModal(), 7);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(owner->Host().IsEnabled());
}

TEST_F(WindowBaseTest, AQuitRequestEndsTheModalLoopAndTheLoopOutsideIt) {
    std::unique_ptr<TestWindow> window = Open();
    system.OnLoopTurn([&] { system.PostQuit(5); });
    EXPECT_EQ(window->ShowModal(), 0);
    EXPECT_NE(window->GetHWND(), nullptr);
    system.OnLoopTurn(nullptr);
    EXPECT_EQ(system.CreateLoop()->Run(), 5);
}

TEST_F(WindowBaseTest, CentringKeepsTheWindowInsideTheWorkArea) {
    const UiRect work{0, 0, 800, 600};
    struct Case {
        UiRect window, target;
        UiPoint expected;
    };
    const Case cases[] = {
        {{0, 0, 400, 300}, work, {200, 150}},
        // Integer halves of an odd-sized target and window.
        {{0, 0, 401, 301}, {0, 0, 801, 601}, {200, 150}},
        // Off the left and top edges: aligned with them.
        {{0, 0, 400, 300}, {-300, -200, 100, 100}, {0, 0}},
        // Past the right and bottom edges: aligned with them.
        {{0, 0, 400, 300}, {700, 500, 900, 700}, {400, 300}},
        // Larger than the work area: the left and top edges win.
        {{0, 0, 900, 700}, work, {0, 0}},
    };
    for (const Case& c : cases) {
        const UiPoint at = CenteredPosition(c.window, c.target, work);
        EXPECT_EQ(at, c.expected) << c.window.GetWidth() << "x" << c.window.GetHeight();
    }

    // On a minimised owner the window centres on the work area.
    std::unique_ptr<TestWindow> owner = Open();
    owner->GetHWND()->Minimize();
    TestWindow dialog(system, ResourceKind::FromFile, L"single_button.xml");
    ASSERT_NE(dialog.Create(owner.get(), L"Dialog", 0, 0), nullptr);
    dialog.CenterWindow();
    EXPECT_EQ(dialog.GetHWND()->GetWindowRect(), (UiRect{490, 300, 790, 500}));
}

TEST_F(WindowBaseTest, SizeLimitsRoundCornersAndIcons) {
    std::unique_ptr<TestWindow> window = Open();
    MinMaxInfo info;
    window->SendMessage(kMsgGetMinMaxInfo, 0, reinterpret_cast<std::intptr_t>(&info));
    EXPECT_EQ(info.minTrackSize, (UiSize{400, 300}));
    EXPECT_EQ(info.maxTrackSize, (UiSize{900, 700}));
    EXPECT_EQ(info.maxSize, (UiSize{1280, 800}));

    window->ShowWindow();
    EXPECT_EQ(window->Host().GetRoundCorners(), (UiSize{5, 5}));

    window->SetIcon(101);
    ASSERT_EQ(window->Host().GetIcons().size(), 4u);
    for (const auto& picture : window->Host().GetIcons()) {
        ASSERT_GE(picture.size(), 8u);
        EXPECT_EQ(picture[1], 'P');
    }
}

}  // namespace
