#pragma once
// Stands for MessageBox: a modal box with a message, a set of buttons and an
// optional icon, answering with the number of the button chosen. Flags and
// answers are those of ui_toolkit/host/MessageBoxStyle.h.
//
// Closing the box (Escape, the window's close) answers OK for an OK box and
// Cancel for an OK/Cancel box; Yes/No and Abort/Retry/Ignore boxes have no
// such answer and stay open until a button is chosen. An unknown button set
// is taken for OK.

#include <cstdint>
#include <string>

struct _GtkWindow;

namespace platform {

// Runs its own nested main loop until answered, so it returns only then;
// on the window thread. `owner`, when not null, stays blocked meanwhile.
int RunMessageBox(_GtkWindow* owner, const std::wstring& text, const std::wstring& caption, std::uint32_t flags);

}  // namespace platform
