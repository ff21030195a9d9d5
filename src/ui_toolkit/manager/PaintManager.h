#pragma once
// The manager of one skinned window: owns its control tree, lays it out and
// paints it on paint messages, turns mouse and keyboard messages into control
// events, keeps focus, hover and capture, runs per-control timers and
// delivers notifications to the listeners registered with it.
//
// Everything runs on the window's thread and takes no locks. Work on other
// threads reaches the window through NativeWindow::Post.

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui_toolkit/core/ControlEvent.h"
#include "ui_toolkit/core/ControlUI.h"
#include "ui_toolkit/core/Notification.h"
#include "ui_toolkit/core/UiTypes.h"
#include "ui_toolkit/manager/FontTable.h"
#include "ui_toolkit/render/ImageLibrary.h"

class Canvas;
class NativeWindow;

// The colours a manager starts with, copied from the process-wide defaults.
struct DefaultColors {
    ArgbColor disabledText = 0xFFA7A6AA;
    ArgbColor text = 0xFF000000;
    ArgbColor linkText = 0xFF0000FF;
    ArgbColor linkHoverText = 0xFFD3215F;
    ArgbColor selectedBackground = 0xFFBAE4FF;
};

class PaintManager {
public:
    PaintManager();
    ~PaintManager();
    PaintManager(const PaintManager&) = delete;
    PaintManager& operator=(const PaintManager&) = delete;

    // Forgets the previous window's names, own tables, extra attributes,
    // option groups and timers, and starts serving `window` (not owned; it
    // outlives the manager's use of it).
    void Init(NativeWindow* window, std::wstring_view name = {});
    NativeWindow* GetPaintWindow() const { return m_window; }
    // The window is going: closes what the manager opened on it (text
    // entry, tooltip, timers) and stops using it.
    void DetachWindow();
    const std::wstring& GetName() const { return m_name; }

