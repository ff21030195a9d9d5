#pragma once
// Stands for the shell's browse-for-folder dialog: the person picks an
// existing folder, or cancels.

#include <optional>
#include <string>

struct _GtkWindow;

namespace platform {

// Runs its own nested main loop until the dialog ends, modal on `owner`
// (may be null); on the window thread. The chosen folder's file-system path,
// or nothing when cancelled, closed, or when the choice is no local folder.
std::optional<std::wstring> RunFolderDialog(_GtkWindow* owner, const std::wstring& title);

}  // namespace platform
