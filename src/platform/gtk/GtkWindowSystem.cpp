#include "platform/gtk/GtkWindowSystem.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "platform/gtk/GtkHost.h"
#include "platform/gtk/GtkMainLoop.h"
#include "platform/gtk/GtkMessageBox.h"

namespace platform {

class GtkWindowSystem::Loop : public MessageLoop {
public:
    explicit Loop(std::vector<Loop*>& running) : m_running(running) {}

    std::optional<int> Run() override {
        m_running.push_back(this);
        const std::optional<int> code = m_loop.Run();
        m_running.erase(std::remove(m_running.begin(), m_running.end(), this), m_running.end());
        return code;
    }
    void End() override { m_loop.End(); }
    void Quit(int code) { m_loop.Quit(code); }

private:
    std::vector<Loop*>& m_running;
    GtkMainLoop m_loop;
};

namespace {

gboolean DeleteWindow(gpointer window) {
    delete static_cast<NativeWindow*>(window);
    return G_SOURCE_REMOVE;
}

}  // namespace

std::unique_ptr<GtkWindowSystem> GtkWindowSystem::Open() {
    if (!gtk_init_check(nullptr, nullptr)) return nullptr;
    return std::unique_ptr<GtkWindowSystem>(new GtkWindowSystem());
}

GtkWindowSystem::~GtkWindowSystem() = default;

std::unique_ptr<NativeWindow> GtkWindowSystem::CreateWindow(int width, int height, NativeWindowClient* client) {
    std::unique_ptr<GtkHost> host = GtkHost::Create(width, height);
    if (host != nullptr) host->SetClient(client);
    return host;
}

void GtkWindowSystem::DisposeWindow(std::unique_ptr<NativeWindow> window) {
    if (window == nullptr) return;
    window->SetClient(nullptr);
    window->Hide();
    g_idle_add_full(G_PRIORITY_DEFAULT, DeleteWindow, window.release(), nullptr);
}

std::unique_ptr<MessageLoop> GtkWindowSystem::CreateLoop() {
    return std::make_unique<Loop>(m_running);
}

void GtkWindowSystem::PostQuit(int code) {
    // Like a quit message, it ends the innermost loop at its next turn.
    struct Request {
        GtkWindowSystem* system;
        int code;
    };
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            const auto* request = static_cast<const Request*>(data);
            if (!request->system->m_running.empty()) request->system->m_running.back()->Quit(request->code);
            return G_SOURCE_REMOVE;
        },
        new Request{this, code}, [](gpointer data) { delete static_cast<Request*>(data); });
}

int GtkWindowSystem::MessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) {
    return RunMessageBox(nullptr, text, caption, flags);
}

}  // namespace platform
