#include "platform/gtk/GtkFolderDialog.h"

#include <gtk/gtk.h>

#include "platform/TextConversion.h"

namespace platform {

std::optional<std::wstring> RunFolderDialog(_GtkWindow* owner, const std::wstring& title) {
    GtkFileChooserNative* chooser = gtk_file_chooser_native_new(
        ToUtf8(title).c_str(), owner, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Select", "_Cancel");
    GtkNativeDialog* dialog = GTK_NATIVE_DIALOG(chooser);
    gtk_native_dialog_set_modal(dialog, TRUE);
    // Only a folder on the local file system has a path to hand back.
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(chooser), TRUE);

    std::optional<std::wstring> folder;
    if (gtk_native_dialog_run(dialog) == GTK_RESPONSE_ACCEPT) {
        if (gchar* path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser))) {
            folder = ToWide(path);
            g_free(path);
        }
    }
    g_object_unref(chooser);
    return folder;
}

}  // namespace platform
