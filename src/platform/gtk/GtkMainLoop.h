#pragma once
// The GTK main loop of the window thread: runs until Quit is called, for
// example when the window's close message has been handled. Loops may nest
// (a modal window inside a running program); each Run returns its own code.

struct _GMainLoop;

namespace platform {

class GtkMainLoop {
public:
    GtkMainLoop();
    ~GtkMainLoop();
    GtkMainLoop(const GtkMainLoop&) = delete;
    GtkMainLoop& operator=(const GtkMainLoop&) = delete;

    // Dispatches the window thread's events, timers and posted calls until
    // Quit; returns the code given to Quit.
    int Run();
    // Ends Run once the current handler has returned; on the window thread.
    void Quit(int code);
    bool IsRunning() const;

private:
    _GMainLoop* m_loop;
    int m_code = 0;
};

}  // namespace platform
