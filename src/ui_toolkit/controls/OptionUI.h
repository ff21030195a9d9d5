#pragma once
// A button that is selected. Options of one group (named by `group`) select
// one at a time: selecting one unselects the others, and exactly one
// "selectchanged" arrives per change, from the newly selected option. An
// option without a group toggles.

#include "ui_toolkit/controls/ButtonUI.h"

class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;

    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;
    void SetManager(PaintManager* manager, CControlUI* parent, bool init = true) override;

    // Sends "click", then selects (in a group) or toggles (without one).
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;

    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected, bool notify = true);
    const std::wstring& GetGroup() const { return m_group; }
    void SetGroup(std::wstring_view group);

    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void PaintText(Canvas& dc) override;
    void PaintStatusImage(Canvas& dc) override;

private:
    bool m_selected = false;
    std::wstring m_group;
    ArgbColor m_selectedBkColor = 0;
    ArgbColor m_selectedTextColor = 0;
    ImageDescriptor m_selectedImage;
    ImageDescriptor m_selectedHotImage;
    ImageDescriptor m_optionForeImage;
};
