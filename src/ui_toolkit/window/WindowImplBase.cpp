#include "ui_toolkit/window/WindowImplBase.h"

#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include "ui_toolkit/core/ResourceFile.h"
#include "ui_toolkit/core/ResourceSettings.h"
#include "ui_toolkit/core/TextCompare.h"
#include "ui_toolkit/host/MessageBoxStyle.h"

namespace {

UiPoint ClientPoint(const NativeWindow& window, std::intptr_t screenPoint) {
    const UiRect frame = window.GetWindowRect();
    return UiPoint{PointParamX(screenPoint) - frame.left, PointParamY(screenPoint) - frame.top};
}

// The resize zone of a client point, or kHtClient outside the size box. The
// client's right and bottom are exclusive, so each zone is its exact width.
std::intptr_t SizeBoxZone(UiPoint p, const UiRect& client, const UiRect& box) {
    const bool left = p.x < client.left + box.left;
    const bool right = p.x >= client.right - box.right;
    if (p.y < client.top + box.top) return left ? kHtTopLeft : right ? kHtTopRight : kHtTop;
    if (p.y >= client.bottom - box.bottom) return left ? kHtBottomLeft : right ? kHtBottomRight : kHtBottom;
    if (left) return kHtLeft;
    if (right) return kHtRight;
    return kHtClient;
}

// The skin archives read from the program's resources: a window's archive is
// the resource archive for the rest of the process, so its bytes stay.
const std::vector<std::uint8_t>* ArchiveResource(int id) {
    static std::map<int, std::vector<std::uint8_t>> archives;
    const auto found = archives.find(id);
    if (found != archives.end()) return &found->second;
    std::vector<std::uint8_t> bytes;
    if (!ReadExecutableResource(id, "ZIPRES", &bytes)) return nullptr;
    return &archives.emplace(id, std::move(bytes)).first->second;
}

}  // namespace

WindowImplBase::WindowImplBase(WindowSystem& system) : CWindowWnd(system) {
    AddNotifyTable().On(L"click", L"", [this](Notification& notification) { OnClick(notification); });
}

WindowImplBase::~WindowImplBase() = default;

void WindowImplBase::Notify(Notification& notification) {
    NotifyPump(notification);
}

std::intptr_t WindowImplBase::MessageHandler(std::uint32_t message, std::uintptr_t wParam, std::intptr_t,
                                             bool& handled) {
    // The key is answered and then still goes its usual way.
    if (message == kMsgKeyDown && (wParam == kVkReturn || wParam == kVkEscape)) ResponseDefaultKeyEvent(wParam);
    handled = false;
    return 0;
}

std::unique_ptr<CControlUI> WindowImplBase::CreateControl(std::wstring_view) {
    return nullptr;
}

void WindowImplBase::OnClick(Notification& notification) {
    if (notification.sender == nullptr) return;
    const std::wstring& name = notification.sender->GetName();
    if (name == L"closebtn") {
        Close(1);
    } else if (name == L"minbtn") {
        SendMessage(kMsgSysCommand, kScMinimize, 0);
    } else if (name == L"maxbtn") {
        SendMessage(kMsgSysCommand, kScMaximize, 0);
    } else if (name == L"restorebtn") {
        SendMessage(kMsgSysCommand, kScRestore, 0);
    }
}

bool WindowImplBase::ResponseDefaultKeyEvent(std::uintptr_t key) {
    if (key != kVkEscape) return false;
    Close(1);
    return true;
}

