#pragma once
// A label of several lines whose marked-up text may hold links: the links are
// found at every paint, shown in the hover colour under the mouse, and a click
// on one sends "link" with its index.

#include <string>
#include <vector>

#include "ui_toolkit/controls/LabelUI.h"

class CTextUI : public CLabelUI {
public:
    CTextUI();

    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;
    std::uint32_t GetInputFlags() const override;

    const std::vector<UiRect>& GetLinkRects() const { return m_links; }
    const std::vector<std::wstring>& GetLinkTexts() const { return m_linkTexts; }
    int GetHoverLink() const { return m_hoverLink; }

    void HandleEvent(ControlEvent& event) override;
    void PaintText(Canvas& dc) override;

private:
    int LinkAt(UiPoint point) const;

    std::vector<UiRect> m_links;
    std::vector<std::wstring> m_linkTexts;
    int m_hoverLink = -1;
};
