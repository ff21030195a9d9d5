#include "ui_toolkit/core/ControlUI.h"

#include <algorithm>
#include <cwchar>

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/host/NativeWindow.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/ClipScope.h"
#include "ui_toolkit/render/DrawImage.h"
#include "ui_toolkit/render/DrawPrimitives.h"

namespace {

// Four decimal fractions, each separated from the next by one character.
FloatFractions ParseFractions(std::wstring_view value) {
    double numbers[4] = {0, 0, 0, 0};
    std::wstring text(value);
    const wchar_t* p = text.c_str();
    for (double& number : numbers) {
        wchar_t* end = nullptr;
        number = std::wcstod(p, &end);
        if (end == p || *end == L'\0') break;
        p = end + 1;
    }
    return FloatFractions{numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::wstring ReplaceLineBreakTokens(std::wstring_view text) {
    std::wstring result(text);
    for (std::size_t at = result.find(L"<n>"); at != std::wstring::npos; at = result.find(L"<n>", at + 1)) {
        result.replace(at, 3, L"\r\n");
    }
    return result;
}

}  // namespace

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    OnDestroy.Run(this);
    if (m_manager != nullptr) m_manager->ReapObjects(this);
}

void CControlUI::SetName(std::wstring_view name) {
    if (name == m_name) return;
    std::wstring old = std::move(m_name);
    m_name = name;
    if (m_manager != nullptr) m_manager->RenameControl(this, old);
}

std::wstring_view CControlUI::GetClass() const { return L"Control"; }

void* CControlUI::CastTo(std::wstring_view name) { return name == L"Control" ? this : nullptr; }

std::uint32_t CControlUI::GetInputFlags() const { return 0; }

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::SetManager(PaintManager* manager, CControlUI* parent, bool init) {
    if (m_cover != nullptr) m_cover->SetManager(manager, this, init);
    m_manager = manager;
    m_parent = parent;
    if (init && m_parent != nullptr) Init();
}

void CControlUI::SetCover(std::unique_ptr<CControlUI> cover) {
    m_cover = std::move(cover);
    if (m_cover == nullptr) return;
    m_cover->SetParent(this);
    if (m_manager != nullptr) m_manager->InitControls(m_cover.get(), this);
    m_cover->SetInheritedVisible(IsVisible());
    RequestLayout();
}

void CControlUI::SetText(std::wstring_view text) {
    if (text == m_text) return;
    m_text = text;
    Invalidate();
}

UiRect CControlUI::GetRelativePos() const {
    UiRect rect = m_rcItem;
    if (m_parent != nullptr) rect.Offset(-m_parent->GetPos().left, -m_parent->GetPos().top);
    return rect;
}

void CControlUI::SetPos(UiRect rect, bool invalidate) {
    rect.Normalize();
    UiRect before = m_rcItem;
    if (before.IsEmpty()) before = rect;

    if (m_float && m_parent != nullptr) {
        // `rect` is relative to the parent; keep the fixed position and size
        // consistent with it so the next placement gives the same rectangle.
        const UiRect& parent = m_parent->GetPos();
        const int width = parent.GetWidth();
        const int height = parent.GetHeight();
        m_fixedPosition.x = rect.left - static_cast<int>(m_floatFractions.left * width);
        m_fixedPosition.y = rect.top - static_cast<int>(m_floatFractions.top * height);
        m_fixedSize.cx = rect.right - static_cast<int>(m_floatFractions.right * width) - m_fixedPosition.x;
        m_fixedSize.cy = rect.bottom - static_cast<int>(m_floatFractions.bottom * height) - m_fixedPosition.y;
        rect.Offset(parent.left, parent.top);
    }
    m_rcItem = rect;
    if (m_cover != nullptr) m_cover->SetPos(m_rcItem, false);
    OnSize.Run(this);
    m_updateNeeded = false;

    if (invalidate && m_manager != nullptr) {
        UiRect area = UnionRect(before, m_rcItem);
        for (CControlUI* ancestor = m_parent; ancestor != nullptr; ancestor = ancestor->GetParent()) {
            if (!ancestor->IsVisible()) return;
            if (!IntersectRect(&area, area, ancestor->GetPos())) return;
        }
        m_manager->Invalidate(area);
    }
}

void CControlUI::SetPadding(const UiRect& padding) {
    m_padding = padding;
    RequestParentLayout();
}

void CControlUI::SetFixedPosition(UiPoint position) {
    m_fixedPosition = position;
    RequestParentLayout();
}

void CControlUI::SetFloatFractions(const FloatFractions& fractions) {
    m_floatFractions = fractions;
    RequestParentLayout();
}

void CControlUI::SetFixedWidth(int width) {
    if (width < 0) return;
    m_fixedSize.cx = width;
    RequestParentLayout();
}

void CControlUI::SetFixedHeight(int height) {
    if (height < 0) return;
    m_fixedSize.cy = height;
    RequestParentLayout();
}

void CControlUI::SetMinWidth(int width) {
    if (m_minSize.cx == width || width < 0) return;
    m_minSize.cx = width;
    RequestParentLayout();
}

int CControlUI::GetMaxWidth() const { return std::max(m_maxSize.cx, m_minSize.cx); }

void CControlUI::SetMaxWidth(int width) {
    if (m_maxSize.cx == width || width < 0) return;
    m_maxSize.cx = width;
    RequestParentLayout();
}

void CControlUI::SetMinHeight(int height) {
    if (m_minSize.cy == height || height < 0) return;
    m_minSize.cy = height;
    RequestParentLayout();
}

int CControlUI::GetMaxHeight() const { return std::max(m_maxSize.cy, m_minSize.cy); }

void CControlUI::SetMaxHeight(int height) {
    if (m_maxSize.cy == height || height < 0) return;
    m_maxSize.cy = height;
    RequestParentLayout();
}

void CControlUI::SetToolTip(std::wstring_view toolTip) { m_toolTip = ReplaceLineBreakTokens(toolTip); }

std::wstring CControlUI::GetVirtualWindow() const {
    if (!m_virtualWindow.empty()) return m_virtualWindow;
    return m_parent != nullptr ? m_parent->GetVirtualWindow() : std::wstring();
}

void CControlUI::SetVirtualWindow(std::wstring_view name) {
    m_virtualWindow = name;
    if (m_manager != nullptr) m_manager->UseVirtualWindows();
}

void CControlUI::SetVisible(bool visible) {
    if (m_visible == visible) return;
    const bool wasVisible = IsVisible();
    m_visible = visible;
    m_focused = false;
    if (!visible && m_manager != nullptr && m_manager->GetFocus() == this) m_manager->SetFocus(nullptr);
    if (IsVisible() != wasVisible) RequestParentLayout();
    if (m_cover != nullptr) m_cover->SetInheritedVisible(IsVisible());
}

void CControlUI::SetInheritedVisible(bool visible) {
    m_inheritedVisible = visible;
    if (!visible && m_manager != nullptr && m_manager->GetFocus() == this) m_manager->SetFocus(nullptr);
    if (m_cover != nullptr) m_cover->SetInheritedVisible(IsVisible());
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Invalidate();
}

void CControlUI::SetFocus() {
    if (m_manager != nullptr) m_manager->SetFocus(this);
}

void CControlUI::SetFloat(bool isFloat) {
    if (m_float == isFloat) return;
    m_float = isFloat;
    RequestParentLayout();
}

CControlUI* CControlUI::FindControl(const FindControlProc& proc, const void* data, std::uint32_t flags) {
    if ((flags & kFindVisible) != 0 && !IsVisible()) return nullptr;
    if ((flags & kFindEnabled) != 0 && !IsEnabled()) return nullptr;
    if ((flags & kFindHitTest) != 0 &&
        (!m_mouseEnabled || !m_rcItem.Contains(*static_cast<const UiPoint*>(data)))) {
        return nullptr;
    }
    // An update search collects and never ends early.
    if ((flags & kFindUpdateTest) != 0) {
        proc(this, data);
        return nullptr;
    }
    return proc(this, data);
}

void CControlUI::Invalidate() {
    if (!IsVisible() || m_manager == nullptr) return;
    UiRect area = m_rcItem;
    for (CControlUI* ancestor = m_parent; ancestor != nullptr; ancestor = ancestor->GetParent()) {
        if (!ancestor->IsVisible()) return;
        if (!IntersectRect(&area, area, ancestor->GetPos())) return;
    }
    m_manager->Invalidate(area);
}

void CControlUI::RequestLayout() {
    if (!IsVisible()) return;
    m_updateNeeded = true;
    Invalidate();
    if (m_manager != nullptr) m_manager->NeedUpdate();
}

void CControlUI::RequestParentLayout() {
    if (m_parent != nullptr) {
        m_parent->RequestLayout();
        m_parent->Invalidate();
    } else {
        RequestLayout();
    }
    if (m_manager != nullptr) m_manager->NeedUpdate();
}

void CControlUI::Init() {
    InitSelf();
    OnInit.Run(this);
}

void CControlUI::DispatchEvent(ControlEvent& event) {
    if (!OnEvent.Run(event)) return;
    HandleEvent(event);
}

void CControlUI::HandleEvent(ControlEvent& event) {
    switch (event.kind) {
        case kEventSetCursor:
            if (m_manager != nullptr && m_manager->GetPaintWindow() != nullptr) {
                m_manager->GetPaintWindow()->SetCursor(CursorShape::kArrow);
            }
            return;
        case kEventSetFocus:
            m_focused = true;
            Invalidate();
            return;
        case kEventKillFocus:
            m_focused = false;
            Invalidate();
            return;
        case kEventTimer:
            if (m_manager != nullptr) m_manager->SendNotify(this, L"timer", event.wParam, event.lParam);
            return;
        case kEventContextMenu:
            if (m_contextMenuUsed && m_manager != nullptr) {
                m_manager->SendNotify(this, L"menu", event.wParam, event.lParam);
                return;
            }
            break;
        default:
            break;
    }
    if (m_parent != nullptr) m_parent->HandleEvent(event);
}

bool CControlUI::ForwardMouseEventWhileMouseDisabled(ControlEvent& event) {
    if (IsMouseEnabled() || !IsMouseEvent(event.kind)) return false;
    if (m_parent != nullptr) m_parent->HandleEvent(event);
    return true;
}

void CControlUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"pos") {
        const UiRect pos = ParseRect(value);
        SetFixedPosition(UiPoint{pos.left, pos.top});
        SetFixedWidth(pos.right - pos.left);
        SetFixedHeight(pos.bottom - pos.top);
    } else if (name == L"padding") {
        SetPadding(ParseRect(value));
    } else if (name == L"bkcolor" || name == L"bkcolor1") {
        SetBkColor(ParseColor(value, name == L"bkcolor"));
    } else if (name == L"bkcolor2") {
        SetBkColor2(ParseColor(value));
    } else if (name == L"bkcolor3") {
        SetBkColor3(ParseColor(value));
    } else if (name == L"bordercolor") {
        SetBorderColor(ParseColor(value));
    } else if (name == L"focusbordercolor") {
        SetFocusBorderColor(ParseColor(value));
    } else if (name == L"colorhsl") {
        m_colorHsl = ParseBool(value);
        Invalidate();
    } else if (name == L"bordersize") {
        if (value.find(L',') == std::wstring_view::npos) {
            const int width = ParseInt(value);
            SetBorderSize(UiRect{width, width, width, width});
        } else {
            SetBorderSize(ParseRect(value));
        }
    } else if (name == L"borderstyle") {
        SetBorderStyle(ParseInt(value));
    } else if (name == L"borderround") {
        SetBorderRound(ParseSize(value));
    } else if (name == L"bkimage") {
        SetBackImage(value);
    } else if (name == L"width") {
        SetFixedWidth(ParseInt(value));
    } else if (name == L"height") {
        SetFixedHeight(ParseInt(value));
    } else if (name == L"minwidth") {
        SetMinWidth(ParseInt(value));
    } else if (name == L"minheight") {
        SetMinHeight(ParseInt(value));
    } else if (name == L"maxwidth") {
        SetMaxWidth(ParseInt(value));
    } else if (name == L"maxheight") {
        SetMaxHeight(ParseInt(value));
    } else if (name == L"name") {
        SetName(value);
    } else if (name == L"text") {
        SetText(value);
    } else if (name == L"tooltip") {
        SetToolTip(value);
    } else if (name == L"userdata") {
        SetUserData(value);
    } else if (name == L"tag") {
        SetTag(static_cast<std::uintptr_t>(ParseInt(value)));
    } else if (name == L"enabled") {
        SetEnabled(ParseBool(value));
    } else if (name == L"mouse") {
        SetMouseEnabled(ParseBool(value));
    } else if (name == L"keyboard") {
        SetKeyboardEnabled(ParseBool(value));
    } else if (name == L"visible") {
        SetVisible(ParseBool(value));
    } else if (name == L"float") {
        if (value.find(L',') == std::wstring_view::npos) {
            SetFloat(ParseBool(value));
        } else {
            SetFloatFractions(ParseFractions(value));
            SetFloat(true);
        }
    } else if (name == L"shortcut") {
        SetShortcut(value.empty() ? 0 : value[0]);
    } else if (name == L"menu") {
        SetContextMenuEnabled(ParseBool(value));
    } else if (name == L"virtualwnd") {
        SetVirtualWindow(value);
    } else {
        AddExtraAttribute(name, value);
    }
}

