#include "ui_toolkit/manager/PaintManager.h"

#include <algorithm>
#include <cwctype>

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/core/TextCompare.h"
#include "ui_toolkit/core/TextSubstitution.h"
#include "ui_toolkit/core/UiMessages.h"
#include "ui_toolkit/host/NativeWindow.h"
#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/ClipScope.h"
#include "ui_toolkit/render/DrawPrimitives.h"

namespace {

constexpr std::size_t kMaxFontFaceLength = 32;
// Fonts made on demand (style variants for marked-up text) are numbered from
// here on, above any id a skin uses.
constexpr int kFirstCreatedFontId = 30000;
constexpr std::intptr_t kMouseActivateNoActivate = 3;

template <typename T>
void Erase(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

std::map<std::wstring, std::wstring, std::less<>>& SharedDefaultAttributes() {
    static std::map<std::wstring, std::wstring, std::less<>> lists;
    return lists;
}

UiPoint PointOf(std::intptr_t lParam) { return UiPoint{PointParamX(lParam), PointParamY(lParam)}; }

}  // namespace

DefaultColors& PaintManager::ProcessDefaultColors() {
    static DefaultColors colors;
    return colors;
}

namespace {

// Every manager of the process, for translating the modal loop's messages.
std::vector<PaintManager*>& Managers() {
    static std::vector<PaintManager*> managers;
    return managers;
}

}  // namespace

PaintManager::PaintManager() : m_colors(ProcessDefaultColors()) {
    Managers().push_back(this);
}

PaintManager::~PaintManager() {
    auto& managers = Managers();
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
    for (const TimerRecord& record : m_timers) {
        if (!record.killed && m_window != nullptr) m_window->KillTimer(record.windowTimerId);
    }
    m_timers.clear();
    // Controls being deleted report to the manager, whose state is still
    // whole at this point.
    m_delayedCleanup.clear();
    m_root.reset();
}

void PaintManager::Init(NativeWindow* window, std::wstring_view name) {
    m_nameMap.clear();
    m_fonts.RemoveAll();
    m_images.RemoveAllImages();
    m_defaultAttributes.clear();
    m_windowAttributes.clear();
    m_optionGroups.clear();
    for (const TimerRecord& record : m_timers) {
        if (!record.killed && m_window != nullptr) m_window->KillTimer(record.windowTimerId);
    }
    m_timers.clear();
    m_name = name;
    m_window = window;
}

void PaintManager::DetachWindow() {
    if (m_window == nullptr) return;
    SetFocus(nullptr, false);
    m_window->HideToolTip();
    for (const TimerRecord& record : m_timers) {
        if (!record.killed) m_window->KillTimer(record.windowTimerId);
    }
    m_timers.clear();
    m_window = nullptr;
}

bool PaintManager::TranslateMessage(NativeWindow* window, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam, std::intptr_t* result) {
    if (window == nullptr) return false;
    // A handler may create or destroy managers: walk a copy.
    const std::vector<PaintManager*> managers = Managers();
    for (PaintManager* manager : managers) {
        if (manager->m_window == window && manager->PreMessageHandler(message, wParam, lParam, result)) return true;
    }
    return false;
}

bool PaintManager::AttachRoot(std::unique_ptr<CControlUI> root) {
    SetFocus(nullptr);
    m_hover = nullptr;
    m_click = nullptr;
    m_key = nullptr;
    if (m_window != nullptr) m_window->HideToolTip();
    if (m_root != nullptr) AddDelayedCleanup(std::move(m_root));
    m_root = std::move(root);
    if (m_root == nullptr) return false;
    m_updateNeeded = true;
    m_firstLayout = true;
    m_focusNeeded = true;
    InitControls(m_root.get());
    return true;
}

void PaintManager::InitControls(CControlUI* control, CControlUI* parent) {
    if (control == nullptr) return;
    control->SetManager(this, parent != nullptr ? parent : control->GetParent(), true);
    control->FindControl(
        [this](CControlUI* found, const void*) -> CControlUI* {
            if (!found->GetName().empty()) m_nameMap[found->GetName()] = found;
            return nullptr;
        },
        nullptr, kFindAll);
}

void PaintManager::ReapObjects(CControlUI* control) {
    if (m_focus == control) m_focus = nullptr;
    if (m_hover == control) m_hover = nullptr;
    if (m_click == control) m_click = nullptr;
    if (m_key == control) m_key = nullptr;
    KillTimer(control);
    if (!control->GetName().empty()) {
        const auto found = m_nameMap.find(control->GetName());
        if (found != m_nameMap.end() && found->second == control) m_nameMap.erase(found);
    }
    Erase(m_postPaintControls, control);
    Erase(m_mouseLeaveNeeded, control);
    for (auto& group : m_optionGroups) Erase(group.second, control);
    m_asyncNotifications.remove_if([control](const Notification& n) { return n.sender == control; });
}

void PaintManager::RenameControl(CControlUI* control, const std::wstring& oldName) {
    const auto found = m_nameMap.find(oldName);
    if (found != m_nameMap.end() && found->second == control) m_nameMap.erase(found);
    if (!control->GetName().empty()) m_nameMap[control->GetName()] = control;
}

void PaintManager::AddDelayedCleanup(std::unique_ptr<CControlUI> control) {
    if (control == nullptr) return;
    m_delayedCleanup.push_back(std::move(control));
    PostAsyncNotify();
}

CControlUI* PaintManager::FindControl(std::wstring_view name) const {
    const auto found = m_nameMap.find(std::wstring(name));
    return found != m_nameMap.end() ? found->second : nullptr;
}

CControlUI* PaintManager::FindControl(UiPoint point) const {
    if (m_root == nullptr) return nullptr;
    return m_root->FindControl([](CControlUI* control, const void*) { return control; }, &point,
                               kFindVisible | kFindHitTest | kFindTopFirst);
}

CControlUI* PaintManager::FindSubControl(CControlUI* parent, std::wstring_view name) const {
    if (parent == nullptr) parent = m_root.get();
    if (parent == nullptr) return nullptr;
    return parent->FindControl(
        [name](CControlUI* control, const void*) {
            return EqualsIgnoringCase(control->GetName(), name) ? control : nullptr;
        },
        nullptr, kFindAll);
}

void PaintManager::SetFocus(CControlUI* control, bool focusWindow) {
    // A control given the focus keeps it: a move to the first tab stop still
    // waiting for a paint no longer applies.
    if (control != nullptr) m_focusNeeded = false;
    if (focusWindow && m_window != nullptr && !m_window->HasFocus() && control != m_focus && !m_noActivate) {
        m_window->SetFocus();
    }
    if (control == m_focus) return;
    if (m_focus != nullptr) {
        CControlUI* old = m_focus;
        Dispatch(old, kEventKillFocus, m_lastMousePos, 0, 0, 0, control);
        SendNotify(old, L"killfocus");
        m_focus = nullptr;
    }
    if (control == nullptr) return;
    if (BelongsHere(control) && control->IsVisible() && control->IsEnabled()) {
        m_focus = control;
        Dispatch(control, kEventSetFocus, m_lastMousePos);
        SendNotify(control, L"setfocus");
    }
}

void PaintManager::SetFocusNeeded(CControlUI* control) {
    if (!m_noActivate && m_window != nullptr) m_window->SetFocus();
    if (control == nullptr) return;
    if (m_focus != nullptr) {
        CControlUI* old = m_focus;
        Dispatch(old, kEventKillFocus, m_lastMousePos, 0, 0, 0, control);
        SendNotify(old, L"killfocus");
        m_focus = nullptr;
    }
    // The next paint moves the focus forward once, from the tab stop before
    // `control` onto it.
    m_focus = FindPreviousTabStop(control);
    m_focusNeeded = true;
    if (m_root != nullptr) m_root->RequestLayout();
}

namespace {

// Visits the tree in order, each control before its children, skipping
// hidden and disabled subtrees.
void VisitEnabled(CControlUI* control, const std::function<void(CControlUI*)>& visit) {
    control->FindControl(
        [&visit](CControlUI* found, const void*) -> CControlUI* {
            visit(found);
            return nullptr;
        },
        nullptr, kFindVisible | kFindEnabled | kFindMeFirst);
}

bool IsTabStop(const CControlUI* control) { return (control->GetInputFlags() & kInputTabStop) != 0; }

}  // namespace

CControlUI* PaintManager::FindPreviousTabStop(CControlUI* control) const {
    if (m_root == nullptr) return nullptr;
    CControlUI* previous = nullptr;
    bool reached = false;
    VisitEnabled(m_root.get(), [&](CControlUI* found) {
        if (found == control) reached = true;
        if (!reached && IsTabStop(found)) previous = found;
    });
    return reached ? previous : nullptr;
}

bool PaintManager::SetNextTabControl(bool forward) {
    // While a layout is pending the order may change: decide after it.
    if (m_updateNeeded && forward) {
        m_focusNeeded = true;
        Invalidate();
        return true;
    }
    m_focusNeeded = false;
    if (m_root == nullptr) return false;
    CControlUI* first = nullptr;
    CControlUI* last = nullptr;
    CControlUI* before = nullptr;
    CControlUI* after = nullptr;
    bool passedFocus = false;
    VisitEnabled(m_root.get(), [&](CControlUI* found) {
        if (found == m_focus) {
            passedFocus = true;
            return;
        }
        if (!IsTabStop(found)) return;
        if (first == nullptr) first = found;
        last = found;
        if (!passedFocus) before = found;
        if (passedFocus && after == nullptr) after = found;
    });
    CControlUI* target = nullptr;
    if (m_focus == nullptr || !passedFocus) {
        target = forward ? first : last;
    } else if (forward) {
        target = after != nullptr ? after : first;
    } else {
        target = before != nullptr ? before : last;
    }
    if (target != nullptr) SetFocus(target, true);
    return true;
}

void PaintManager::SendNotify(CControlUI* sender, std::wstring_view type, std::uintptr_t wParam, std::intptr_t lParam,
                              bool async, bool allowRepeat) {
    Notification notification;
    notification.type = type;
    notification.sender = sender;
    notification.wParam = wParam;
    notification.lParam = lParam;
    SendNotify(notification, async, allowRepeat);
}

void PaintManager::SendNotify(Notification& notification, bool async, bool allowRepeat) {
    notification.mouse = m_lastMousePos;
    notification.timestamp = GetTickCount();
    if (m_usesVirtualWindows && notification.sender != nullptr) {
        notification.virtualWindow = notification.sender->GetVirtualWindow();
    }
    if (!async) {
        DeliverNotification(notification);
        return;
    }
    if (!allowRepeat) {
        for (Notification& pending : m_asyncNotifications) {
            if (pending.sender == notification.sender && pending.type == notification.type) {
                pending = notification;
                return;
            }
        }
    }
    m_asyncNotifications.push_back(notification);
    PostAsyncNotify();
}

void PaintManager::DeliverNotification(Notification& notification) {
    if (notification.sender != nullptr) notification.sender->OnNotify.Run(notification);
    // A notifier may add or remove notifiers; the index keeps up with that.
    for (std::size_t i = 0; i < m_notifiers.size(); ++i) m_notifiers[i]->Notify(notification);
}

void PaintManager::PostAsyncNotify() {
    if (m_asyncPosted || m_window == nullptr) return;
    m_window->PostMessage(kMsgAsyncNotify, 0, 0);
    m_asyncPosted = true;
}

void PaintManager::DeliverAsyncNotifications() {
    m_asyncPosted = false;
    while (!m_asyncNotifications.empty()) {
        Notification notification = std::move(m_asyncNotifications.front());
        m_asyncNotifications.pop_front();
        DeliverNotification(notification);
    }
    std::vector<std::unique_ptr<CControlUI>> doomed = std::move(m_delayedCleanup);
    m_delayedCleanup.clear();
    doomed.clear();
}

void PaintManager::AddNotifier(INotifyUI* notifier) {
    if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end()) {
        m_notifiers.push_back(notifier);
    }
}

