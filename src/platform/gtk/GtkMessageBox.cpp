#include "platform/gtk/GtkMessageBox.h"

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "platform/TextConversion.h"
#include "ui_toolkit/host/MessageBoxStyle.h"

namespace platform {

namespace {

struct ButtonSpec {
    const char* label;
    MessageBoxAnswer answer;
};

// The buttons of a set in reading order, the first being the default, and
// the answer a close gives (0: the box cannot be closed without a button).
struct ButtonSet {
    std::vector<ButtonSpec> buttons;
    int closeAnswer;
};

ButtonSet ButtonSetOf(std::uint32_t flags) {
    switch (flags & kMbButtonMask) {
        case kMbOkCancel:
            return {{{"_OK", kIdOk}, {"_Cancel", kIdCancel}}, kIdCancel};
        case kMbYesNo:
            return {{{"_Yes", kIdYes}, {"_No", kIdNo}}, 0};
        case kMbAbortRetryIgnore:
            return {{{"_Abort", kIdAbort}, {"_Retry", kIdRetry}, {"_Ignore", kIdIgnore}}, 0};
        default:
            return {{{"_OK", kIdOk}}, kIdOk};
    }
}

GtkMessageType MessageTypeOf(std::uint32_t flags) {
    switch (flags & kMbIconMask) {
        case kMbIconError:
            return GTK_MESSAGE_ERROR;
        case kMbIconQuestion:
            return GTK_MESSAGE_QUESTION;
        case kMbIconWarning:
            return GTK_MESSAGE_WARNING;
        case kMbIconInformation:
            return GTK_MESSAGE_INFO;
        default:
            return GTK_MESSAGE_OTHER;
    }
}

const char* IconNameOf(GtkMessageType type) {
    switch (type) {
        case GTK_MESSAGE_ERROR:
            return "dialog-error";
        case GTK_MESSAGE_QUESTION:
            return "dialog-question";
        case GTK_MESSAGE_WARNING:
            return "dialog-warning";
        case GTK_MESSAGE_INFO:
            return "dialog-information";
        default:
            return nullptr;
    }
}

// Internal children too, so the dialog's own boxes and labels mirror.
void SetDirectionOfTree(GtkWidget* widget, gpointer direction) {
    gtk_widget_set_direction(widget, static_cast<GtkTextDirection>(GPOINTER_TO_INT(direction)));
    if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), SetDirectionOfTree, direction);
}

// The message's label is the first one of the message area.
GtkLabel* MessageLabelOf(GtkMessageDialog* dialog) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(gtk_message_dialog_get_message_area(dialog)));
    GtkLabel* label = nullptr;
    for (GList* child = children; child != nullptr && label == nullptr; child = child->next) {
        if (GTK_IS_LABEL(child->data)) label = GTK_LABEL(child->data);
    }
    g_list_free(children);
    return label;
}

// Every paragraph starts with a right-to-left mark, so each one reads right
// to left and lines up on the right, whichever script its first letter is in.
std::wstring RightToLeftParagraphs(const std::wstring& text) {
    constexpr wchar_t kRightToLeftMark = L'\u200F';
    std::wstring marked(1, kRightToLeftMark);
    for (const wchar_t character : text) {
        marked += character;
        if (character == L'\n') marked += kRightToLeftMark;
    }
    return marked;
}

}  // namespace

int RunMessageBox(_GtkWindow* owner, const std::wstring& text, const std::wstring& caption, std::uint32_t flags) {
    const ButtonSet set = ButtonSetOf(flags);
    const GtkMessageType type = MessageTypeOf(flags);
    const bool rightToLeft = (flags & (kMbRight | kMbRtlReading)) != 0;
    // The text goes in as an argument, never as the format, so a '%' in it is
    // shown as written.
    GtkWidget* box = gtk_message_dialog_new(
        owner, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), type, GTK_BUTTONS_NONE,
        "%s", ToUtf8(rightToLeft ? RightToLeftParagraphs(text) : text).c_str());
    GtkWindow* window = GTK_WINDOW(box);
    gtk_window_set_title(window, ToUtf8(caption).c_str());
    gtk_window_set_position(window, owner != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);

    if (const char* iconName = IconNameOf(type)) {
        // GTK 3 shows no icon in a message box unless given one; the box
        // shows it as the boxes it stands for do.
        GtkWidget* icon = gtk_image_new_from_icon_name(iconName, GTK_ICON_SIZE_DIALOG);
        gtk_widget_show(icon);
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(box), icon);
        G_GNUC_END_IGNORE_DEPRECATIONS
    }

    GtkDialog* dialog = GTK_DIALOG(box);
    for (const ButtonSpec& button : set.buttons) gtk_dialog_add_button(dialog, button.label, button.answer);
    gtk_dialog_set_default_response(dialog, set.buttons.front().answer);

    if (rightToLeft) {
        SetDirectionOfTree(box, GINT_TO_POINTER(GTK_TEXT_DIR_RTL));
        if (GtkLabel* label = MessageLabelOf(GTK_MESSAGE_DIALOG(box))) {
            // The label spans the box; in a right-to-left label "left" means
            // the right-hand side.
            gtk_widget_set_halign(GTK_WIDGET(label), GTK_ALIGN_FILL);
            gtk_label_set_xalign(label, 0.0F);
            gtk_label_set_justify(label, GTK_JUSTIFY_LEFT);
        }
    }

    gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(dialog, set.buttons.front().answer));
    if ((flags & kMbSetForeground) != 0) gtk_window_present(window);

    // Held across the run: the owner going away destroys the box inside it.
    g_object_ref(box);
    // A close ends the run but leaves the box open; a box without a close
    // answer just runs on.
    int response = GTK_RESPONSE_NONE;
    do {
        response = gtk_dialog_run(dialog);
    } while (response == GTK_RESPONSE_DELETE_EVENT && set.closeAnswer == 0);
    gtk_widget_destroy(box);
    g_object_unref(box);
    // Anything but a button (a close, the owner going away) is the close
    // answer; boxes without one only end that way when destroyed from outside.
    return response > 0 ? response : (set.closeAnswer != 0 ? set.closeAnswer : set.buttons.back().answer);
}

}  // namespace platform
