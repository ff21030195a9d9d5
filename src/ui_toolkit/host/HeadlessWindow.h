#pragma once
// A window without a display, for tests and for rendering skins on a machine
// without one: an off-screen surface that paints land on, a clock and timers
// that advance only when told, and a message queue that runs only when told.
//
// The test (or tool) drives it from one thread: it sends input, advances the
// clock and runs the queue. Post may be called from any thread.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ui_toolkit/host/NativeWindow.h"
#include "ui_toolkit/render/Canvas.h"

class HeadlessWindow : public NativeWindow {
public:
    HeadlessWindow(int width, int height);
    ~HeadlessWindow() override;

    // Receives the window's messages; not owned.
    void SetClient(NativeWindowClient* client) override { m_client = client; }

    // NativeWindow.
    UiRect GetClientRect() const override;
    void Resize(int width, int height) override;
    void Invalidate(const UiRect& rect) override;
    bool GetUpdateRect(UiRect* rect) const override;
    UiRect BeginPaint() override;
    void EndPaint(const Canvas& canvas, const UiRect& rect) override;
    bool SetTimer(std::uint32_t id, std::uint32_t periodMs) override;
    void KillTimer(std::uint32_t id) override;
    std::uint32_t GetTickCount() const override { return m_now; }
    void PostMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void Post(std::function<void()> call) override;
    void SetFocus() override { m_focused = true; }
    bool HasFocus() const override { return m_focused; }
    std::uint16_t GetKeyState() const override { return m_keyState; }
    void SetCapture() override { m_captured = true; }
    void ReleaseCapture() override { m_captured = false; }
    void SetCursor(CursorShape shape) override { m_cursor = shape; }
    void TrackMouse(std::uint32_t hoverMs) override;
    std::optional<UiPoint> GetPointerInClient() const override;
    void ShowToolTip(const std::wstring& text, int maxWidth, UiPoint at) override;
    void HideToolTip() override { m_toolTip.reset(); }
    std::unique_ptr<NativeEdit> CreateNativeEdit(const NativeEditOptions& options,
                                                 NativeEditListener* listener) override;
    void SetTitle(const std::wstring& title) override { m_title = title; }
    void SetIcons(const std::vector<std::vector<std::uint8_t>>& pictures) override { m_icons = pictures; }
    void Show(bool activate) override;
    void Hide() override { m_visible = false; }
    bool IsVisible() const override { return m_visible; }
    void Move(int x, int y) override { m_position = UiPoint{x, y}; }
    UiRect GetWindowRect() const override;
    UiRect GetWorkArea() const override { return m_workArea; }
    // The state changes at once, and kMsgSize tells it.
    void Minimize() override;
    void Maximize() override;
    void Restore() override;
    WindowShowState GetShowState() const override { return m_showState; }
    void SetEnabled(bool enabled) override { m_enabled = enabled; }
    void SetRoundCorners(UiSize corner) override { m_roundCorners = corner; }
    // Answers with the next of the answers given, else with the box's first
    // button.
    int MessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) override;
    std::optional<std::wstring> BrowseForFolder(const std::wstring& title) override;
    void SetTaskbarState(TaskbarProgressState state) override { m_taskbarState = state; }
    void SetTaskbarValue(std::uint64_t completed, std::uint64_t total) override;

    // Delivers a message now, like a direct call of the window procedure.
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    // Input. The pointer stays where the last mouse message put it.
    void MouseMove(int x, int y);
    void LeftDown(int x, int y);
    void LeftUp(int x, int y);
    void Click(int x, int y);
    void KeyDown(std::uint32_t key);
    void KeyUp(std::uint32_t key);
    void Char(wchar_t character);
    // Held modifiers and buttons (UiKeyState bits) seen by later input.
    void SetKeyState(std::uint16_t state) { m_keyState = state; }
    // The hover and leave messages asked for with TrackMouse, when asked.
    void Hover();
    void Leave();

    // The hit test of client point (x, y), as the window asks it before a press.
    std::intptr_t HitTest(int x, int y);

    // Runs queued messages and posted calls, then paints, until nothing is
    // left; what they queue meanwhile runs too. False when there was nothing.
    bool RunPending();
    // Moves the clock on, firing every timer that falls due on the way, in
    // time order, each followed by RunPending.
    void AdvanceTime(std::uint32_t ms);

    // What the paints have shown so far.
    const Canvas& GetSurface() const { return m_surface; }
    bool IsCaptured() const { return m_captured; }
    CursorShape GetCursor() const { return m_cursor; }
    const std::optional<std::wstring>& GetToolTip() const { return m_toolTip; }
    bool IsTimerActive(std::uint32_t id) const { return m_timers.count(id) != 0; }
    std::uint32_t GetTimerPeriod(std::uint32_t id) const;
    int GetPaintCount() const { return m_paintCount; }
    const std::wstring& GetTitle() const { return m_title; }
    const std::vector<std::vector<std::uint8_t>>& GetIcons() const { return m_icons; }
    bool IsEnabled() const { return m_enabled; }
    UiSize GetRoundCorners() const { return m_roundCorners; }
    void SetWorkArea(const UiRect& area) { m_workArea = area; }

    // The dialogs asked for so far, and the answers they get.
    struct AskedBox {
        std::wstring text;
        std::wstring caption;
        std::uint32_t flags;
    };
    const std::vector<AskedBox>& GetMessageBoxes() const { return m_messageBoxes; }
    void AnswerMessageBoxes(std::vector<int> answers) { m_answers = std::move(answers); }
    const std::vector<std::wstring>& GetFolderDialogs() const { return m_folderDialogs; }
    void AnswerFolderDialog(std::optional<std::wstring> folder) { m_folderAnswer = std::move(folder); }
    TaskbarProgressState GetTaskbarState() const { return m_taskbarState; }
    std::uint64_t GetTaskbarCompleted() const { return m_taskbarCompleted; }
    std::uint64_t GetTaskbarTotal() const { return m_taskbarTotal; }

    // The text entry open now, if any: what it was asked, and typing into it.
    class Entry;
    Entry* GetNativeEdit() const { return m_edit; }
    // How many entries were opened so far.
    int GetNativeEditCount() const { return m_editsOpened; }