void PaintManager::RemoveNotifier(INotifyUI* notifier) { Erase(m_notifiers, notifier); }

void PaintManager::AddPreMessageFilter(IMessageFilterUI* filter) {
    if (std::find(m_preMessageFilters.begin(), m_preMessageFilters.end(), filter) == m_preMessageFilters.end()) {
        m_preMessageFilters.push_back(filter);
    }
}

void PaintManager::RemovePreMessageFilter(IMessageFilterUI* filter) { Erase(m_preMessageFilters, filter); }

void PaintManager::AddMessageFilter(IMessageFilterUI* filter) {
    if (std::find(m_messageFilters.begin(), m_messageFilters.end(), filter) == m_messageFilters.end()) {
        m_messageFilters.push_back(filter);
    }
}

void PaintManager::RemoveMessageFilter(IMessageFilterUI* filter) { Erase(m_messageFilters, filter); }

void PaintManager::AddPostPaint(CControlUI* control) {
    if (std::find(m_postPaintControls.begin(), m_postPaintControls.end(), control) == m_postPaintControls.end()) {
        m_postPaintControls.push_back(control);
    }
}

void PaintManager::RemovePostPaint(CControlUI* control) { Erase(m_postPaintControls, control); }

void PaintManager::AddMouseLeaveNeeded(CControlUI* control) {
    if (std::find(m_mouseLeaveNeeded.begin(), m_mouseLeaveNeeded.end(), control) == m_mouseLeaveNeeded.end()) {
        m_mouseLeaveNeeded.push_back(control);
    }
}

