#include "ui_toolkit/window/WindowWnd.h"

#include <sstream>
#include <utility>
#include <vector>

#include "ui_toolkit/core/ResourceFile.h"
#include "ui_toolkit/manager/PaintManager.h"

namespace {

// The messages that would come through the thread's queue on the platform
// the toolkit was written for: only these are offered for translation.
bool IsQueuedMessage(std::uint32_t message) {
    return (message >= kMsgKeyDown && message <= kMsgSysChar) ||
           (message >= kMsgMouseMove && message <= kMsgMouseLeave) || message == kMsgTimer;
}

}  // namespace

CWindowWnd::CWindowWnd(WindowSystem& system) : m_system(system) {}

CWindowWnd::~CWindowWnd() {
    // A window still open goes without its messages: the object handling
    // them is being destroyed.
    if (m_window != nullptr) m_system.DisposeWindow(std::move(m_window));
}

NativeWindow* CWindowWnd::Create(CWindowWnd* owner, const std::wstring& title, std::uint32_t style, std::uint32_t,
                                 int x, int y, int width, int height) {
    if (m_window != nullptr) return m_window.get();
    m_owner = owner;
    m_style = style;
    m_destroying = false;
    m_window =
        m_system.CreateWindow(width == kUseDefault ? 0 : width, height == kUseDefault ? 0 : height, &m_procedure);
    if (m_window == nullptr) return nullptr;
    m_window->SetTitle(title);
    if (x != kUseDefault && y != kUseDefault) m_window->Move(x, y);
    if (SendMessage(kMsgCreate) == -1) {
        DestroyWindow();
        return nullptr;
    }
    if (m_window != nullptr && (m_style & kStyleVisible) != 0) m_window->Show(true);
    return m_window.get();
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (m_window == nullptr) return;
    if (show) {
        m_window->Show(takeFocus);
    } else {
        m_window->Hide();
    }
}

std::intptr_t CWindowWnd::ShowModal() {
    if (m_window == nullptr) return -1;
    NativeWindow* owner = m_owner != nullptr ? m_owner->GetHWND() : nullptr;
    ShowWindow(true, true);
    if (owner != nullptr) owner->SetEnabled(false);
    const std::unique_ptr<MessageLoop> loop = m_system.CreateLoop();
    m_modalLoop = loop.get();
    m_modalResult = 0;
    const std::optional<int> quit = loop->Run();
    m_modalLoop = nullptr;
    owner = m_owner != nullptr ? m_owner->GetHWND() : nullptr;
    if (owner != nullptr) {
        owner->SetEnabled(true);
        owner->SetFocus();
    }
    // A quit request ends the loops outside this one too.
    if (quit) m_system.PostQuit(*quit);
    return m_modalResult;
}

void CWindowWnd::Close(std::intptr_t code) {
    if (m_window != nullptr) m_window->PostMessage(kMsgClose, static_cast<std::uintptr_t>(code), 0);
}

UiPoint CenteredPosition(const UiRect& window, const UiRect& target, const UiRect& workArea) {
    const int width = window.GetWidth();
    const int height = window.GetHeight();
    int x = (target.left + target.right) / 2 - width / 2;
    int y = (target.top + target.bottom) / 2 - height / 2;
    if (x < workArea.left) {
        x = workArea.left;
    } else if (x + width > workArea.right) {
        x = workArea.right - width;
    }
    if (y < workArea.top) {
        y = workArea.top;
    } else if (y + height > workArea.bottom) {
        y = workArea.bottom - height;
    }
    return UiPoint{x, y};
}

void CWindowWnd::CenterWindow() {
    if (m_window == nullptr) return;
    NativeWindow* owner = m_owner != nullptr ? m_owner->GetHWND() : nullptr;
    const UiRect workArea = owner != nullptr ? owner->GetWorkArea() : m_window->GetWorkArea();
    const bool onOwner = owner != nullptr && owner->GetShowState() != WindowShowState::kMinimized;
    const UiRect target = onOwner ? owner->GetWindowRect() : workArea;
    const UiPoint at = CenteredPosition(m_window->GetWindowRect(), target, workArea);
    m_window->Move(at.x, at.y);
}

void CWindowWnd::SetIcon(int id) {
    if (m_window == nullptr) return;
    // The group lists "size picture-id" per line; each picture is a PNG.
    std::vector<std::uint8_t> group;
    if (!ReadExecutableResource(id, "RT_GROUP_ICON", &group)) return;
    std::istringstream lines(std::string(group.begin(), group.end()));
    std::vector<std::vector<std::uint8_t>> pictures;
    int size = 0;
    int pictureId = 0;
    while (lines >> size >> pictureId) {
        std::vector<std::uint8_t> picture;
        if (ReadExecutableResource(pictureId, "RT_ICON", &picture)) pictures.push_back(std::move(picture));
    }
    if (!pictures.empty()) m_window->SetIcons(pictures);
}

void CWindowWnd::ResizeClient(int width, int height) {
    if (m_window == nullptr) return;
    const UiRect client = m_window->GetClientRect();
    m_window->Resize(width == -1 ? client.GetWidth() : width, height == -1 ? client.GetHeight() : height);
}

std::intptr_t CWindowWnd::SendMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (m_window == nullptr) return 0;
    return m_procedure.HandleMessage(message, wParam, lParam);
}

void CWindowWnd::PostMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (m_window != nullptr) m_window->PostMessage(message, wParam, lParam);
}

void CWindowWnd::DestroyWindow() {
    if (m_window == nullptr || m_destroying) return;
    m_destroying = true;
    m_window->Hide();
    HandleMessage(kMsgDestroy, 0, 0);
    HandleMessage(kMsgNcDestroy, 0, 0);
    std::unique_ptr<NativeWindow> window = std::move(m_window);
    if (m_modalLoop != nullptr) m_modalLoop->End();
    NativeWindow* gone = window.get();
    m_system.DisposeWindow(std::move(window));
    OnFinalMessage(gone);
}

std::intptr_t CWindowWnd::HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return DefWindowProc(message, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(NativeWindow*) {}

std::intptr_t CWindowWnd::DefWindowProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    switch (message) {
        case kMsgClose:
            DestroyWindow();
            return 0;
        case kMsgSysCommand:
            if (m_window == nullptr) return 0;
            switch (wParam & 0xFFF0) {
                case kScClose:
                    SendMessage(kMsgClose);
                    break;
                case kScMinimize:
                    m_window->Minimize();
                    break;
                case kScMaximize:
                    m_window->Maximize();
                    break;
                case kScRestore:
                    m_window->Restore();
                    break;
                default:
                    break;
            }
            return 0;
        case kMsgNcHitTest:
            return kHtClient;
        case kMsgNcActivate:
            return 1;
        default:
            return 0;
    }
}

std::intptr_t CWindowWnd::Procedure::HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (m_owner.m_window == nullptr) return 0;
    if (message == kMsgClose && m_owner.m_modalLoop != nullptr) {
        m_owner.m_modalResult = static_cast<std::intptr_t>(wParam);
        NativeWindow* owner = m_owner.m_owner != nullptr ? m_owner.m_owner->GetHWND() : nullptr;
        if (owner != nullptr) {
            owner->SetEnabled(true);
            owner->SetFocus();
        }
    }
    if (IsQueuedMessage(message)) {
        std::intptr_t result = 0;
        if (PaintManager::TranslateMessage(m_owner.m_window.get(), message, wParam, lParam, &result)) return result;
    }
    return m_owner.HandleMessage(message, wParam, lParam);
}