private:
    struct Timer {
        std::uint32_t period;
        std::uint64_t due;
    };
    struct Queued {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        std::function<void()> call;  // set for a posted call
    };

    bool RunOne();
    void ChangeShowState(WindowShowState state, const UiRect& frame, std::uint32_t sizeKind);

    NativeWindowClient* m_client = nullptr;
    int m_width;
    int m_height;
    Canvas m_surface;
    std::optional<UiRect> m_update;
    std::uint64_t m_now = 0;
    std::map<std::uint32_t, Timer> m_timers;
    std::mutex m_queueMutex;
    std::deque<Queued> m_queue;
    bool m_focused = false;
    bool m_captured = false;
    bool m_tracking = false;
    bool m_paintBegun = false;
    std::uint16_t m_keyState = 0;
    CursorShape m_cursor = CursorShape::kArrow;
    std::optional<UiPoint> m_pointer;
    std::optional<std::wstring> m_toolTip;
    int m_paintCount = 0;
    Entry* m_edit = nullptr;
    int m_editsOpened = 0;

    std::wstring m_title;
    std::vector<std::vector<std::uint8_t>> m_icons;
    bool m_visible = false;
    bool m_shownOnce = false;
    bool m_enabled = true;
    UiPoint m_position;
    UiRect m_workArea{0, 0, 1280, 800};
    WindowShowState m_showState = WindowShowState::kNormal;
    UiRect m_restoredFrame;
    UiSize m_roundCorners;
    std::vector<AskedBox> m_messageBoxes;
    std::vector<int> m_answers;
    std::vector<std::wstring> m_folderDialogs;
    std::optional<std::wstring> m_folderAnswer;
    TaskbarProgressState m_taskbarState = kTaskbarNoProgress;
    std::uint64_t m_taskbarCompleted = 0;
    std::uint64_t m_taskbarTotal = 0;
};

class HeadlessWindow::Entry : public NativeEdit {
public:
    Entry(HeadlessWindow& window, const NativeEditOptions& options, NativeEditListener* listener);
    ~Entry() override;

    void SetRect(const UiRect& rect) override { m_options.rect = rect; }
    void SetText(std::wstring_view text) override;
    std::wstring GetText() const override { return m_options.text; }
    void PressAt(UiPoint point) override { m_lastPress = point; }

    const NativeEditOptions& GetOptions() const { return m_options; }
    const std::optional<UiPoint>& GetLastPress() const { return m_lastPress; }
    // Types `text` one character at a time, as a user does; the length limit
    // and the digits-only rule apply.
    void Type(std::wstring_view text);
    void PressReturn();
    // The keyboard focus goes elsewhere.
    void LoseFocus();

private:
    HeadlessWindow& m_window;
    NativeEditOptions m_options;
    NativeEditListener* m_listener;
    std::optional<UiPoint> m_lastPress;
};
