#pragma once
// A bar that shows a value in a range: its foreground picture is drawn over
// the filled part, from the left (horizontal) or from the bottom.

#include "ui_toolkit/controls/LabelUI.h"

class CProgressUI : public CLabelUI {
public:
    CProgressUI();

    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;

    int GetValue() const { return m_value; }
    // Limited to the range.
    void SetValue(int value);
    int GetMinimum() const { return m_minimum; }
    void SetMinimum(int minimum);
    int GetMaximum() const { return m_maximum; }
    void SetMaximum(int maximum);
    bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool horizontal);

    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void PaintStatusImage(Canvas& dc) override;

private:
    bool m_horizontal = true;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
    ImageDescriptor m_foreImage;
    // The foreground picture with the filled part as its destination.
    ImageDescriptor m_filledImage;
};
