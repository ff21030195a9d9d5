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

#include "ui_toolkit/core/UiTypes.h"
#include "ui_toolkit/host/NativeEdit.h"

class Canvas;

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
};