void CControlUI::ApplyAttributes(std::wstring_view list) {
    ParseAttributeList(list, [this](std::wstring_view name, std::wstring_view value) { SetAttribute(name, value); });
}

void CControlUI::AddExtraAttribute(std::wstring_view name, std::wstring_view value) {
    if (name.empty() || value.empty()) return;
    m_extraAttributes.emplace(std::wstring(name), std::wstring(value));
}

const std::wstring* CControlUI::GetExtraAttribute(std::wstring_view name) const {
    const auto found = m_extraAttributes.find(name);
    return found != m_extraAttributes.end() ? &found->second : nullptr;
}

UiSize CControlUI::MeasureSize(UiSize) { return m_fixedSize; }

bool CControlUI::Paint(Canvas& dc, const UiRect& paint, CControlUI* stop) {
    if (this == stop) return false;
    if (!IntersectRect(&m_rcPaint, paint, m_rcItem)) return true;
    if (!OnPaint.Run(this)) return true;
    PaintContent(dc);
    if (!PaintChildren(dc, paint, stop)) return false;
    if (m_cover != nullptr && m_cover->IsVisible() && !m_cover->Paint(dc, paint, stop)) return false;
    OnPostPaint.Run(this);
    return true;
}

void CControlUI::PaintContent(Canvas& dc) {
    const auto steps = [&] {
        PaintBackColor(dc);
        PaintBackImage(dc);
        PaintStatusImage(dc);
        PaintText(dc);
        PaintBorder(dc);
    };
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0) {
        ClipScope clip(dc, m_rcItem, m_borderRound.cx, m_borderRound.cy);
        steps();
    } else {
        steps();
    }
}