void PaintManager::RemoveMouseLeaveNeeded(CControlUI* control) { Erase(m_mouseLeaveNeeded, control); }

bool PaintManager::SetTimer(CControlUI* control, std::uint32_t timer, std::uint32_t periodMs) {
    if (m_window == nullptr) return false;
    for (TimerRecord& record : m_timers) {
        if (record.sender != control || record.timer != timer) continue;
        if (!record.killed) return false;
        if (!m_window->SetTimer(record.windowTimerId, periodMs)) return false;
        record.killed = false;
        return true;
    }
    m_timerCounter = (m_timerCounter + 1) % 255;
    if (!m_window->SetTimer(m_timerCounter, periodMs)) return false;
    m_timers.push_back(TimerRecord{control, timer, m_timerCounter, false});
    return true;
}

bool PaintManager::KillTimer(CControlUI* control, std::uint32_t timer) {
    for (TimerRecord& record : m_timers) {
        if (record.sender != control || record.timer != timer || record.killed) continue;
        if (m_window != nullptr) m_window->KillTimer(record.windowTimerId);
        record.killed = true;
        return true;
    }
    return false;
}

void PaintManager::KillTimer(CControlUI* control) {
    for (const TimerRecord& record : m_timers) {
        if (record.sender == control && !record.killed && m_window != nullptr) {
            m_window->KillTimer(record.windowTimerId);
        }
    }
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(),
                                  [control](const TimerRecord& record) { return record.sender == control; }),
                   m_timers.end());
}

