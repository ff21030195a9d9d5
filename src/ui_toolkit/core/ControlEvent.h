#pragma once
// What a control receives through DispatchEvent: the manager's translation of
// one window message for one control.

#include <cstdint>

#include "ui_toolkit/core/UiTypes.h"

class CControlUI;

enum EventKind {
    kEventFirst = 1,
    kEventKeyBegin,
    kEventKeyDown,
    kEventKeyUp,
    kEventChar,
    kEventSysKey,
    kEventKeyEnd,
    kEventMouseBegin,
    kEventMouseMove,
    kEventMouseLeave,
    kEventMouseEnter,
    kEventMouseHover,
    kEventButtonDown,
    kEventButtonUp,
    kEventRButtonDown,
    kEventDblClick,
    kEventContextMenu,
    kEventScrollWheel,
    kEventMouseEnd,
    kEventKillFocus,
    kEventSetFocus,
    kEventWindowSize,
    kEventSetCursor,
    kEventTimer,
    kEventNotify,
    kEventCommand,
    kEventLast,
};

inline bool IsMouseEvent(int kind) { return kind > kEventMouseBegin && kind < kEventMouseEnd; }

struct ControlEvent {
    int kind = 0;
    CControlUI* sender = nullptr;  // for kill focus: the control that gains it
    std::uint32_t timestamp = 0;   // milliseconds of the window's clock
    UiPoint mouse;
    wchar_t key = 0;              // virtual key or character
    std::uint16_t keyState = 0;   // UiKeyState bits
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};
