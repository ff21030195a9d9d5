#include "ui_toolkit/host/HeadlessWindowSystem.h"

#include <algorithm>

namespace {

// A loop that finds nothing to do this many turns in a row has nothing left
// that could end it.
constexpr int kIdleTurnsBeforeGivingUp = 1000;
constexpr std::uint32_t kTurnMs = 10;

}  // namespace

class HeadlessWindowSystem::Loop : public MessageLoop {
public:
    explicit Loop(HeadlessWindowSystem& system) : m_system(system) {}

    std::optional<int> Run() override {
        m_ended = false;
        for (int idle = 0; idle < kIdleTurnsBeforeGivingUp;) {
            if (m_system.m_step) m_system.m_step();
            const bool worked = m_system.RunPending();
            if (m_ended) return std::nullopt;
            if (m_system.m_quit) {
                const int code = *m_system.m_quit;
                m_system.m_quit.reset();
                return code;
            }
            idle = worked ? 0 : idle + 1;
            // Time goes on, so timers fire.
            const std::vector<HeadlessWindow*> windows = m_system.m_windows;
            for (HeadlessWindow* window : windows) window->AdvanceTime(kTurnMs);
        }
        return std::nullopt;
    }

    void End() override { m_ended = true; }

private:
    HeadlessWindowSystem& m_system;
    bool m_ended = false;
};

HeadlessWindowSystem::HeadlessWindowSystem() = default;
HeadlessWindowSystem::~HeadlessWindowSystem() = default;

std::unique_ptr<NativeWindow> HeadlessWindowSystem::CreateWindow(int width, int height, NativeWindowClient* client) {
    auto window = std::make_unique<HeadlessWindow>(width, height);
    window->SetClient(client);
    m_windows.push_back(window.get());
    return window;
}

void HeadlessWindowSystem::DisposeWindow(std::unique_ptr<NativeWindow> window) {
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), window.get()), m_windows.end());
    window->SetClient(nullptr);
    m_disposed.push_back(std::move(window));
}

std::unique_ptr<MessageLoop> HeadlessWindowSystem::CreateLoop() {
    return std::make_unique<Loop>(*this);
}

int HeadlessWindowSystem::MessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) {
    return m_boxes.MessageBox(text, caption, flags);
}

bool HeadlessWindowSystem::RunPending() {
    m_disposed.clear();
    bool worked = false;
    const std::vector<HeadlessWindow*> windows = m_windows;
    for (HeadlessWindow* window : windows) {
        if (std::find(m_windows.begin(), m_windows.end(), window) == m_windows.end()) continue;
        worked = window->RunPending() || worked;
    }
    return worked;
}
