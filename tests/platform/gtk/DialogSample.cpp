// The message box and folder dialog on a small owner window, for the dialog
// tests to answer from outside. Prints "ready" once it is on the display,
// then the result as one line, and exits:
//
//   zd_gtk_dialog_sample box FLAGS TEXT   "answer N" (FLAGS decimal or 0x hex)
//   zd_gtk_dialog_sample folder           "folder PATH" or "folder none"

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/TextConversion.h"
#include "platform/gtk/GtkFolderDialog.h"
#include "platform/gtk/GtkMessageBox.h"

namespace {

void PrintLine(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

int Usage() {
    std::fputs("usage: zd_gtk_dialog_sample box FLAGS TEXT | folder\n", stderr);
    return 2;
}

}  // namespace

// A program of GTK alone, without the toolkit's text layer that tells the
// leak checker about fontconfig's caches kept for the process: it says so
// itself.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
    if (!gtk_init_check(&argc, &argv)) {
        std::fputs("no display\n", stderr);
        return 1;
    }
    const bool box = argc == 4 && std::strcmp(argv[1], "box") == 0;
    const bool folder = argc == 2 && std::strcmp(argv[1], "folder") == 0;
    if (!box && !folder) return Usage();

    GtkWidget* owner = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(owner), "DialogOwner");
    gtk_window_set_default_size(GTK_WINDOW(owner), 400, 300);
    gtk_window_move(GTK_WINDOW(owner), 20, 20);
    gtk_widget_show(owner);
    // On the display from here on: the test may look for the dialogs.
    PrintLine("ready");

    if (box) {
        char* end = nullptr;
        const unsigned long flags = std::strtoul(argv[2], &end, 0);
        if (end == argv[2] || *end != '\0') return Usage();
        const int answer = platform::RunMessageBox(GTK_WINDOW(owner), platform::ToWide(argv[3]), L"DialogSample",
                                                   static_cast<std::uint32_t>(flags));
        PrintLine("answer " + std::to_string(answer));
    } else {
        const auto chosen = platform::RunFolderDialog(GTK_WINDOW(owner), L"Pick a folder");
        PrintLine("folder " + (chosen ? platform::ToUtf8(*chosen) : std::string("none")));
    }
    gtk_widget_destroy(owner);
    return 0;
}
