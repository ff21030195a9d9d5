#include "platform/gtk/GtkMainLoop.h"

#include <glib.h>

namespace platform {

GtkMainLoop::GtkMainLoop() : m_loop(g_main_loop_new(nullptr, FALSE)) {}

GtkMainLoop::~GtkMainLoop() {
    g_main_loop_unref(m_loop);
}

std::optional<int> GtkMainLoop::Run() {
    m_code.reset();
    g_main_loop_run(m_loop);
    return m_code;
}

void GtkMainLoop::End() {
    g_main_loop_quit(m_loop);
}

void GtkMainLoop::Quit(int code) {
    m_code = code;
    g_main_loop_quit(m_loop);
}

bool GtkMainLoop::IsRunning() const {
    return g_main_loop_is_running(m_loop) != FALSE;
}

}  // namespace platform
