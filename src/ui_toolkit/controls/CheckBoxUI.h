#pragma once
// An option answering to "CheckBox", with check-box names for selection.

#include "ui_toolkit/controls/OptionUI.h"

class CCheckBoxUI : public COptionUI {
public:
    std::wstring_view GetClass() const override { return L"CheckBox"; }
    void* CastTo(std::wstring_view name) override {
        if (name == L"CheckBox") return this;
        return COptionUI::CastTo(name);
    }

    void SetChecked(bool checked, bool notify = true) { SetSelected(checked, notify); }
    bool IsChecked() const { return IsSelected(); }
};
