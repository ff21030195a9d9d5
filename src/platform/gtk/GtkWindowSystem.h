#pragma once
// The window system of the program on GTK 3: GtkHost windows, the GTK main
// loop nested as modal windows need it, and message boxes without an owner.
// Used from the one thread that runs GTK.

#include <memory>
#include <vector>

#include "ui_toolkit/host/WindowSystem.h"

namespace platform {

class GtkWindowSystem : public WindowSystem {
public:
    // Null when there is no display to open windows on.
    static std::unique_ptr<GtkWindowSystem> Open();
    ~GtkWindowSystem() override;

    std::unique_ptr<NativeWindow> CreateWindow(int width, int height, NativeWindowClient* client) override;
    void DisposeWindow(std::unique_ptr<NativeWindow> window) override;
    std::unique_ptr<MessageLoop> CreateLoop() override;
    void PostQuit(int code) override;
    int MessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) override;

private:
    class Loop;
    GtkWindowSystem() = default;

    // The loops running now, innermost last.
    std::vector<Loop*> m_running;
};

}  // namespace platform
