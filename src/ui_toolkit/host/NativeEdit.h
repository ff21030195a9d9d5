#pragma once
// The platform's single-line text entry, placed over an edit control while
// it is being edited. The host makes it (NativeWindow::CreateNativeEdit); the
// control tells it where to be and what to show, and hears what the user did.

#include <string>
#include <string_view>

#include "ui_toolkit/core/UiTypes.h"

enum class NativeEditAlign { kLeft, kCenter, kRight };

struct NativeEditOptions {
    UiRect rect;  // client coordinates; an empty one hides the entry
    std::wstring text;
    std::wstring fontFace;
    int fontSize = 0;  // pixels
    bool bold = false;
    bool italic = false;
    int maxLength = 255;
    bool password = false;
    wchar_t passwordChar = L'*';
    bool readOnly = false;
    bool digitsOnly = false;
    bool enabled = true;
    NativeEditAlign align = NativeEditAlign::kLeft;
    // Select the whole text on opening; otherwise the caret goes to the end.
    bool selectAll = false;
    ArgbColor textColor = 0xFF000000;
    // 0xFFFFFFFF is the platform's own background.
    ArgbColor backgroundColor = 0xFFFFFFFF;
};

// Called on the window's thread. A listener may destroy the entry from within
// any of these calls.
class NativeEditListener {
public:
    // After every change of the text by the user or by SetText.
    virtual void OnNativeTextChanged(const std::wstring& text) = 0;
    virtual void OnNativeReturn() = 0;
    // The entry lost the keyboard focus; the listener closes it.
    virtual void OnNativeFocusLost() = 0;

protected:
    ~NativeEditListener() = default;
};

class NativeEdit {
public:
    virtual ~NativeEdit() = default;
    virtual void SetRect(const UiRect& rect) = 0;
    virtual void SetText(std::wstring_view text) = 0;
    virtual std::wstring GetText() const = 0;
    // Clears the selection and puts the caret where a press at `point`
    // (client coordinates) lands.
    virtual void PressAt(UiPoint point) = 0;
};
