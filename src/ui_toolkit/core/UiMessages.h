#pragma once
// The window messages the toolkit handles. The numbers are the toolkit's own;
// each has the meaning of the platform message of the same name, so a host
// translates its native events into these and a window procedure written for
// them reads as usual.

#include <cstdint>

#include "ui_toolkit/core/UiTypes.h"

enum UiMessage : std::uint32_t {
    kMsgCreate = 0x0001,
    kMsgDestroy = 0x0002,
    kMsgSize = 0x0005,  // second parameter: client width | height << 16
    kMsgSetFocus = 0x0007,
    kMsgKillFocus = 0x0008,
    kMsgPaint = 0x000F,
    kMsgClose = 0x0010,  // first parameter: the close code
    kMsgEraseBackground = 0x0014,
    kMsgSetCursor = 0x0020,
    kMsgMouseActivate = 0x0021,
    kMsgGetMinMaxInfo = 0x0024,  // second parameter: MinMaxInfo*
    kMsgContextMenu = 0x007B,
    kMsgNcDestroy = 0x0082,  // the last message of a window
    kMsgNcCalcSize = 0x0083,
    kMsgNcHitTest = 0x0084,  // second parameter: a screen point; answers a UiHitTest
    kMsgNcPaint = 0x0085,
    kMsgNcActivate = 0x0086,  // first parameter: true when activating
    kMsgKeyDown = 0x0100,     // first parameter: virtual key
    kMsgKeyUp = 0x0101,
    kMsgChar = 0x0102,  // first parameter: character
    kMsgSysKeyDown = 0x0104,
    kMsgSysChar = 0x0106,
    kMsgSysCommand = 0x0112,  // first parameter: a UiSysCommand
    kMsgTimer = 0x0113,       // first parameter: window timer identifier
    kMsgMouseMove = 0x0200,   // first parameter: key state; second: a point (MakePointParam)
    kMsgLButtonDown = 0x0201,
    kMsgLButtonUp = 0x0202,
    kMsgLButtonDblClk = 0x0203,
    kMsgRButtonDown = 0x0204,
    kMsgMouseWheel = 0x020A,  // first parameter: key state | wheel delta << 16 (positive: away from the user)
    kMsgMouseHover = 0x02A1,
    kMsgMouseLeave = 0x02A3,
    kMsgApp = 0x8000,
    kMsgAsyncNotify = kMsgApp + 1,  // delivers the pending asynchronous notifications
};

// First parameter of kMsgSize.
enum UiSizeKind : std::uint32_t {
    kSizeRestored = 0,
    kSizeMinimized = 1,
    kSizeMaximized = 2,
};

// Answers of kMsgNcHitTest: where on the window a point lies.
enum UiHitTest : std::intptr_t {
    kHtClient = 1,
    kHtCaption = 2,
    kHtLeft = 10,
    kHtRight = 11,
    kHtTop = 12,
    kHtTopLeft = 13,
    kHtTopRight = 14,
    kHtBottom = 15,
    kHtBottomLeft = 16,
    kHtBottomRight = 17,
};

enum UiSysCommand : std::uint32_t {
    kScMinimize = 0xF020,
    kScMaximize = 0xF030,
    kScClose = 0xF060,
    kScRestore = 0xF120,
};

// What kMsgGetMinMaxInfo asks the window to fill in; 0 leaves a size free.
struct MinMaxInfo {
    UiSize maxSize;
    UiPoint maxPosition;
    UiSize minTrackSize;
    UiSize maxTrackSize;
};

// Key state bits of mouse messages and control events.
enum UiKeyState : std::uint16_t {
    kKeyStateLButton = 0x0001,
    kKeyStateRButton = 0x0002,
    kKeyStateShift = 0x0004,
    kKeyStateControl = 0x0008,
    kKeyStateAlt = 0x0020,
};

// Virtual key codes the toolkit looks at.
enum UiVirtualKey : std::uint32_t {
    kVkBack = 0x08,
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkShift = 0x10,
    kVkEscape = 0x1B,
    kVkSpace = 0x20,
};

// A point travels in a second parameter as two signed 16-bit halves.
inline std::intptr_t MakePointParam(int x, int y) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                                      static_cast<std::uint16_t>(x));
}
inline int PointParamX(std::intptr_t param) { return static_cast<std::int16_t>(param & 0xFFFF); }
inline int PointParamY(std::intptr_t param) { return static_cast<std::int16_t>((param >> 16) & 0xFFFF); }