bool PaintManager::OnTimer(std::uint32_t windowTimerId, std::intptr_t lParam) {
    for (const TimerRecord& record : m_timers) {
        if (record.windowTimerId != windowTimerId || record.killed) continue;
        Dispatch(record.sender, kEventTimer, m_lastMousePos, record.timer, lParam);
        return true;
    }
    return false;
}

bool PaintManager::AddOptionGroup(std::wstring_view group, CControlUI* option) {
    auto found = m_optionGroups.find(group);
    if (found == m_optionGroups.end()) found = m_optionGroups.emplace(std::wstring(group), std::vector<CControlUI*>()).first;
    std::vector<CControlUI*>& options = found->second;
    if (std::find(options.begin(), options.end(), option) != options.end()) return false;
    options.push_back(option);
    return true;
}

const std::vector<CControlUI*>* PaintManager::GetOptionGroup(std::wstring_view group) const {
    const auto found = m_optionGroups.find(group);
    return found != m_optionGroups.end() ? &found->second : nullptr;
}

void PaintManager::RemoveOptionGroup(std::wstring_view group, CControlUI* option) {
    const auto found = m_optionGroups.find(group);
    if (found == m_optionGroups.end()) return;
    Erase(found->second, option);
    if (found->second.empty()) m_optionGroups.erase(found);
}

void PaintManager::Invalidate(const UiRect& rect) {
    if (m_window == nullptr) return;
    UiRect area;
    if (IntersectRect(&area, rect, m_window->GetClientRect())) m_window->Invalidate(area);
}

void PaintManager::Invalidate() {
    if (m_window != nullptr) m_window->Invalidate(m_window->GetClientRect());
}