void CControlUI::PaintBackColor(Canvas& dc) {
    if (m_bkColor1 == 0) return;
    if (m_bkColor2 == 0) {
        // An opaque colour needs painting only where asked; a translucent one
        // is blended over the whole control so its edges stay consistent.
        DrawColor(dc, AlphaOf(m_bkColor1) == 0xFF ? m_rcPaint : m_rcItem, m_bkColor1);
        return;
    }
    if (m_bkColor3 == 0) {
        DrawGradient(dc, m_rcItem, m_bkColor1, m_bkColor2, true, 16);
        return;
    }
    const int middle = (m_rcItem.top + m_rcItem.bottom) / 2;
    DrawGradient(dc, UiRect{m_rcItem.left, m_rcItem.top, m_rcItem.right, middle}, m_bkColor1, m_bkColor2, true, 8);
    DrawGradient(dc, UiRect{m_rcItem.left, middle, m_rcItem.right, m_rcItem.bottom}, m_bkColor2, m_bkColor3, true, 8);
}

void CControlUI::PaintBackImage(Canvas& dc) {
    if (m_bkImage.IsEmpty()) return;
    DrawImage(dc, m_bkImage);
}

void CControlUI::PaintBorder(Canvas& dc) {
    if (m_borderSize.left <= 0 || (m_borderColor == 0 && m_focusBorderColor == 0)) return;
    const ArgbColor color = (m_focused && m_focusBorderColor != 0) ? m_focusBorderColor : m_borderColor;
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0) {
        DrawRoundRect(dc, m_rcItem, m_borderSize.left, m_borderRound.cx, m_borderRound.cy, color, m_borderStyle);
        return;
    }
    const UiRect& w = m_borderSize;
    if (w.left == w.top && w.left == w.right && w.left == w.bottom) {
        DrawRect(dc, m_rcItem, w.left, color, m_borderStyle);
        return;
    }
    const UiRect& r = m_rcItem;
    const int leftX = r.left + w.left / 2;
    DrawLine(dc, UiRect{leftX, r.top, leftX, r.bottom}, w.left, color, m_borderStyle);
    if (w.top > 0) {
        const int y = r.top + w.top / 2;
        DrawLine(dc, UiRect{r.left + w.left, y, r.right - w.right, y}, w.top, color, m_borderStyle);
    }
    if (w.right > 0) {
        const int x = r.right - w.right / 2;
        DrawLine(dc, UiRect{x, r.top, x, r.bottom}, w.right, color, m_borderStyle);
    }
    if (w.bottom > 0) {
        const int y = r.bottom - w.bottom / 2;
        DrawLine(dc, UiRect{r.left + w.left, y, r.right - w.right, y}, w.bottom, color, m_borderStyle);
    }
}

