#include "ui_toolkit/manager/NotifyPump.h"

#include <cwctype>

#include "ui_toolkit/core/ControlUI.h"

namespace {

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

}  // namespace

void NotifyTable::On(std::wstring_view type, std::wstring_view controlName, Handler handler) {
    m_entries.push_back(Entry{std::wstring(type), std::wstring(controlName), std::move(handler)});
}

void NotifyTable::On(std::wstring_view type, std::wstring_view controlName, ParameterHandler handler) {
    On(type, controlName, [handler = std::move(handler)](Notification& n) { handler(n.wParam, n.lParam); });
}

bool NotifyTable::Dispatch(Notification& notification) const {
    const std::wstring* senderName = notification.sender != nullptr ? &notification.sender->GetName() : nullptr;
    const Entry* anySender = nullptr;
    for (const Entry& entry : m_entries) {
        if (entry.type != notification.type) continue;
        if (entry.controlName.empty()) {
            anySender = &entry;
        } else if (senderName != nullptr && entry.controlName == *senderName) {
            entry.handler(notification);
            return true;
        }
    }
    if (anySender == nullptr) return false;
    anySender->handler(notification);
    return true;
}

bool CNotifyPump::AddVirtualWnd(std::wstring_view name, CNotifyPump* pump) {
    return m_virtualWindows.emplace(Lower(name), pump).second;
}

bool CNotifyPump::RemoveVirtualWnd(std::wstring_view name) { return m_virtualWindows.erase(Lower(name)) != 0; }

bool CNotifyPump::NotifyPump(Notification& notification) {
    if (!notification.virtualWindow.empty()) {
        const auto found = m_virtualWindows.find(Lower(notification.virtualWindow));
        if (found != m_virtualWindows.end() && found->second->DispatchToTables(notification)) return true;
    }
    return DispatchToTables(notification);
}

NotifyTable& CNotifyPump::AddNotifyTable() {
    m_tables.push_back(std::make_unique<NotifyTable>());
    return *m_tables.back();
}

bool CNotifyPump::DispatchToTables(Notification& notification) const {
    for (auto table = m_tables.rbegin(); table != m_tables.rend(); ++table) {
        if ((*table)->Dispatch(notification)) return true;
    }
    return false;
}