void PaintManager::SetWindowAttribute(std::wstring_view name, std::wstring_view value) {
    if (EqualsIgnoringCase(name, L"size")) {
        const UiSize size = ParseSize(value);
        SetInitSize(size.cx, size.cy);
    } else if (EqualsIgnoringCase(name, L"sizebox")) {
        m_sizeBox = ParseRect(value);
    } else if (EqualsIgnoringCase(name, L"caption")) {
        m_caption = ParseRect(value);
    } else if (EqualsIgnoringCase(name, L"roundcorner")) {
        m_roundCorner = ParseSize(value);
    } else if (EqualsIgnoringCase(name, L"mininfo")) {
        m_minInfo = ParseSize(value);
    } else if (EqualsIgnoringCase(name, L"maxinfo")) {
        m_maxInfo = ParseSize(value);
    } else if (EqualsIgnoringCase(name, L"showdirty")) {
        m_showUpdateRect = ParseBool(value);
    } else if (name == L"noactivate") {
        m_noActivate = ParseBool(value);
    } else if (EqualsIgnoringCase(name, L"opacity")) {
        m_opacity = ParseInt(value);
    } else if (name == L"layeredopacity" || name == L"layeredimage") {
        // Layered painting is not offered; skins that ask for it draw opaque.
    } else if (EqualsIgnoringCase(name, L"disabledfontcolor")) {
        m_colors.disabledText = ParseColor(value);
    } else if (EqualsIgnoringCase(name, L"defaultfontcolor")) {
        m_colors.text = ParseColor(value);
    } else if (EqualsIgnoringCase(name, L"linkfontcolor")) {
        m_colors.linkText = ParseColor(value);
    } else if (EqualsIgnoringCase(name, L"linkhoverfontcolor")) {
        m_colors.linkHoverText = ParseColor(value);
    } else if (EqualsIgnoringCase(name, L"selectedcolor")) {
        m_colors.selectedBackground = ParseColor(value);
    } else {
        m_windowAttributes.emplace(std::wstring(name), std::wstring(value));
    }
}

const std::wstring* PaintManager::GetWindowAttribute(std::wstring_view name) const {
    const auto found = m_windowAttributes.find(name);
    return found != m_windowAttributes.end() ? &found->second : nullptr;
}

void PaintManager::SetInitSize(int width, int height) {
    m_initSize = UiSize{width, height};
    if (m_root == nullptr && m_window != nullptr) m_window->Resize(width, height);
}

const ImageEntry* PaintManager::AddImage(std::wstring_view name, std::wstring_view resourceType, ArgbColor mask,
                                         bool hsl, bool shared) {
    return m_images.AddImage(name, resourceType, mask, hsl, shared);
}

const ImageEntry* PaintManager::GetImage(std::wstring_view name) const { return m_images.GetImage(name); }

const ImageEntry* PaintManager::GetImageEx(std::wstring_view name, std::wstring_view resourceType, ArgbColor mask,
                                           bool hsl) {
    return m_images.GetImageEx(name, resourceType, mask, hsl);
}

const FontEntry* PaintManager::AddFont(int id, std::wstring_view face, int size, bool bold, bool underline,
                                       bool italic, bool shared) {
    const FontEntry font{std::wstring(face.substr(0, kMaxFontFaceLength)), size, bold, underline, italic};
    return m_fonts.Add(id, font, shared);
}

const FontEntry& PaintManager::GetFontInfo(int id) const {
    const FontEntry* found = m_fonts.Find(id);
    const FontEntry& font = found != nullptr ? *found : m_fonts.GetDefault();
    font.GetMetrics();
    return font;
}

const FontEntry* PaintManager::FindOrAddFont(std::wstring_view face, int size, bool bold, bool underline,
                                             bool italic) {
    const std::wstring_view stored = face.substr(0, kMaxFontFaceLength);
    if (const FontEntry* found = m_fonts.FindByStyle(stored, size, bold, underline, italic)) return found;
    static int nextId = kFirstCreatedFontId;
    return AddFont(nextId++, stored, size, bold, underline, italic);
}

void PaintManager::SetDefaultFont(std::wstring_view face, int size, bool bold, bool underline, bool italic,
                                  bool shared) {
    const FontEntry font{std::wstring(face.substr(0, kMaxFontFaceLength)), size, bold, underline, italic};
    m_fonts.SetDefault(font, shared);
}

void PaintManager::AddDefaultAttributeList(std::wstring_view element, std::wstring_view list, bool shared) {
    auto& lists = shared ? SharedDefaultAttributes() : m_defaultAttributes;
    lists[std::wstring(element)] = std::wstring(list);
}

