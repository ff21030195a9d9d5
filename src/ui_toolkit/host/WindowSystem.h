#pragma once
// The platform's windowing as the window base sees it: it makes top-level
// windows and runs the thread's message loop. The GTK system serves the
// program; the headless one serves tests.

#include <memory>
#include <optional>

#include "ui_toolkit/host/NativeWindow.h"

// One run of the thread's loop, which may be nested in another.
class MessageLoop {
public:
    virtual ~MessageLoop() = default;
    // Dispatches events, timers and posted calls until End or a quit request.
    // Returns the quit code when a quit request ended it.
    virtual std::optional<int> Run() = 0;
    // Ends Run once the current handler has returned.
    virtual void End() = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A hidden window with that client size, sending its messages to
    // `client` (not owned; it outlives the window); null when there is no
    // display.
    virtual std::unique_ptr<NativeWindow> CreateWindow(int width, int height, NativeWindowClient* client) = 0;
    // Destroys `window` once the handler running now has returned: a window
    // may be destroyed from within one of its own messages.
    virtual void DisposeWindow(std::unique_ptr<NativeWindow> window) = 0;

    virtual std::unique_ptr<MessageLoop> CreateLoop() = 0;
    // The quit message: ends the innermost running loop with `code`.
    virtual void PostQuit(int code) = 0;

    // A message box without an owner.
    virtual int MessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) = 0;
};
