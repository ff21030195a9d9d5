#pragma once
// The base of every node of a skinned window's control tree: geometry and
// layout inputs, visibility, appearance, events and painting.
//
// A control belongs to at most one container, which owns it, and is attached
// to the PaintManager of its window once its tree is attached. Everything here
// runs on the window's thread.
//
//        +------------------ parent's client rectangle -----------------+
//        |         padding.top                                          |
//        | padding  +---------- GetPos() ----------+ padding            |
//        |  .left   |  border, background, content |  .right            |
//        |          +------------------------------+                    |
//        |         padding.bottom                                       |
//        +--------------------------------------------------------------+

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "ui_toolkit/core/ControlEvent.h"
#include "ui_toolkit/core/HookList.h"
#include "ui_toolkit/core/Notification.h"
#include "ui_toolkit/core/UiTypes.h"
#include "ui_toolkit/render/ImageDescriptor.h"

class Canvas;
class PaintManager;

// Flags of FindControl.
enum FindFlags : std::uint32_t {
    kFindAll = 0x0,
    kFindVisible = 0x1,
    kFindEnabled = 0x2,
    kFindHitTest = 0x4,  // `data` points at a UiPoint that must lie in the control
    kFindUpdateTest = 0x8,
    kFindTopFirst = 0x10,  // children from last to first
    kFindMeFirst = 0x80000000,
};

// Answers of GetInputFlags.
enum InputFlags : std::uint32_t {
    kInputTabStop = 0x1,
    kInputSetCursor = 0x2,
    kInputWantReturn = 0x4,
};

// Asked of every control a search visits; a non-null answer ends the search.
using FindControlProc = std::function<CControlUI*(CControlUI* control, const void* data)>;

// Fractions of the parent's size added to a floating control's edges.
struct FloatFractions {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

class CControlUI {
public:
    CControlUI();
    // Runs the destruction hooks and makes the manager forget the control.
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    const std::wstring& GetName() const { return m_name; }
    void SetName(std::wstring_view name);
    // The element name without prefix, such as "Control" or "Button".
    virtual std::wstring_view GetClass() const;
    // This control seen as the class or interface `name` ("Control",
    // "Container", "IContainer", ...), or null.
    virtual void* CastTo(std::wstring_view name);
    virtual std::uint32_t GetInputFlags() const;
    // Activation (a click, Space, Return, a shortcut); false when the control
    // cannot be activated now.
    virtual bool Activate();

    PaintManager* GetManager() const { return m_manager; }
    // Attaches the control (and a container its subtree) to `manager` under
    // `parent`; with `init`, runs Init when the control has a parent.
    virtual void SetManager(PaintManager* manager, CControlUI* parent, bool init = true);
    CControlUI* GetParent() const { return m_parent; }
    void SetParent(CControlUI* parent) { m_parent = parent; }
    // A control painted over this one and sized with it; owned by this one.
    CControlUI* GetCover() const { return m_cover.get(); }
    virtual void SetCover(std::unique_ptr<CControlUI> cover);

    const std::wstring& GetText() const { return m_text; }
    virtual void SetText(std::wstring_view text);

    const UiRect& GetPos() const { return m_rcItem; }
    // The rectangle relative to the parent's top-left corner.
    UiRect GetRelativePos() const;
    const UiRect& GetPaintRect() const { return m_rcPaint; }
    virtual void SetPos(UiRect rect, bool invalidate = true);
    int GetWidth() const { return m_rcItem.GetWidth(); }
    int GetHeight() const { return m_rcItem.GetHeight(); }
    int GetX() const { return m_rcItem.left; }
    int GetY() const { return m_rcItem.top; }

    const UiRect& GetPadding() const { return m_padding; }
    void SetPadding(const UiRect& padding);
    UiPoint GetFixedPosition() const { return m_fixedPosition; }
    void SetFixedPosition(UiPoint position);
    const FloatFractions& GetFloatFractions() const { return m_floatFractions; }
    void SetFloatFractions(const FloatFractions& fractions);
    int GetFixedWidth() const { return m_fixedSize.cx; }
    void SetFixedWidth(int width);  // negative values are ignored
    int GetFixedHeight() const { return m_fixedSize.cy; }
    void SetFixedHeight(int height);
    int GetMinWidth() const { return m_minSize.cx; }
    void SetMinWidth(int width);
    // A maximum below the minimum reads as the minimum.
    int GetMaxWidth() const;
    void SetMaxWidth(int width);
    int GetMinHeight() const { return m_minSize.cy; }
    void SetMinHeight(int height);
    int GetMaxHeight() const;
    void SetMaxHeight(int height);

    const std::wstring& GetToolTip() const { return m_toolTip; }
    void SetToolTip(std::wstring_view toolTip);  // every "<n>" becomes a line break
    int GetToolTipWidth() const { return m_toolTipWidth; }
    void SetToolTipWidth(int width) { m_toolTipWidth = width; }
    wchar_t GetShortcut() const { return m_shortcut; }
    void SetShortcut(wchar_t shortcut) { m_shortcut = shortcut; }
    bool IsContextMenuEnabled() const { return m_contextMenuUsed; }
    void SetContextMenuEnabled(bool enabled) { m_contextMenuUsed = enabled; }
    const std::wstring& GetUserData() const { return m_userData; }
    void SetUserData(std::wstring_view data) { m_userData = data; }
    std::uintptr_t GetTag() const { return m_tag; }
    void SetTag(std::uintptr_t tag) { m_tag = tag; }
    // Own name, else the nearest ancestor's.
    std::wstring GetVirtualWindow() const;
    void SetVirtualWindow(std::wstring_view name);