const std::wstring* PaintManager::GetDefaultAttributeList(std::wstring_view element) const {
    auto found = m_defaultAttributes.find(element);
    if (found != m_defaultAttributes.end()) return &found->second;
    found = SharedDefaultAttributes().find(element);
    return found != SharedDefaultAttributes().end() ? &found->second : nullptr;
}

std::uint16_t PaintManager::GetKeyState() const { return m_window != nullptr ? m_window->GetKeyState() : 0; }

std::uint32_t PaintManager::GetTickCount() const { return m_window != nullptr ? m_window->GetTickCount() : 0; }

void PaintManager::Dispatch(CControlUI* control, int kind, UiPoint point, std::uintptr_t wParam,
                            std::intptr_t lParam, wchar_t key, CControlUI* sender) {
    ControlEvent event;
    event.kind = kind;
    event.sender = sender != nullptr ? sender : control;
    event.timestamp = GetTickCount();
    event.mouse = point;
    event.key = key;
    event.keyState = GetKeyState();
    event.wParam = wParam;
    event.lParam = lParam;
    control->DispatchEvent(event);
}

bool PaintManager::FocusShortcut(wchar_t shortcut) {
    if (m_root == nullptr) return false;
    const wchar_t wanted = static_cast<wchar_t>(std::towupper(shortcut));
    bool pickNext = false;
    CControlUI* found = m_root->FindControl(
        [&](CControlUI* control, const void*) -> CControlUI* {
            if (!control->IsVisible()) return nullptr;
            if (control->GetShortcut() != 0 && static_cast<wchar_t>(std::towupper(control->GetShortcut())) == wanted) {
                pickNext = true;
            }
            // A label names the control that follows it and never takes the focus.
            if (control->GetClass() == L"Label") return nullptr;
            return pickNext ? control : nullptr;
        },
        nullptr, kFindEnabled | kFindMeFirst | kFindTopFirst);
    if (found == nullptr) return false;
    found->SetFocus();
    found->Activate();
    return true;
}

bool PaintManager::PreMessageHandler(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                     std::intptr_t* result) {
    for (std::size_t i = 0; i < m_preMessageFilters.size(); ++i) {
        bool handled = false;
        const std::intptr_t answer = m_preMessageFilters[i]->MessageHandler(message, wParam, lParam, handled);
        if (handled) {
            *result = answer;
            return true;
        }
    }
    switch (message) {
        case kMsgKeyDown:
            if (wParam == kVkTab) {
                SetNextTabControl((GetKeyState() & kKeyStateShift) == 0);
                *result = 0;
                return true;
            }
            break;
        case kMsgSysKeyDown:
            if (m_focus != nullptr) Dispatch(m_focus, kEventSysKey, m_lastMousePos, wParam, lParam, static_cast<wchar_t>(wParam));
            break;
        case kMsgSysChar:
            if (FocusShortcut(static_cast<wchar_t>(wParam))) {
                *result = 0;
                return true;
            }
            break;
        default:
            break;
    }
    return false;
}

void PaintManager::OnPaint() {
    const UiRect client = m_window->GetClientRect();
    if (m_offscreen == nullptr || m_offscreen->GetWidth() != client.GetWidth() ||
        m_offscreen->GetHeight() != client.GetHeight()) {
        m_offscreen = std::make_unique<Canvas>(client.GetWidth(), client.GetHeight());
    }
    if (m_root == nullptr) {
        const UiRect area = m_window->BeginPaint();
        DrawColor(*m_offscreen, area, 0xFF000000);
        m_window->EndPaint(*m_offscreen, area);
        return;
    }
    UiRect pending;
    if (!m_window->GetUpdateRect(&pending)) return;

    if (m_focusNeeded) SetNextTabControl();
    if (m_updateNeeded) {
        m_updateNeeded = false;
        if (!client.IsEmpty()) {
            if (m_root->IsLayoutNeeded()) {
                m_root->SetPos(client, true);
            } else {
                std::vector<CControlUI*> outdated;
                m_root->FindControl(
                    [&outdated](CControlUI* control, const void*) -> CControlUI* {
                        if (!control->IsLayoutNeeded()) return nullptr;
                        outdated.push_back(control);
                        return control;
                    },
                    nullptr, kFindVisible | kFindMeFirst | kFindUpdateTest);
                for (CControlUI* control : outdated) {
                    control->SetPos(control->IsFloat() ? control->GetRelativePos() : control->GetPos(), true);
                }
            }
            if (m_firstLayout) {
                m_firstLayout = false;
                SendNotify(m_root.get(), L"windowinit");
            }
        }
    }

    const UiRect area = m_window->BeginPaint();
    if (!area.IsEmpty() && m_root != nullptr) {
        ClipScope clip(*m_offscreen, area);
        m_root->Paint(*m_offscreen, area, nullptr);
        for (std::size_t i = 0; i < m_postPaintControls.size(); ++i) {
            m_postPaintControls[i]->PaintAfter(*m_offscreen, area);
        }
        if (m_showUpdateRect) DrawRect(*m_offscreen, area, 1, 0xFFFF0000);
    }
    m_window->EndPaint(*m_offscreen, area);
    // A layout or a focus move asked for while painting needs another turn.
    if (m_updateNeeded || m_focusNeeded) Invalidate();
}