void CControlUI::SetBkColor(ArgbColor color) {
    if (m_bkColor1 == color) return;
    m_bkColor1 = color;
    Invalidate();
}

void CControlUI::SetBkColor2(ArgbColor color) {
    if (m_bkColor2 == color) return;
    m_bkColor2 = color;
    Invalidate();
}

void CControlUI::SetBkColor3(ArgbColor color) {
    if (m_bkColor3 == color) return;
    m_bkColor3 = color;
    Invalidate();
}

void CControlUI::SetBackImage(std::wstring_view descriptor) {
    if (descriptor == m_bkImage.GetString() && m_bkImage.GetImage() != nullptr) return;
    m_bkImage.SetString(descriptor);
    if (m_manager != nullptr && !m_bkImage.IsEmpty()) {
        const ImageEntry* image = m_bkImage.Load(m_manager->GetImageLibrary());
        if (image != nullptr && m_float && m_fixedSize.cx == 0 && m_fixedSize.cy == 0) {
            SetFixedWidth(image->width);
            SetFixedHeight(image->height);
        }
    }
    Invalidate();
}

void CControlUI::SetBorderColor(ArgbColor color) {
    if (m_borderColor == color) return;
    m_borderColor = color;
    Invalidate();
}

void CControlUI::SetFocusBorderColor(ArgbColor color) {
    if (m_focusBorderColor == color) return;
    m_focusBorderColor = color;
    Invalidate();
}

void CControlUI::SetBorderSize(const UiRect& widths) {
    m_borderSize = widths;
    Invalidate();
}

void CControlUI::SetBorderStyle(int style) {
    m_borderStyle = style;
    Invalidate();
}

void CControlUI::SetBorderRound(UiSize corner) {
    m_borderRound = corner;
    Invalidate();
}

bool CControlUI::DrawImage(Canvas& dc, ImageDescriptor& image) {
    if (m_manager == nullptr) return false;
    return ::DrawImage(dc, m_manager->GetImageLibrary(), m_rcItem, m_rcPaint, image);
}
