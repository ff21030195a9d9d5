#include "ui_toolkit/host/HeadlessWindow.h"

#include <utility>

#include "ui_toolkit/core/UiMessages.h"
#include "ui_toolkit/host/MessageBoxStyle.h"

HeadlessWindow::HeadlessWindow(int width, int height) : m_width(width), m_height(height), m_surface(width, height) {
    Invalidate(GetClientRect());
}

HeadlessWindow::~HeadlessWindow() = default;

UiRect HeadlessWindow::GetClientRect() const { return UiRect{0, 0, m_width, m_height}; }

void HeadlessWindow::Resize(int width, int height) {
    if (width == m_width && height == m_height) return;
    m_width = width;
    m_height = height;
    Canvas resized(width, height);
    resized.CopyFrom(m_surface, GetClientRect());
    m_surface = std::move(resized);
    Invalidate(GetClientRect());
    Send(kMsgSize, 0, MakePointParam(width, height));
}

void HeadlessWindow::Invalidate(const UiRect& rect) {
    UiRect area;
    if (!IntersectRect(&area, rect, GetClientRect())) return;
    m_update = m_update ? UnionRect(*m_update, area) : area;
}

bool HeadlessWindow::GetUpdateRect(UiRect* rect) const {
    if (!m_update) return false;
    *rect = *m_update;
    return true;
}

UiRect HeadlessWindow::BeginPaint() {
    m_paintBegun = true;
    const UiRect area = m_update.value_or(UiRect{});
    m_update.reset();
    return area;
}

void HeadlessWindow::EndPaint(const Canvas& canvas, const UiRect& rect) {
    m_surface.CopyFrom(canvas, rect);
    ++m_paintCount;
}

bool HeadlessWindow::SetTimer(std::uint32_t id, std::uint32_t periodMs) {
    m_timers[id] = Timer{periodMs, m_now + periodMs};
    return true;
}

void HeadlessWindow::KillTimer(std::uint32_t id) { m_timers.erase(id); }

std::uint32_t HeadlessWindow::GetTimerPeriod(std::uint32_t id) const {
    const auto found = m_timers.find(id);
    return found != m_timers.end() ? found->second.period : 0;
}

void HeadlessWindow::PostMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_queue.push_back(Queued{message, wParam, lParam, nullptr});
}

void HeadlessWindow::Post(std::function<void()> call) {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_queue.push_back(Queued{0, 0, 0, std::move(call)});
}

void HeadlessWindow::TrackMouse(std::uint32_t) { m_tracking = true; }

std::optional<UiPoint> HeadlessWindow::GetPointerInClient() const {
    if (m_pointer && GetClientRect().Contains(*m_pointer)) return m_pointer;
    return std::nullopt;
}

void HeadlessWindow::ShowToolTip(const std::wstring& text, int, UiPoint) { m_toolTip = text; }

void HeadlessWindow::Show(bool activate) {
    m_visible = true;
    if (activate) m_focused = true;
    // The first show tells the window its size, as a native window hears it.
    if (!m_shownOnce) {
        m_shownOnce = true;
        Send(kMsgSize, kSizeRestored, MakePointParam(m_width, m_height));
    }
}

UiRect HeadlessWindow::GetWindowRect() const {
    return UiRect{m_position.x, m_position.y, m_position.x + m_width, m_position.y + m_height};
}

void HeadlessWindow::ChangeShowState(WindowShowState state, const UiRect& frame, std::uint32_t sizeKind) {
    if (state == m_showState) return;
    if (m_showState == WindowShowState::kNormal) m_restoredFrame = GetWindowRect();
    m_showState = state;
    m_position = UiPoint{frame.left, frame.top};
    if (frame.GetWidth() != m_width || frame.GetHeight() != m_height) {
        m_width = frame.GetWidth();
        m_height = frame.GetHeight();
        Canvas resized(m_width, m_height);
        resized.CopyFrom(m_surface, GetClientRect());
        m_surface = std::move(resized);
        Invalidate(GetClientRect());
    }
    Send(kMsgSize, sizeKind, MakePointParam(m_width, m_height));
}

void HeadlessWindow::Minimize() {
    ChangeShowState(WindowShowState::kMinimized, GetWindowRect(), kSizeMinimized);
}

void HeadlessWindow::Maximize() {
    ChangeShowState(WindowShowState::kMaximized, m_workArea, kSizeMaximized);
}

void HeadlessWindow::Restore() {
    if (m_showState == WindowShowState::kNormal) return;
    const UiRect frame = m_showState == WindowShowState::kMaximized ? m_restoredFrame : GetWindowRect();
    ChangeShowState(WindowShowState::kNormal, frame, kSizeRestored);
}

int HeadlessWindow::MessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) {
    m_messageBoxes.push_back(AskedBox{text, caption, flags});
    if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.erase(m_answers.begin());
        return answer;
    }
    switch (flags & kMbButtonMask) {
        case kMbAbortRetryIgnore:
            return kIdAbort;
        case kMbYesNo:
            return kIdYes;
        default:
            return kIdOk;
    }
}

std::optional<std::wstring> HeadlessWindow::BrowseForFolder(const std::wstring& title) {
    m_folderDialogs.push_back(title);
    return m_folderAnswer;
}