    // Takes the tree over; the previous one is deleted on the next
    // asynchronous turn. The first paint lays it out and sends "windowinit".
    bool AttachRoot(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const { return m_root.get(); }
    // Attaches `control` and its subtree under `parent` and enters their names.
    void InitControls(CControlUI* control, CControlUI* parent = nullptr);
    // Called by a control being deleted: every reference to it goes.
    void ReapObjects(CControlUI* control);
    void RenameControl(CControlUI* control, const std::wstring& oldName);
    // Deletes `control` on the next asynchronous turn.
    void AddDelayedCleanup(std::unique_ptr<CControlUI> control);

    // By name, exactly and case-sensitively.
    CControlUI* FindControl(std::wstring_view name) const;
    // The topmost visible control under `point`.
    CControlUI* FindControl(UiPoint point) const;
    // In the subtree of `parent` (the root when null), names ignoring case.
    CControlUI* FindSubControl(CControlUI* parent, std::wstring_view name) const;

    CControlUI* GetFocus() const { return m_focus; }
    void SetFocus(CControlUI* control, bool focusWindow = true);
    void SetFocusNeeded(CControlUI* control);
    // Moves the focus to the next (or previous) tab stop, wrapping around.
    bool SetNextTabControl(bool forward = true);

    void SendNotify(CControlUI* sender, std::wstring_view type, std::uintptr_t wParam = 0, std::intptr_t lParam = 0,
                    bool async = false, bool allowRepeat = true);
    void SendNotify(Notification& notification, bool async = false, bool allowRepeat = true);
    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void AddPreMessageFilter(IMessageFilterUI* filter);
    void RemovePreMessageFilter(IMessageFilterUI* filter);
    void AddMessageFilter(IMessageFilterUI* filter);
    void RemoveMessageFilter(IMessageFilterUI* filter);
    void AddPostPaint(CControlUI* control);
    void RemovePostPaint(CControlUI* control);
    void AddMouseLeaveNeeded(CControlUI* control);
    void RemoveMouseLeaveNeeded(CControlUI* control);
    // Notifications then carry their sender's virtual window name.
    void UseVirtualWindows() { m_usesVirtualWindows = true; }

    // False when the control already has a live timer of that number.
    bool SetTimer(CControlUI* control, std::uint32_t timer, std::uint32_t periodMs);
    bool KillTimer(CControlUI* control, std::uint32_t timer);
    void KillTimer(CControlUI* control);

    // False when `option` is already in `group`.
    bool AddOptionGroup(std::wstring_view group, CControlUI* option);
    const std::vector<CControlUI*>* GetOptionGroup(std::wstring_view group) const;
    void RemoveOptionGroup(std::wstring_view group, CControlUI* option);

    void Invalidate(const UiRect& rect);
    void Invalidate();
    // A layout pass on the next paint.
    void NeedUpdate() { m_updateNeeded = true; }

    // Window settings from the skin's Window element.
    void SetWindowAttribute(std::wstring_view name, std::wstring_view value);
    const std::wstring* GetWindowAttribute(std::wstring_view name) const;
    UiRect GetCaptionRect() const { return m_caption; }
    UiRect GetSizeBox() const { return m_sizeBox; }
    UiSize GetRoundCorner() const { return m_roundCorner; }
    UiSize GetInitSize() const { return m_initSize; }
    void SetInitSize(int width, int height);
    UiSize GetMinInfo() const { return m_minInfo; }
    UiSize GetMaxInfo() const { return m_maxInfo; }
    bool IsNoActivate() const { return m_noActivate; }
    bool IsShowUpdateRect() const { return m_showUpdateRect; }

    // Pictures: this manager's table, then the process-wide one.
    ImageLibrary& GetImageLibrary() { return m_images; }
    const ImageEntry* AddImage(std::wstring_view name, std::wstring_view resourceType = {}, ArgbColor mask = 0,
                               bool hsl = false, bool shared = false);
    const ImageEntry* GetImage(std::wstring_view name) const;
    const ImageEntry* GetImageEx(std::wstring_view name, std::wstring_view resourceType = {}, ArgbColor mask = 0,
                                 bool hsl = false);

    // Fonts by id: this manager's table, then the process-wide one, else the
    // default font.
    const FontEntry* AddFont(int id, std::wstring_view face, int size, bool bold, bool underline, bool italic,
                             bool shared = false);
    // With its metrics filled.
    const FontEntry& GetFontInfo(int id) const;
    // The font with exactly this description among this manager's and the
    // shared fonts; when there is none it is added to this manager's table
    // under the next number of a process-wide counter starting at 30000.
    const FontEntry* FindOrAddFont(std::wstring_view face, int size, bool bold, bool underline, bool italic);
    void SetDefaultFont(std::wstring_view face, int size, bool bold, bool underline, bool italic, bool shared = false);

    // Default attribute lists by element name as written in the markup.
    void AddDefaultAttributeList(std::wstring_view element, std::wstring_view list, bool shared = false);
    const std::wstring* GetDefaultAttributeList(std::wstring_view element) const;

    const DefaultColors& GetDefaultColors() const { return m_colors; }
    ArgbColor GetDefaultFontColor() const { return m_colors.text; }
    ArgbColor GetDefaultDisabledColor() const { return m_colors.disabledText; }
    ArgbColor GetDefaultLinkFontColor() const { return m_colors.linkText; }
    ArgbColor GetDefaultLinkHoverFontColor() const { return m_colors.linkHoverText; }
    ArgbColor GetDefaultSelectedBkColor() const { return m_colors.selectedBackground; }
    void SetDefaultFontColor(ArgbColor color) { m_colors.text = color; }
    void SetDefaultDisabledColor(ArgbColor color) { m_colors.disabledText = color; }
    void SetDefaultLinkFontColor(ArgbColor color) { m_colors.linkText = color; }
    void SetDefaultLinkHoverFontColor(ArgbColor color) { m_colors.linkHoverText = color; }
    void SetDefaultSelectedBkColor(ArgbColor color) { m_colors.selectedBackground = color; }
    // What every manager constructed afterwards starts with.
    static DefaultColors& ProcessDefaultColors();

    UiPoint GetMousePos() const { return m_lastMousePos; }

    // Keys before the manager's own handling: filters, Tab navigation, system
    // keys and shortcuts. True when handled.
    bool PreMessageHandler(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result);
    // The modal loop's translation of a message to `window`: offered to the
    // pre-message handling of the managers serving that window. True when
    // one handled it. Managers and this call live on the window thread.
    static bool TranslateMessage(NativeWindow* window, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam, std::intptr_t* result);
    // The window's messages. True when handled, with `result` set.
    bool MessageHandler(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result);

private:
    struct TimerRecord {
        CControlUI* sender;
        std::uint32_t timer;
        std::uint32_t windowTimerId;
        bool killed;
    };

    void OnPaint();
    void OnMouseMove(UiPoint point, std::uint16_t keyState);
    bool OnTimer(std::uint32_t windowTimerId, std::intptr_t lParam);
    void DeliverAsyncNotifications();
    void Dispatch(CControlUI* control, int kind, UiPoint point, std::uintptr_t wParam = 0, std::intptr_t lParam = 0,
                  wchar_t key = 0, CControlUI* sender = nullptr);
    std::uint16_t GetKeyState() const;
    std::uint32_t GetTickCount() const;
    bool BelongsHere(CControlUI* control) const { return control != nullptr && control->GetManager() == this; }
    void DeliverNotification(Notification& notification);
    // The tab stop before `control` in tree order, without wrapping.
    CControlUI* FindPreviousTabStop(CControlUI* control) const;
    bool FocusShortcut(wchar_t shortcut);
    void PostAsyncNotify();

    NativeWindow* m_window = nullptr;
    std::wstring m_name;
    std::unique_ptr<CControlUI> m_root;
    CControlUI* m_focus = nullptr;
    CControlUI* m_hover = nullptr;
    CControlUI* m_click = nullptr;
    CControlUI* m_key = nullptr;
    UiPoint m_lastMousePos{-1, -1};

    bool m_firstLayout = true;
    bool m_updateNeeded = false;
    bool m_focusNeeded = false;
    bool m_noActivate = false;
    bool m_showUpdateRect = false;
    bool m_mouseTracking = false;
    bool m_mouseCapture = false;
    bool m_asyncPosted = false;
    bool m_usesVirtualWindows = false;
    std::uint32_t m_hoverTime = 1000;

    UiSize m_initSize;
    UiSize m_minInfo;
    UiSize m_maxInfo;
    UiRect m_sizeBox;
    UiRect m_caption;
    UiSize m_roundCorner;
    int m_opacity = 255;

    std::unique_ptr<Canvas> m_offscreen;

    std::vector<INotifyUI*> m_notifiers;
    std::vector<IMessageFilterUI*> m_preMessageFilters;
    std::vector<IMessageFilterUI*> m_messageFilters;
    std::vector<CControlUI*> m_postPaintControls;
    std::vector<CControlUI*> m_mouseLeaveNeeded;
    std::vector<std::unique_ptr<CControlUI>> m_delayedCleanup;
    std::list<Notification> m_asyncNotifications;
    std::unordered_map<std::wstring, CControlUI*> m_nameMap;
    std::map<std::wstring, std::vector<CControlUI*>, std::less<>> m_optionGroups;
    std::map<std::wstring, std::wstring, std::less<>> m_windowAttributes;
    std::vector<TimerRecord> m_timers;
    std::uint32_t m_timerCounter = 4096;

    ImageLibrary m_images;
    FontTable m_fonts;
    std::map<std::wstring, std::wstring, std::less<>> m_defaultAttributes;
    DefaultColors m_colors;
};
