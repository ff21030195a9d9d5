#pragma once
// A single-line text field. The control paints the text; typing happens in
// the platform's text entry (NativeEdit), which the control opens over itself
// when it gets the focus and which closes when the keyboard focus leaves it.
// Every change typed there is copied back and sent as "textchanged"; Return
// sends "return".

#include <memory>

#include "ui_toolkit/controls/LabelUI.h"
#include "ui_toolkit/host/NativeEdit.h"

class CEditUI : public CLabelUI, private NativeEditListener {
public:
    CEditUI();
    ~CEditUI() override;

    std::wstring_view GetClass() const override;
    void* CastTo(std::wstring_view name) override;
    std::uint32_t GetInputFlags() const override;
    void SetEnabled(bool enabled = true) override;

    // Also replaces the text of an open entry, which reports it as a change.
    void SetText(std::wstring_view text) override;
    void SetMaxLength(int length) { m_maxLength = length; }
    int GetMaxLength() const { return m_maxLength; }
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_readOnly; }
    void SetPassword(bool password);
    bool IsPassword() const { return m_password; }
    void SetDigitsOnly(bool digitsOnly) { m_digitsOnly = digitsOnly; }
    bool IsDigitsOnly() const { return m_digitsOnly; }
    unsigned GetState() const { return m_state; }
    bool IsEditing() const { return m_native != nullptr; }

    void SetPos(UiRect rect, bool invalidate = true) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    UiSize MeasureSize(UiSize available) override;
    void HandleEvent(ControlEvent& event) override;
    void PaintStatusImage(Canvas& dc) override;
    void PaintText(Canvas& dc) override;

private:
    // Inside the text padding, one font height tall and centred when there is
    // room, cut by every ancestor's client rectangle; empty when hidden.
    UiRect NativeRect() const;
    void OpenNative();
    void CloseNative();

    void OnNativeTextChanged(const std::wstring& text) override;
    void OnNativeReturn() override;
    void OnNativeFocusLost() override;

    std::unique_ptr<NativeEdit> m_native;
    int m_maxLength = 255;
    bool m_readOnly = false;
    bool m_password = false;
    bool m_selectAll = false;
    bool m_digitsOnly = false;
    wchar_t m_passwordChar = L'*';
    unsigned m_state = 0;
    ArgbColor m_nativeBkColor = 0xFFFFFFFF;
    ImageDescriptor m_normalImage;
    ImageDescriptor m_hotImage;
    ImageDescriptor m_focusedImage;
    ImageDescriptor m_disabledImage;
};
