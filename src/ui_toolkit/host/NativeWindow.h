#pragma once
// The platform window under a skinned window, as the toolkit sees it. The
// toolkit calls only this interface; a host (the GTK window of the program, the
// headless window of the tests and of zskin) implements it and feeds the
// window's messages (UiMessages.h) to its NativeWindowClient.
//
// Every call is made on the window's thread, except Post, which any thread may
// call.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui_toolkit/core/UiTypes.h"
#include "ui_toolkit/host/NativeEdit.h"
#include "ui_toolkit/host/TaskbarProgressState.h"

class Canvas;

enum class WindowShowState { kNormal, kMinimized, kMaximized };

enum class CursorShape { kArrow, kHand, kIBeam, kWait, kSizeWE, kSizeNS, kSizeNWSE, kSizeNESW, kSizeAll, kNo };

// Receives the messages of one native window.
class NativeWindowClient {
public:
    virtual std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

protected:
    ~NativeWindowClient() = default;
};

class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    // Receives the window's messages from now on; not owned, null for none.
    virtual void SetClient(NativeWindowClient* client) = 0;

    // Client area, origin 0,0.
    virtual UiRect GetClientRect() const = 0;
    virtual void Resize(int width, int height) = 0;

    // Adds to the region the next paint message covers.
    virtual void Invalidate(const UiRect& rect) = 0;
    // The bounds of the region waiting to be painted; false when none.
    virtual bool GetUpdateRect(UiRect* rect) const = 0;
    // Starts painting: returns the region's bounds and empties the region.
    virtual UiRect BeginPaint() = 0;
    // Shows `rect` of `canvas` (client-sized) on the window.
    virtual void EndPaint(const Canvas& canvas, const UiRect& rect) = 0;

    // A timer delivers kMsgTimer with `id` every `periodMs` until killed;
    // setting an id again restarts it with the new period.
    virtual bool SetTimer(std::uint32_t id, std::uint32_t periodMs) = 0;
    virtual void KillTimer(std::uint32_t id) = 0;
    // Milliseconds of the window's clock.
    virtual std::uint32_t GetTickCount() const = 0;

    // Queues a message for the client; it is handled in a later turn of the
    // window's loop, after the messages already queued.
    virtual void PostMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // Runs `call` on the window's thread in a later turn. Safe from any thread;
    // calls posted by one thread run in the order they were posted.
    virtual void Post(std::function<void()> call) = 0;

    // Keyboard focus of the window itself.
    virtual void SetFocus() = 0;
    virtual bool HasFocus() const = 0;
    // UiKeyState bits of the keyboard and the mouse buttons now.
    virtual std::uint16_t GetKeyState() const = 0;

    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    virtual void SetCursor(CursorShape shape) = 0;
    // Asks for one kMsgMouseHover after the pointer rests `hoverMs` and one
    // kMsgMouseLeave when it leaves the client area.
    virtual void TrackMouse(std::uint32_t hoverMs) = 0;
    // The pointer in client coordinates while it is over the client area of
    // the active, non-minimised window; nothing otherwise.
    virtual std::optional<UiPoint> GetPointerInClient() const = 0;

    virtual void ShowToolTip(const std::wstring& text, int maxWidth, UiPoint at) = 0;
    virtual void HideToolTip() = 0;

    // A text entry over the window, shown and focused at once; it lives until
    // the returned object is destroyed. `listener` is not owned and must
    // outlive it.
    virtual std::unique_ptr<NativeEdit> CreateNativeEdit(const NativeEditOptions& options,
                                                         NativeEditListener* listener) = 0;

    // The window on the screen. Coordinates are the screen's.
    virtual void SetTitle(const std::wstring& title) = 0;
    // Pictures of the icon in several sizes, each the bytes of a PNG file.
    virtual void SetIcons(const std::vector<std::vector<std::uint8_t>>& pictures) = 0;
    // `activate` false shows the window without giving it the keyboard.
    virtual void Show(bool activate) = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual void Move(int x, int y) = 0;
    virtual UiRect GetWindowRect() const = 0;
    // The work area of the monitor the window is on.
    virtual UiRect GetWorkArea() const = 0;
    // Minimising, maximising and restoring may complete later; the window
    // reports the new state with kMsgSize (UiSizeKind) when it has changed.
    virtual void Minimize() = 0;
    virtual void Maximize() = 0;
    virtual void Restore() = 0;
    virtual WindowShowState GetShowState() const = 0;
    // A disabled window takes no input; an owner is disabled while its modal
    // window runs.
    virtual void SetEnabled(bool enabled) = 0;
    // Clips the window to a rounded rectangle with corners of `corner` (the
    // corner ellipse's width and height); 0,0 makes it rectangular again.
    virtual void SetRoundCorners(UiSize corner) = 0;

    // Modal dialogs owned by the window, each running a nested loop.
    // MessageBoxStyle.h holds the flags and the answers.
    virtual int MessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) = 0;
    // The folder the user chose; nothing when cancelled.
    virtual std::optional<std::wstring> BrowseForFolder(const std::wstring& title) = 0;

    // The progress shown on the window's taskbar button; nothing happens
    // where the desktop has no such thing.
    virtual void SetTaskbarState(TaskbarProgressState state) = 0;
    virtual void SetTaskbarValue(std::uint64_t completed, std::uint64_t total) = 0;
};
