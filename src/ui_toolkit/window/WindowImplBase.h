#pragma once
// The base of a skinned window: builds its skin when the window is created,
// turns the client area into caption and resize zones, answers the
// non-client messages itself and hands every other message to its handlers,
// then to its PaintManager.

#include <cstdint>
#include <memory>
#include <string>

#include "ui_toolkit/builder/SkinBuilder.h"
#include "ui_toolkit/core/Notification.h"
#include "ui_toolkit/manager/NotifyPump.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/window/WindowWnd.h"

// Where a window's skin comes from.
enum class ResourceKind {
    FromFile = 1,             // loose files under the resource folder
    FromArchiveFile = 2,      // a ZIP file named by the window
    FromResource = 3,         // the skin file is a numbered resource of type "xml"
    FromArchiveResource = 4,  // a ZIP archive held as resource "ZIPRES" of the window's id
};

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    explicit WindowImplBase(WindowSystem& system);
    ~WindowImplBase() override;

    PaintManager& GetPaintManager() { return m_pm; }

    // INotifyUI: the notification tables.
    void Notify(Notification& notification) override;
    // IMessageFilterUI, before the manager's own key handling.
    std::intptr_t MessageHandler(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                 bool& handled) override;
    // IDialogBuilderCallback: no controls of its own.
    std::unique_ptr<CControlUI> CreateControl(std::wstring_view element) override;

protected:
    std::uint32_t GetClassStyle() const override { return kClassStyleDoubleClicks; }
    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnFinalMessage(NativeWindow* window) override;

    // After the skin is attached.
    virtual void InitWindow() {}
    // Bound to every "click": the skin's window buttons.
    virtual void OnClick(Notification& notification);
    virtual std::wstring GetSkinFolder() const = 0;
    virtual std::wstring GetSkinFile() const = 0;
    // Escape closes the window with 1; true when the key was answered.
    virtual bool ResponseDefaultKeyEvent(std::uintptr_t key);
    virtual ResourceKind GetResourceKind() const { return ResourceKind::FromFile; }
    virtual std::wstring GetArchiveFileName() const { return {}; }
    // 0 for none.
    virtual int GetResourceId() const { return 0; }

    // Each handler finds `handled` true and sets it false when it leaves the
    // message to what comes after it.
    virtual std::intptr_t OnClose(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, bool& handled);
    virtual std::intptr_t OnDestroy(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, bool& handled);
    virtual std::intptr_t OnNcActivate(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                       bool& handled);
    virtual std::intptr_t OnNcCalcSize(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                       bool& handled);
    virtual std::intptr_t OnNcPaint(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, bool& handled);
    virtual std::intptr_t OnNcHitTest(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                      bool& handled);
    virtual std::intptr_t OnGetMinMaxInfo(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                          bool& handled);
    virtual std::intptr_t OnMouseWheel(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                       bool& handled);
    virtual std::intptr_t OnMouseHover(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                       bool& handled);
    virtual std::intptr_t OnSize(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, bool& handled);
    virtual std::intptr_t OnChar(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, bool& handled);
    virtual std::intptr_t OnSysCommand(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                       bool& handled);
    virtual std::intptr_t OnCreate(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, bool& handled);
    virtual std::intptr_t OnKeyDown(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, bool& handled);
    virtual std::intptr_t OnKillFocus(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                      bool& handled);
    virtual std::intptr_t OnSetFocus(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, bool& handled);
    virtual std::intptr_t OnLButtonDown(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                        bool& handled);
    virtual std::intptr_t OnLButtonUp(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                      bool& handled);
    virtual std::intptr_t OnMouseMove(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                      bool& handled);
    virtual std::intptr_t HandleCustomMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                              bool& handled);
    // The window style without the caption bits.
    virtual std::uint32_t GetStyle() const;

    PaintManager m_pm;

private:
    // Builds the skin the window names from where its resource kind says;
    // null when nothing was built.
    std::unique_ptr<CControlUI> BuildSkin();
    // Shows "maxbtn" or "restorebtn" to match a maximised state that changed.
    void SyncMaximizeButtons();

    bool m_maximized = false;
};
