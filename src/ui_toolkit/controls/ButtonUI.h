#pragma once
// A label that is pressed: pictures and text colours per state (normal, hot,
// pushed, focused, disabled) and "click" on activation. A press counts only
// when the mouse is released inside the button.

#include "ui_toolkit/controls/LabelUI.h"

// Button state flags.
enum ButtonState : unsigned {
    kStateFocused = 0x01,
    kStateSelected = 0x02,
    kStateDisabled = 0x04,
    kStateHot = 0x08,
    kStatePushed = 0x10,
    kStateCaptured = 0x40,
};

class CButtonUI : public CLabelUI {
public:
    CButtonUI();

    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;
    std::uint32_t GetInputFlags() const override;
    // For a visible, enabled button: sends "click" and answers true.
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;

    unsigned GetState() const { return m_state; }
    ArgbColor GetHotTextColor() const { return m_hotTextColor; }
    ArgbColor GetPushedTextColor() const { return m_pushedTextColor; }
    ArgbColor GetFocusedTextColor() const { return m_focusedTextColor; }

    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    UiSize MeasureSize(UiSize available) override;
    void HandleEvent(ControlEvent& event) override;
    void PaintText(Canvas& dc) override;
    void PaintStatusImage(Canvas& dc) override;

protected:
    // Focused and disabled follow the control; the others follow events.
    void RefreshState();
    // Draws `image`, or the normal image when it cannot be drawn.
    void DrawOrNormal(Canvas& dc, ImageDescriptor& image);
    bool DrawIfSet(Canvas& dc, ImageDescriptor& image);

    unsigned m_state = 0;
    ArgbColor m_hotBkColor = 0;
    ArgbColor m_hotTextColor = 0;
    ArgbColor m_pushedTextColor = 0;
    ArgbColor m_focusedTextColor = 0;
    ImageDescriptor m_normalImage;
    ImageDescriptor m_hotImage;
    ImageDescriptor m_hotForeImage;
    ImageDescriptor m_pushedImage;
    ImageDescriptor m_pushedForeImage;
    ImageDescriptor m_focusedImage;
    ImageDescriptor m_disabledImage;
    ImageDescriptor m_foreImage;
};
