#pragma once
// The platform window under a skinned window: creation, the window
// procedure, showing, the modal loop, closing and placement. A derived class
// gives the class name and handles the messages; the window itself is a
// NativeWindow made by the WindowSystem.

#include <cstdint>
#include <memory>
#include <string>

#include "ui_toolkit/core/UiMessages.h"
#include "ui_toolkit/host/NativeWindow.h"
#include "ui_toolkit/host/WindowSystem.h"

// Window style bits the window base looks at.
enum UiWindowStyle : std::uint32_t {
    kStyleCaption = 0x00C00000,
    kStyleVisible = 0x10000000,
    kStyleClipChildren = 0x02000000,
    kStyleClipSiblings = 0x04000000,
};
// The class style of skinned windows: double clicks are reported.
inline constexpr std::uint32_t kClassStyleDoubleClicks = 0x0008;
// A position or size the window system chooses.
inline constexpr int kUseDefault = static_cast<int>(0x80000000);

class MessageLoop;

class CWindowWnd {
public:
    explicit CWindowWnd(WindowSystem& system);
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    // The window; null before Create and after it was destroyed.
    NativeWindow* GetHWND() const { return m_window.get(); }
    WindowSystem& GetWindowSystem() const { return m_system; }

    // Makes the window and sends it kMsgCreate; a creation handler answering
    // -1 destroys it again. With kStyleVisible the window is shown at the
    // end. Null when no window could be made.
    NativeWindow* Create(CWindowWnd* owner, const std::wstring& title, std::uint32_t style, std::uint32_t exStyle,
                         int x = kUseDefault, int y = kUseDefault, int width = kUseDefault, int height = kUseDefault);
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Shows the window, disables the owner and runs the thread's loop until
    // the window is destroyed or a quit request arrives. Returns the code of
    // the last close message.
    std::intptr_t ShowModal();
    // Posts kMsgClose with `code`.
    void Close(std::intptr_t code = 0);
    // Centres on the owner (or on the work area when there is none or it is
    // minimised), kept inside the work area.
    void CenterWindow();
    // The icon resource `id`: every picture of the icon group.
    void SetIcon(int id);
    // -1 keeps that side.
    void ResizeClient(int width = -1, int height = -1);
    // The window procedure now, or in a later turn.
    std::intptr_t SendMessage(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    void PostMessage(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    // Destroys the window: kMsgDestroy, then kMsgNcDestroy and OnFinalMessage.
    void DestroyWindow();

    std::uint32_t GetWindowStyle() const { return m_style; }
    void SetWindowStyle(std::uint32_t style) { m_style = style; }

protected:
    virtual std::wstring GetWindowClassName() const = 0;
    virtual std::wstring GetSuperClassName() const { return {}; }
    virtual std::uint32_t GetClassStyle() const { return 0; }
    virtual std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    // After the window's last message; the object may delete itself here.
    virtual void OnFinalMessage(NativeWindow* window);

    // What the platform does with a message no handler took.
    std::intptr_t DefWindowProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

private:
    // Receives the window's messages from the host: the modal loop's part
    // (close codes, message translation) and then the window procedure.
    class Procedure : public NativeWindowClient {
    public:
        explicit Procedure(CWindowWnd& window) : m_owner(window) {}
        std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

    private:
        CWindowWnd& m_owner;
    };

    WindowSystem& m_system;
    Procedure m_procedure{*this};
    std::unique_ptr<NativeWindow> m_window;
    CWindowWnd* m_owner = nullptr;
    std::uint32_t m_style = 0;
    MessageLoop* m_modalLoop = nullptr;
    std::intptr_t m_modalResult = 0;
    bool m_destroying = false;
};

// Where a window of `window`'s size goes when centred on `target`, kept
// inside `workArea`: an edge past the work area's start is moved to it;
// otherwise an edge past its end is moved back to that end.
UiPoint CenteredPosition(const UiRect& window, const UiRect& target, const UiRect& workArea);
