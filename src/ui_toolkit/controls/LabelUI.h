#pragma once
// A control that shows a text: single or multiple lines, plain or marked up,
// in one of the manager's fonts, inside a text padding.

#include "ui_toolkit/core/ControlUI.h"

class CLabelUI : public CControlUI {
public:
    CLabelUI();

    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;

    // -1 is the manager's default font.
    void SetFont(int id);
    int GetFont() const { return m_font; }
    // TextStyle flags.
    void SetTextStyle(unsigned style);
    unsigned GetTextStyle() const { return m_textStyle; }
    // 0 takes the manager's default colour at the first paint.
    void SetTextColor(ArgbColor color);
    ArgbColor GetTextColor() const { return m_textColor; }
    void SetDisabledTextColor(ArgbColor color);
    ArgbColor GetDisabledTextColor() const { return m_disabledTextColor; }
    void SetTextPadding(const UiRect& padding);
    const UiRect& GetTextPadding() const { return m_textPadding; }
    // Marked-up text ({b}, {c #color}, {a link} ...) instead of plain text.
    void SetMarkupEnabled(bool enabled);
    bool IsMarkupEnabled() const { return m_markup; }
    // Word break over several lines instead of one line.
    void SetWordWrap(bool wrap);

    void SetText(std::wstring_view text) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    UiSize MeasureSize(UiSize available) override;
    void PaintText(Canvas& dc) override;

protected:
    // Room left around one line of text in a control without a fixed height.
    static constexpr int kLineAllowance = 8;

    // The colour the text is drawn in now, defaults taken from the manager.
    ArgbColor CurrentTextColor();
    // Draws the text in `color` inside the text padding.
    void DrawLabelText(Canvas& dc, ArgbColor color, std::vector<UiRect>* links, std::vector<std::wstring>* linkTexts);

    int m_font = -1;
    unsigned m_textStyle;
    ArgbColor m_textColor = 0;
    ArgbColor m_disabledTextColor = 0;
    UiRect m_textPadding;
    bool m_markup = false;

private:
    // Measuring is cached until the text, font or padding change, and for
    // several lines also until the available size changes.
    UiSize m_measured;
    UiSize m_measuredFor{-1, -1};
    bool m_measureNeeded = true;
};