void HeadlessWindow::SetTaskbarValue(std::uint64_t completed, std::uint64_t total) {
    m_taskbarCompleted = completed;
    m_taskbarTotal = total;
}

std::intptr_t HeadlessWindow::HitTest(int x, int y) {
    return Send(kMsgNcHitTest, 0, MakePointParam(m_position.x + x, m_position.y + y));
}

std::intptr_t HeadlessWindow::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return m_client != nullptr ? m_client->HandleMessage(message, wParam, lParam) : 0;
}

void HeadlessWindow::MouseMove(int x, int y) {
    m_pointer = UiPoint{x, y};
    Send(kMsgSetCursor, 0, MakePointParam(x, y));
    Send(kMsgMouseMove, m_keyState, MakePointParam(x, y));
}

void HeadlessWindow::LeftDown(int x, int y) {
    m_pointer = UiPoint{x, y};
    m_keyState |= kKeyStateLButton;
    Send(kMsgLButtonDown, m_keyState, MakePointParam(x, y));
}

void HeadlessWindow::LeftUp(int x, int y) {
    m_pointer = UiPoint{x, y};
    m_keyState &= static_cast<std::uint16_t>(~kKeyStateLButton);
    Send(kMsgLButtonUp, m_keyState, MakePointParam(x, y));
}

void HeadlessWindow::Click(int x, int y) {
    MouseMove(x, y);
    LeftDown(x, y);
    LeftUp(x, y);
}

void HeadlessWindow::KeyDown(std::uint32_t key) { Send(kMsgKeyDown, key, 0); }

void HeadlessWindow::KeyUp(std::uint32_t key) { Send(kMsgKeyUp, key, 0); }

void HeadlessWindow::Char(wchar_t character) { Send(kMsgChar, static_cast<std::uintptr_t>(character), 0); }

void HeadlessWindow::Hover() {
    if (!m_tracking || !m_pointer) return;
    m_tracking = false;
    Send(kMsgMouseHover, m_keyState, MakePointParam(m_pointer->x, m_pointer->y));
}

void HeadlessWindow::Leave() {
    if (!m_tracking) return;
    m_tracking = false;
    m_pointer.reset();
    Send(kMsgMouseLeave, 0, 0);
}

bool HeadlessWindow::RunOne() {
    Queued next;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (m_queue.empty()) return false;
        next = std::move(m_queue.front());
        m_queue.pop_front();
    }
    if (next.call) {
        next.call();
    } else {
        Send(next.message, next.wParam, next.lParam);
    }
    return true;
}

bool HeadlessWindow::RunPending() {
    // Queued messages come before painting, as in a native message loop. A
    // client that never begins painting, or one that asks for a new paint in
    // every paint, would keep the loop turning: stop after a bound instead.
    constexpr int kMaxPaintsInARow = 64;
    int paintsInARow = 0;
    bool worked = false;
    for (;;) {
        if (RunOne()) {
            worked = true;
            paintsInARow = 0;
            continue;
        }
        if (!m_update || paintsInARow++ == kMaxPaintsInARow) return worked;
        m_paintBegun = false;
        Send(kMsgPaint);
        if (!m_paintBegun) return worked;
        worked = true;
    }
}

void HeadlessWindow::AdvanceTime(std::uint32_t ms) {
    const std::uint64_t end = m_now + ms;
    for (;;) {
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->second.due <= end && (next == m_timers.end() || it->second.due < next->second.due)) next = it;
        }
        if (next == m_timers.end()) break;
        m_now = next->second.due;
        next->second.due += next->second.period == 0 ? 1 : next->second.period;
        Send(kMsgTimer, next->first, 0);
        RunPending();
    }
    m_now = end;
}

std::unique_ptr<NativeEdit> HeadlessWindow::CreateNativeEdit(const NativeEditOptions& options,
                                                             NativeEditListener* listener) {
    return std::make_unique<Entry>(*this, options, listener);
}

HeadlessWindow::Entry::Entry(HeadlessWindow& window, const NativeEditOptions& options, NativeEditListener* listener)
    : m_window(window), m_options(options), m_listener(listener) {
    m_window.m_edit = this;
    ++m_window.m_editsOpened;
}

HeadlessWindow::Entry::~Entry() {
    if (m_window.m_edit == this) m_window.m_edit = nullptr;
}

void HeadlessWindow::Entry::SetText(std::wstring_view text) {
    m_options.text = text;
    if (m_listener != nullptr) m_listener->OnNativeTextChanged(m_options.text);
}

void HeadlessWindow::Entry::Type(std::wstring_view text) {
    for (wchar_t c : text) {
        if (m_options.readOnly || !m_options.enabled) return;
        if (m_options.digitsOnly && (c < L'0' || c > L'9')) continue;
        if (static_cast<int>(m_options.text.size()) >= m_options.maxLength) return;
        m_options.text += c;
        if (m_listener != nullptr) m_listener->OnNativeTextChanged(m_options.text);
    }
}

void HeadlessWindow::Entry::PressReturn() {
    if (m_listener != nullptr) m_listener->OnNativeReturn();
}

void HeadlessWindow::Entry::LoseFocus() {
    if (m_listener != nullptr) m_listener->OnNativeFocusLost();
}
