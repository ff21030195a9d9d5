#pragma once
// A notification such as "click", handed to a window's notify handlers.

#include <cstdint>
#include <string>

#include "ui_toolkit/core/UiTypes.h"

class CControlUI;

struct Notification {
    std::wstring type;
    std::wstring virtualWindow;  // the sender's virtual window name, when any control uses one
    CControlUI* sender = nullptr;
    std::uint32_t timestamp = 0;  // milliseconds of the window's clock
    UiPoint mouse;                // last mouse position, client coordinates
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// Receives every notification of a manager it is added to.
class INotifyUI {
public:
    virtual void Notify(Notification& notification) = 0;

protected:
    ~INotifyUI() = default;
};

// Sees window messages before the manager handles them; a filter that sets
// `handled` ends their processing with its result.
class IMessageFilterUI {
public:
    virtual std::intptr_t MessageHandler(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                         bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};
