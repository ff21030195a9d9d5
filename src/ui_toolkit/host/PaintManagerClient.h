#pragma once
// A window client that hands every message to one PaintManager, the keys to
// its pre-message handling first: a skinned window with no handlers of its
// own. zskin and the tests put it between a host and a manager.

#include "ui_toolkit/core/UiMessages.h"
#include "ui_toolkit/host/NativeWindow.h"
#include "ui_toolkit/manager/PaintManager.h"

class PaintManagerClient : public NativeWindowClient {
public:
    explicit PaintManagerClient(PaintManager& manager) : m_manager(manager) {}

    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        std::intptr_t result = 0;
        const bool isKey = message >= kMsgKeyDown && message <= kMsgSysChar;
        if (isKey && m_manager.PreMessageHandler(message, wParam, lParam, &result)) return result;
        m_manager.MessageHandler(message, wParam, lParam, &result);
        return result;
    }

private:
    PaintManager& m_manager;
};
