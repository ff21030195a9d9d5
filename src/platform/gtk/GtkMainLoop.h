#pragma once
// The GTK main loop of the window thread: runs until it is ended, for
// example when the window's close message has been handled. Loops may nest
// (a modal window inside a running program); each Run ends on its own.

#include <optional>

#include "ui_toolkit/host/WindowSystem.h"

struct _GMainLoop;

namespace platform {

class GtkMainLoop : public MessageLoop {
public:
    GtkMainLoop();
    ~GtkMainLoop() override;
    GtkMainLoop(const GtkMainLoop&) = delete;
    GtkMainLoop& operator=(const GtkMainLoop&) = delete;

    // Dispatches the window thread's events, timers and posted calls until
    // End or Quit; returns the code given to Quit.
    std::optional<int> Run() override;
    // Both end Run once the current handler has returned; on the window thread.
    void End() override;
    void Quit(int code);
    bool IsRunning() const;

private:
    _GMainLoop* m_loop;
    std::optional<int> m_code;
};

}  // namespace platform