    // Own visibility and the visibility inherited from the ancestors.
    bool IsVisible() const { return m_visible && m_inheritedVisible; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInheritedVisible(bool visible = true);
    bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled = true);
    bool IsMouseEnabled() const { return m_mouseEnabled; }
    void SetMouseEnabled(bool enabled = true) { m_mouseEnabled = enabled; }
    bool IsKeyboardEnabled() const { return m_keyboardEnabled; }
    void SetKeyboardEnabled(bool enabled = true) { m_keyboardEnabled = enabled; }
    bool IsFocused() const { return m_focused; }
    // Asks the manager to focus this control.
    void SetFocus();
    bool IsFloat() const { return m_float; }
    void SetFloat(bool isFloat = true);

    virtual CControlUI* FindControl(const FindControlProc& proc, const void* data, std::uint32_t flags);

    // Repaints the control's rectangle clipped by its ancestors.
    void Invalidate();
    bool IsLayoutNeeded() const { return m_updateNeeded; }
    // A new layout of this control on the next paint.
    void RequestLayout();
    // A new layout of the parent (or of this control when it has none).
    void RequestParentLayout();

    void Init();
    virtual void InitSelf() {}
    // Runs the event hooks, then HandleEvent when none refused.
    void DispatchEvent(ControlEvent& event);
    virtual void HandleEvent(ControlEvent& event);

    // Markup attributes; names not known are kept as extra attributes.
    virtual void SetAttribute(std::wstring_view name, std::wstring_view value);
    // Applies a list of name="value" pairs separated by single spaces.
    void ApplyAttributes(std::wstring_view list);
    // An empty name or value is ignored; an existing name keeps its value.
    void AddExtraAttribute(std::wstring_view name, std::wstring_view value);
    // Null when there is none.
    const std::wstring* GetExtraAttribute(std::wstring_view name) const;

    // The size the control wants within `available`; 0 in a dimension means
    // it takes what the layout gives it.
    virtual UiSize MeasureSize(UiSize available);

    // Paints the control where it meets `paint`: its content, its children,
    // then its cover. False when `stop` was reached, which ends the painting
    // of the whole tree.
    virtual bool Paint(Canvas& dc, const UiRect& paint, CControlUI* stop);
    virtual void PaintContent(Canvas& dc);
    virtual void PaintBackColor(Canvas& dc);
    virtual void PaintBackImage(Canvas& dc);
    virtual void PaintStatusImage(Canvas&) {}
    virtual void PaintText(Canvas&) {}
    virtual void PaintBorder(Canvas& dc);
    // Painted after the whole tree for controls registered with the manager.
    virtual void PaintAfter(Canvas&, const UiRect&) {}

    // Appearance.
    ArgbColor GetBkColor() const { return m_bkColor1; }
    void SetBkColor(ArgbColor color);
    void SetBkColor2(ArgbColor color);
    void SetBkColor3(ArgbColor color);
    const std::wstring& GetBkImage() const { return m_bkImage.GetString(); }
    // Loads the picture at once; a floating control with neither fixed width
    // nor fixed height takes the picture's size.
    void SetBackImage(std::wstring_view descriptor);
    void SetBorderColor(ArgbColor color);
    void SetFocusBorderColor(ArgbColor color);
    const UiRect& GetBorderSize() const { return m_borderSize; }
    void SetBorderSize(const UiRect& widths);
    void SetBorderStyle(int style);
    UiSize GetBorderRound() const { return m_borderRound; }
    void SetBorderRound(UiSize corner);
    bool IsColorHsl() const { return m_colorHsl; }

    // Hooks; see HookList for how a refusal counts.
    HookList<CControlUI*> OnInit;
    HookList<CControlUI*> OnDestroy;
    HookList<CControlUI*> OnSize;
    HookList<ControlEvent&> OnEvent;
    HookList<Notification&> OnNotify;
    HookList<CControlUI*> OnPaint;
    HookList<CControlUI*> OnPostPaint;

protected:
    // Paints what lies between the content and the cover; false when `stop`
    // was reached.
    virtual bool PaintChildren(Canvas&, const UiRect&, CControlUI*) { return true; }
    // A control that does not take the mouse hands mouse events to its
    // parent; true when `event` was such an event.
    bool ForwardMouseEventWhileMouseDisabled(ControlEvent& event);
    // Draws one image descriptor of this control with the manager's images.
    bool DrawImage(Canvas& dc, ImageDescriptor& image);

    PaintManager* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    std::unique_ptr<CControlUI> m_cover;

    std::wstring m_name;
    std::wstring m_text;
    std::wstring m_toolTip;
    std::wstring m_userData;
    std::wstring m_virtualWindow;
    std::uintptr_t m_tag = 0;
    wchar_t m_shortcut = 0;
    int m_toolTipWidth = 300;

    UiRect m_rcItem;
    UiRect m_rcPaint;
    UiRect m_padding;
    UiPoint m_fixedPosition;
    UiSize m_fixedSize;
    UiSize m_minSize;
    UiSize m_maxSize{9999, 9999};
    FloatFractions m_floatFractions;

    bool m_visible = true;
    bool m_inheritedVisible = true;
    bool m_enabled = true;
    bool m_mouseEnabled = true;
    bool m_keyboardEnabled = true;
    bool m_focused = false;
    bool m_float = false;
    bool m_updateNeeded = true;
    bool m_contextMenuUsed = false;
    bool m_colorHsl = false;

    ArgbColor m_bkColor1 = 0;
    ArgbColor m_bkColor2 = 0;
    ArgbColor m_bkColor3 = 0;
    ImageDescriptor m_bkImage;
    ArgbColor m_borderColor = 0;
    ArgbColor m_focusBorderColor = 0;
    UiRect m_borderSize;
    int m_borderStyle = 0;
    UiSize m_borderRound;

private:
    std::map<std::wstring, std::wstring, std::less<>> m_extraAttributes;
};