std::intptr_t WindowImplBase::HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    using Handler = std::intptr_t (WindowImplBase::*)(std::uint32_t, std::uintptr_t, std::intptr_t, bool&);
    static const std::pair<std::uint32_t, Handler> kHandlers[] = {
        {kMsgCreate, &WindowImplBase::OnCreate},
        {kMsgDestroy, &WindowImplBase::OnDestroy},
        {kMsgSize, &WindowImplBase::OnSize},
        {kMsgSetFocus, &WindowImplBase::OnSetFocus},
        {kMsgKillFocus, &WindowImplBase::OnKillFocus},
        {kMsgClose, &WindowImplBase::OnClose},
        {kMsgGetMinMaxInfo, &WindowImplBase::OnGetMinMaxInfo},
        {kMsgNcCalcSize, &WindowImplBase::OnNcCalcSize},
        {kMsgNcHitTest, &WindowImplBase::OnNcHitTest},
        {kMsgNcPaint, &WindowImplBase::OnNcPaint},
        {kMsgNcActivate, &WindowImplBase::OnNcActivate},
        {kMsgKeyDown, &WindowImplBase::OnKeyDown},
        {kMsgChar, &WindowImplBase::OnChar},
        {kMsgSysCommand, &WindowImplBase::OnSysCommand},
        {kMsgMouseMove, &WindowImplBase::OnMouseMove},
        {kMsgLButtonDown, &WindowImplBase::OnLButtonDown},
        {kMsgLButtonUp, &WindowImplBase::OnLButtonUp},
        {kMsgMouseWheel, &WindowImplBase::OnMouseWheel},
        {kMsgMouseHover, &WindowImplBase::OnMouseHover},
    };
    std::intptr_t result = 0;
    bool handled = false;
    for (const auto& [handledMessage, handler] : kHandlers) {
        if (handledMessage != message) continue;
        handled = true;
        result = (this->*handler)(message, wParam, lParam, handled);
        break;
    }
    if (handled) return result;
    handled = true;
    result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled) return result;
    if (m_pm.MessageHandler(message, wParam, lParam, &result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void WindowImplBase::OnFinalMessage(NativeWindow*) {
    m_pm.RemovePreMessageFilter(this);
    m_pm.RemoveNotifier(this);
    if (m_pm.GetRoot() != nullptr) m_pm.ReapObjects(m_pm.GetRoot());
    m_pm.DetachWindow();
}

std::intptr_t WindowImplBase::OnClose(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnDestroy(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnNcActivate(std::uint32_t, std::uintptr_t wParam, std::intptr_t, bool& handled) {
    if (GetHWND() != nullptr && GetHWND()->GetShowState() == WindowShowState::kMinimized) handled = false;
    return wParam == 0 ? 1 : 0;
}

std::intptr_t WindowImplBase::OnNcCalcSize(std::uint32_t, std::uintptr_t, std::intptr_t, bool&) {
    // The client area is the whole window; a maximised one is redrawn.
    constexpr std::intptr_t kRedraw = 0x300;
    const bool maximized = GetHWND() != nullptr && GetHWND()->GetShowState() == WindowShowState::kMaximized;
    return maximized ? kRedraw : 0;
}

std::intptr_t WindowImplBase::OnNcPaint(std::uint32_t, std::uintptr_t, std::intptr_t, bool&) {
    return 0;
}

std::intptr_t WindowImplBase::OnNcHitTest(std::uint32_t, std::uintptr_t, std::intptr_t lParam, bool&) {
    NativeWindow* window = GetHWND();
    if (window == nullptr) return kHtClient;
    const UiPoint p = ClientPoint(*window, lParam);
    const UiRect client = window->GetClientRect();
    if (window->GetShowState() != WindowShowState::kMaximized) {
        const std::intptr_t zone = SizeBoxZone(p, client, m_pm.GetSizeBox());
        if (zone != kHtClient) return zone;
    }
    // The caption's right counts from the client's right edge, its top and
    // bottom from the top.
    const UiRect caption = m_pm.GetCaptionRect();
    if (p.x >= client.left + caption.left && p.x < client.right - caption.right && p.y >= caption.top &&
        p.y < caption.bottom) {
        CControlUI* control = m_pm.FindControl(p);
        if (control != nullptr) {
            const std::wstring_view kind = control->GetClass();
            if (!EqualsIgnoringCase(kind, L"Button") && !EqualsIgnoringCase(kind, L"Option") &&
                !EqualsIgnoringCase(kind, L"Text")) {
                return kHtCaption;
            }
        }
    }
    return kHtClient;
}

std::intptr_t WindowImplBase::OnGetMinMaxInfo(std::uint32_t, std::uintptr_t, std::intptr_t lParam, bool& handled) {
    auto* info = reinterpret_cast<MinMaxInfo*>(lParam);
    if (info != nullptr && GetHWND() != nullptr) {
        const UiRect work = GetHWND()->GetWorkArea();
        info->maxPosition = UiPoint{work.left, work.top};
        info->maxSize = UiSize{work.GetWidth(), work.GetHeight()};
        info->minTrackSize = m_pm.GetMinInfo();
    }
    // The manager then applies the skin's limits.
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnMouseWheel(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnMouseHover(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnSize(std::uint32_t, std::uintptr_t wParam, std::intptr_t, bool& handled) {
    const UiSize corner = m_pm.GetRoundCorner();
    if (GetHWND() != nullptr && wParam != kSizeMinimized && (corner.cx != 0 || corner.cy != 0)) {
        GetHWND()->SetRoundCorners(corner);
    }
    // Maximising may finish after the command that asked for it.
    SyncMaximizeButtons();
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnChar(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnSysCommand(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, bool&) {
    if ((wParam & 0xFFF0) == kScClose) {
        SendMessage(kMsgClose);
        return 0;
    }
    const std::intptr_t result = CWindowWnd::HandleMessage(message, wParam, lParam);
    SyncMaximizeButtons();
    return result;
}

void WindowImplBase::SyncMaximizeButtons() {
    if (GetHWND() == nullptr) return;
    const bool maximized = GetHWND()->GetShowState() == WindowShowState::kMaximized;
    if (maximized == m_maximized) return;
    m_maximized = maximized;
    CControlUI* maxButton = m_pm.FindControl(L"maxbtn");
    CControlUI* restoreButton = m_pm.FindControl(L"restorebtn");
    if (maxButton == nullptr || restoreButton == nullptr) return;
    maxButton->SetVisible(!maximized);
    restoreButton->SetVisible(maximized);
}

std::intptr_t WindowImplBase::OnCreate(std::uint32_t, std::uintptr_t, std::intptr_t, bool&) {
    NativeWindow* window = GetHWND();
    SetWindowStyle((GetWindowStyle() & ~kStyleCaption) | kStyleClipChildren | kStyleClipSiblings);
    // At the screen origin until the skin's size and the caller's centring
    // place it.
    window->Move(0, 0);

    m_pm.Init(window);
    m_pm.AddPreMessageFilter(this);
    std::unique_ptr<CControlUI> root = BuildSkin();
    if (root == nullptr) {
        GetWindowSystem().MessageBox(L"加载资源文件失败", L"Error", kMbOk | kMbIconError);
        std::exit(1);
    }
    m_pm.AttachRoot(std::move(root));
    m_pm.AddNotifier(this);
    InitWindow();
    return 0;
}

std::unique_ptr<CControlUI> WindowImplBase::BuildSkin() {
    if (ResourceSettings::GetResourceFolder().empty()) {
        ResourceSettings::SetResourceFolder(ResourceSettings::GetInstanceFolder() + GetSkinFolder());
    }
    const ResourceKind kind = GetResourceKind();
    if (kind == ResourceKind::FromArchiveFile) {
        ResourceSettings::SetResourceArchiveFile(GetArchiveFileName(), true);
    } else if (kind == ResourceKind::FromArchiveResource) {
        const std::vector<std::uint8_t>* archive = ArchiveResource(GetResourceId());
        if (archive != nullptr) ResourceSettings::SetResourceArchiveMemory(archive->data(), archive->size());
    }
    SkinBuilder builder;
    const std::wstring skinFile = GetSkinFile();
    bool loaded = false;
    if (kind == ResourceKind::FromResource) {
        wchar_t* end = nullptr;
        const long id = std::wcstol(skinFile.c_str(), &end, 10);
        loaded = !skinFile.empty() && *end == L'\0' && builder.Load(static_cast<int>(id), "xml");
    } else {
        loaded = builder.Load(skinFile);
    }
    return loaded ? builder.Build(this, &m_pm) : nullptr;
}

std::intptr_t WindowImplBase::OnKeyDown(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnKillFocus(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnSetFocus(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnLButtonDown(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnLButtonUp(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::OnMouseMove(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::intptr_t WindowImplBase::HandleCustomMessage(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
    handled = false;
    return 0;
}

std::uint32_t WindowImplBase::GetStyle() const {
    return GetWindowStyle() & ~kStyleCaption;
}
