#pragma once
// The window system of the tests: headless windows, and a loop that runs
// their queues and moves their clocks on until it is ended.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ui_toolkit/host/HeadlessWindow.h"
#include "ui_toolkit/host/WindowSystem.h"

class HeadlessWindowSystem : public WindowSystem {
public:
    HeadlessWindowSystem();
    ~HeadlessWindowSystem() override;

    std::unique_ptr<NativeWindow> CreateWindow(int width, int height, NativeWindowClient* client) override;
    void DisposeWindow(std::unique_ptr<NativeWindow> window) override;
    std::unique_ptr<MessageLoop> CreateLoop() override;
    void PostQuit(int code) override { m_quit = code; }
    int MessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) override;

    // The windows made and not yet disposed of, oldest first.
    const std::vector<HeadlessWindow*>& GetWindows() const { return m_windows; }
    // The boxes shown without an owner; they answer as a window's do.
    const std::vector<HeadlessWindow::AskedBox>& GetMessageBoxes() const { return m_boxes.GetMessageBoxes(); }
    // Runs every window's pending work once; false when there was none.
    bool RunPending();
    // Calls `step` before each turn of the loops run from now on, so a test
    // can act while a modal loop runs.
    void OnLoopTurn(std::function<void()> step) { m_step = std::move(step); }

private:
    class Loop;

    std::vector<HeadlessWindow*> m_windows;
    std::vector<std::unique_ptr<NativeWindow>> m_disposed;
    std::optional<int> m_quit;
    std::function<void()> m_step;
    HeadlessWindow m_boxes{0, 0};
};
