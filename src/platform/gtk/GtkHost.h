#pragma once
// The real window under a skinned window: an undecorated GTK 3 top-level
// window whose whole client area is a drawing area the toolkit paints, with
// the window's events turned into the toolkit's messages (UiMessages.h) for
// its NativeWindowClient. It behaves towards the toolkit as the headless
// window does, except that input, painting and timers come from the display
// and the clock instead of from a test.
//
// Every call is made on the thread that runs the GTK main loop, except Post
// and PostMessage, which any thread may call.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ui_toolkit/host/NativeWindow.h"
#include "ui_toolkit/render/Canvas.h"

struct _GtkWidget;
struct _cairo_region;

namespace platform {

class LauncherProgress;

class GtkHost : public NativeWindow {
public:
    // A hidden window of the given client size; null when there is no
    // display to open it on.
    static std::unique_ptr<GtkHost> Create(int width, int height);
    ~GtkHost() override;
    GtkHost(const GtkHost&) = delete;
    GtkHost& operator=(const GtkHost&) = delete;

    // Receives the window's messages; not owned, outlives the host's use.
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
    std::uint32_t GetTickCount() const override;
    void PostMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void Post(std::function<void()> call) override;
    void SetFocus() override;
    bool HasFocus() const override;
    std::uint16_t GetKeyState() const override { return m_keyState; }
    void SetCapture() override { m_captured = true; }
    void ReleaseCapture() override { m_captured = false; }
    void SetCursor(CursorShape shape) override;
    void TrackMouse(std::uint32_t hoverMs) override;
    std::optional<UiPoint> GetPointerInClient() const override;
    void ShowToolTip(const std::wstring& text, int maxWidth, UiPoint at) override;
    void HideToolTip() override;
    std::unique_ptr<NativeEdit> CreateNativeEdit(const NativeEditOptions& options,
                                                 NativeEditListener* listener) override;
    void SetTitle(const std::wstring& title) override;
    void SetIcons(const std::vector<std::vector<std::uint8_t>>& pictures) override;
    void Show(bool activate) override;
    void Hide() override;
    bool IsVisible() const override;
    void Move(int x, int y) override;
    UiRect GetWindowRect() const override;
    // The monitor the window is on; the primary one before it is shown.
    UiRect GetWorkArea() const override;
    void Minimize() override;
    void Maximize() override;
    void Restore() override;
    WindowShowState GetShowState() const override { return m_showState; }
    void SetEnabled(bool enabled) override;
    void SetRoundCorners(UiSize corner) override;
    int MessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) override;
    std::optional<std::wstring> BrowseForFolder(const std::wstring& title) override;
    // Through the desktop's launcher entry of the program, when there is a
    // session bus.
    void SetTaskbarState(TaskbarProgressState state) override;
    void SetTaskbarValue(std::uint64_t completed, std::uint64_t total) override;

private:
    // The GTK signal handlers, defined with the implementation.
    struct Signals;
    class Entry;
    struct Queued {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        std::function<void()> call;  // set for a posted call
    };

    GtkHost(int width, int height);
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    // Takes a new client size and tells the client; false when unchanged.
    bool SetClientSize(int width, int height);
    void Enqueue(Queued item);
    void RunQueued();
    void ApplyCursor(CursorShape shape);
    void RestartHoverTimer(UiPoint at);
    void StopHoverTimer();
    // The kMsgSize kind of the window's state.
    std::uint32_t SizeKind() const;
    // Asks the client where `screen` lies; kHtClient when it has no answer.
    std::intptr_t HitTest(UiPoint screen);
    // The client's minimum and maximum tracking sizes, as size hints.
    void ApplySizeLimits();
    LauncherProgress* GetLauncher();

    NativeWindowClient* m_client = nullptr;
    _GtkWidget* m_window = nullptr;
    _GtkWidget* m_overlay = nullptr;
    _GtkWidget* m_area = nullptr;
    _GtkWidget* m_toolTip = nullptr;
    _GtkWidget* m_toolTipLabel = nullptr;
    int m_width;
    int m_height;
    // What the window shows: every paint lands here and the draw handler
    // copies from it, so exposures never need the client.
    Canvas m_surface;
    std::optional<UiRect> m_update;
    // The area a GTK draw in progress puts on screen; null outside a draw.
    _cairo_region* m_drawClip = nullptr;

    std::map<std::uint32_t, unsigned> m_timers;  // window timer id -> GLib source

    std::mutex m_queueMutex;
    std::deque<Queued> m_queue;
    unsigned m_queueSource = 0;  // the pending run of the queue, 0 when none

    std::uint16_t m_keyState = 0;
    bool m_captured = false;
    bool m_trackLeave = false;
    bool m_trackHover = false;
    std::uint32_t m_hoverMs = 0;
    unsigned m_hoverSource = 0;
    UiPoint m_hoverAnchor;
    std::optional<UiPoint> m_pointer;

    CursorShape m_cursor = CursorShape::kArrow;
    // While a kMsgSetCursor is being handled: the shape chosen so far.
    std::optional<CursorShape> m_cursorChoice;

    WindowShowState m_showState = WindowShowState::kNormal;
    bool m_shownOnce = false;
    UiSize m_roundCorners;
    std::unique_ptr<LauncherProgress> m_launcher;
    bool m_launcherTried = false;

    // The last press, for telling a double click from two clicks.
    std::uint32_t m_lastPressTime = 0;
    UiPoint m_lastPressAt{-1000, -1000};
    unsigned m_lastPressButton = 0;
    bool m_lastPressWasDouble = false;

    // Expires with the host: a handler that sent a message checks it before
    // touching the host again, since the client may have destroyed it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace platform
