#pragma once
// The flags a message box is asked with and the answers it gives, with the
// numbers of the platform the program was written for, so callers pass them
// on unchanged.

#include <cstdint>

enum MessageBoxFlag : std::uint32_t {
    // Button sets (the low four bits).
    kMbOk = 0x00,
    kMbOkCancel = 0x01,
    kMbAbortRetryIgnore = 0x02,
    kMbYesNo = 0x04,
    kMbButtonMask = 0x0F,
    // Icons.
    kMbIconError = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconWarning = 0x30,
    kMbIconInformation = 0x40,
    kMbIconMask = 0xF0,
    // Right-to-left languages.
    kMbSetForeground = 0x10000,
    kMbRight = 0x80000,
    kMbRtlReading = 0x100000,
};

enum MessageBoxAnswer : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdAbort = 3,
    kIdRetry = 4,
    kIdIgnore = 5,
    kIdYes = 6,
    kIdNo = 7,
};
