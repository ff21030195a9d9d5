#pragma once
// Notification tables: how a window binds notifications such as "click" on
// "closebtn" to its handlers.
//
// Each class of a window hierarchy adds one table, base classes first. A
// notification is offered to the tables from the most derived one down; in a
// table, an entry for its type and the sender's exact name wins, else the last
// entry for its type with no name. The first table with a match handles it.
// A notification that carries a virtual window name goes to the pump
// registered under that name (ignoring case) first.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui_toolkit/core/Notification.h"

class NotifyTable {
public:
    using Handler = std::function<void(Notification&)>;
    using ParameterHandler = std::function<void(std::uintptr_t wParam, std::intptr_t lParam)>;

    // `controlName` empty: any sender.
    void On(std::wstring_view type, std::wstring_view controlName, Handler handler);
    void On(std::wstring_view type, std::wstring_view controlName, ParameterHandler handler);

    // Runs the matching entry; false when none matches.
    bool Dispatch(Notification& notification) const;

private:
    struct Entry {
        std::wstring type;
        std::wstring controlName;
        Handler handler;
    };
    std::vector<Entry> m_entries;
};

class CNotifyPump {
public:
    CNotifyPump() = default;
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    // `pump` is not owned; it must outlive its registration.
    bool AddVirtualWnd(std::wstring_view name, CNotifyPump* pump);
    bool RemoveVirtualWnd(std::wstring_view name);

    // True when a table handled the notification.
    bool NotifyPump(Notification& notification);

protected:
    ~CNotifyPump() = default;

    // The table of the calling class; call once per class, in its constructor.
    NotifyTable& AddNotifyTable();

private:
    bool DispatchToTables(Notification& notification) const;

    std::vector<std::unique_ptr<NotifyTable>> m_tables;  // base first
    std::map<std::wstring, CNotifyPump*> m_virtualWindows;  // keys lower case
};