void PaintManager::OnMouseMove(UiPoint point, std::uint16_t keyState) {
    if (!m_mouseTracking) {
        m_window->TrackMouse(m_hoverTime);
        m_mouseTracking = true;
    }
    m_lastMousePos = point;
    CControlUI* newHover = FindControl(point);
    if (newHover != nullptr && !BelongsHere(newHover)) return;
    if (!m_mouseCapture) {
        if (newHover != m_hover && m_hover != nullptr) {
            for (std::size_t i = 0; i < m_mouseLeaveNeeded.size(); ++i) {
                Dispatch(m_mouseLeaveNeeded[i], kEventMouseLeave, point, keyState, 0, 0, m_hover);
            }
            if (m_hover != nullptr) Dispatch(m_hover, kEventMouseLeave, point, keyState);
            m_hover = nullptr;
            m_window->HideToolTip();
        }
        if (newHover != m_hover && newHover != nullptr) {
            Dispatch(newHover, kEventMouseEnter, point, keyState);
            m_hover = newHover;
        }
    }
    if (m_click != nullptr) {
        Dispatch(m_click, kEventMouseMove, point, keyState);
    } else if (newHover != nullptr) {
        Dispatch(newHover, kEventMouseMove, point, keyState);
    }
}

bool PaintManager::MessageHandler(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                  std::intptr_t* result) {
    if (m_window == nullptr) return false;
    const bool isMouse = message >= kMsgMouseMove && message <= kMsgMouseWheel;
    for (std::size_t i = 0; i < m_messageFilters.size(); ++i) {
        bool handled = false;
        const std::intptr_t answer = m_messageFilters[i]->MessageHandler(message, wParam, lParam, handled);
        if (handled) {
            if (isMouse) m_lastMousePos = PointOf(lParam);
            *result = answer;
            return true;
        }
    }
    *result = 0;
    switch (message) {
        case kMsgAsyncNotify:
            DeliverAsyncNotifications();
            return true;
        case kMsgClose:
            if (m_hover != nullptr) Dispatch(m_hover, kEventMouseLeave, m_lastMousePos);
            if (m_click != nullptr) Dispatch(m_click, kEventButtonUp, m_lastMousePos);
            SetFocus(nullptr);
            m_window->HideToolTip();
            return false;
        case kMsgEraseBackground:
            *result = 1;
            return true;
        case kMsgGetMinMaxInfo: {
            auto* info = reinterpret_cast<MinMaxInfo*>(lParam);
            if (info == nullptr) return false;
            if (m_minInfo.cx > 0) info->minTrackSize.cx = m_minInfo.cx;
            if (m_minInfo.cy > 0) info->minTrackSize.cy = m_minInfo.cy;
            if (m_maxInfo.cx > 0) info->maxTrackSize.cx = m_maxInfo.cx;
            if (m_maxInfo.cy > 0) info->maxTrackSize.cy = m_maxInfo.cy;
            return false;
        }
        case kMsgPaint:
            OnPaint();
            return true;
        case kMsgSize:
            if (m_focus != nullptr) Dispatch(m_focus, kEventWindowSize, m_lastMousePos, wParam, lParam);
            if (m_root != nullptr) m_root->RequestLayout();
            return false;
        case kMsgTimer:
            return OnTimer(static_cast<std::uint32_t>(wParam), lParam);
        case kMsgMouseActivate:
            if (!m_noActivate) return false;
            *result = kMouseActivateNoActivate;
            return true;
        case kMsgSetCursor: {
            if (m_mouseCapture) return true;
            CControlUI* control = FindControl(PointOf(lParam));
            if (control == nullptr || (control->GetInputFlags() & kInputSetCursor) == 0) return false;
            Dispatch(control, kEventSetCursor, PointOf(lParam), wParam, lParam);
            return true;
        }
        case kMsgMouseMove:
            OnMouseMove(PointOf(lParam), static_cast<std::uint16_t>(wParam));
            return true;
        case kMsgMouseHover: {
            m_mouseTracking = false;
            const UiPoint point = PointOf(lParam);
            CControlUI* under = FindControl(point);
            if (under == nullptr) return true;
            if (m_hover != nullptr) Dispatch(m_hover, kEventMouseHover, point, wParam, lParam);
            if (!under->GetToolTip().empty()) {
                m_window->ShowToolTip(SubstituteTexts(under->GetToolTip()), under->GetToolTipWidth(), point);
            }
            return true;
        }
        case kMsgMouseLeave:
            m_window->HideToolTip();
            if (m_mouseTracking) {
                const UiPoint point = m_window->GetPointerInClient().value_or(UiPoint{-1, -1});
                OnMouseMove(point, 0);
            }
            m_mouseTracking = false;
            return true;
        case kMsgLButtonDown:
        case kMsgLButtonDblClk: {
            const bool doubleClick = message == kMsgLButtonDblClk;
            if (!m_noActivate) m_window->SetFocus();
            const UiPoint point = PointOf(lParam);
            m_lastMousePos = point;
            CControlUI* control = FindControl(point);
            if (control == nullptr || !BelongsHere(control)) return true;
            m_click = control;
            if (!doubleClick) control->SetFocus();
            m_window->SetCapture();
            m_mouseCapture = true;
            if (m_click != nullptr) {
                Dispatch(m_click, doubleClick ? kEventDblClick : kEventButtonDown, point, wParam, lParam, 0);
            }
            return true;
        }
        case kMsgLButtonUp: {
            m_lastMousePos = PointOf(lParam);
            if (m_click == nullptr) return true;
            m_window->ReleaseCapture();
            m_mouseCapture = false;
            CControlUI* control = m_click;
            Dispatch(control, kEventButtonUp, m_lastMousePos, wParam, lParam);
            m_click = nullptr;
            return true;
        }
        case kMsgRButtonDown: {
            if (!m_noActivate) m_window->SetFocus();
            const UiPoint point = PointOf(lParam);
            m_lastMousePos = point;
            CControlUI* control = FindControl(point);
            if (control == nullptr || !BelongsHere(control)) return true;
            control->SetFocus();
            if (BelongsHere(control)) {
                Dispatch(control, kEventRButtonDown, point, wParam, lParam);
                m_click = control;
            }
            return true;
        }
        case kMsgContextMenu: {
            if (m_mouseCapture) return true;
            m_lastMousePos = PointOf(lParam);
            if (m_click == nullptr) return true;
            CControlUI* control = m_click;
            m_click = nullptr;
            Dispatch(control, kEventContextMenu, m_lastMousePos, wParam, lParam);
            return true;
        }
        case kMsgMouseWheel: {
            const UiPoint point = PointOf(lParam);
            CControlUI* control = FindControl(point);
            if (control == nullptr || !BelongsHere(control)) return true;
            const int delta = static_cast<std::int16_t>((wParam >> 16) & 0xFFFF);
            Dispatch(control, kEventScrollWheel, point, delta < 0 ? 1 : 0, lParam);
            // The control under the pointer may have scrolled away.
            OnMouseMove(m_lastMousePos, 0);
            return true;
        }
        case kMsgKeyDown:
            if (m_focus == nullptr) return false;
            Dispatch(m_focus, kEventKeyDown, m_lastMousePos, wParam, lParam, static_cast<wchar_t>(wParam));
            m_key = m_focus;
            return true;
        case kMsgKeyUp:
            if (m_key == nullptr) return false;
            Dispatch(m_key, kEventKeyUp, m_lastMousePos, wParam, lParam, static_cast<wchar_t>(wParam));
            m_key = nullptr;
            return true;
        case kMsgChar:
            if (m_focus == nullptr) return false;
            Dispatch(m_focus, kEventChar, m_lastMousePos, wParam, lParam, static_cast<wchar_t>(wParam));
            return true;
        default:
            return false;
    }
}
