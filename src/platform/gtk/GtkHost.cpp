#include "platform/gtk/GtkHost.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/TextConversion.h"
#include "platform/gtk/GtkFolderDialog.h"
#include "platform/gtk/GtkMessageBox.h"
#include "platform/gtk/LauncherProgress.h"
#include "ui_toolkit/core/UiMessages.h"

namespace platform {

namespace {

// A zero period would turn a timer into a busy loop; the platform's timers
// never run faster than this.
constexpr std::uint32_t kMinimumTimerPeriodMs = 10;
// The pointer may wander this far from where it came to rest and still count
// as resting for the hover message.
constexpr int kHoverSlack = 2;
constexpr int kWheelStep = 120;
// Tooltips open below the pointer's hot spot, clear of the arrow.
constexpr int kToolTipOffsetY = 20;

std::uint16_t KeyStateOf(guint state) {
    std::uint16_t keys = 0;
    if ((state & GDK_BUTTON1_MASK) != 0) keys |= kKeyStateLButton;
    if ((state & GDK_BUTTON3_MASK) != 0) keys |= kKeyStateRButton;
    if ((state & GDK_SHIFT_MASK) != 0) keys |= kKeyStateShift;
    if ((state & GDK_CONTROL_MASK) != 0) keys |= kKeyStateControl;
    if ((state & GDK_MOD1_MASK) != 0) keys |= kKeyStateAlt;
    return keys;
}

std::uint16_t ButtonBit(guint button) {
    if (button == GDK_BUTTON_PRIMARY) return kKeyStateLButton;
    if (button == GDK_BUTTON_SECONDARY) return kKeyStateRButton;
    return 0;
}

std::uint16_t ModifierBit(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Shift_L:
        case GDK_KEY_Shift_R:
            return kKeyStateShift;
        case GDK_KEY_Control_L:
        case GDK_KEY_Control_R:
            return kKeyStateControl;
        case GDK_KEY_Alt_L:
        case GDK_KEY_Alt_R:
            return kKeyStateAlt;
        default:
            return 0;
    }
}

// The virtual key of a key symbol; 0 for keys the toolkit has no code for.
std::uint32_t VirtualKeyOf(guint keyval) {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return keyval - GDK_KEY_a + 'A';
    if ((keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) || (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9)) return keyval;
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) return 0x70 + (keyval - GDK_KEY_F1);
    switch (keyval) {
        case GDK_KEY_BackSpace:
            return kVkBack;
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab:
            return kVkTab;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
            return kVkReturn;
        case GDK_KEY_Shift_L:
        case GDK_KEY_Shift_R:
            return kVkShift;
        case GDK_KEY_Control_L:
        case GDK_KEY_Control_R:
            return 0x11;
        case GDK_KEY_Alt_L:
        case GDK_KEY_Alt_R:
            return 0x12;
        case GDK_KEY_Escape:
            return kVkEscape;
        case GDK_KEY_space:
            return kVkSpace;
        case GDK_KEY_Page_Up:
            return 0x21;
        case GDK_KEY_Page_Down:
            return 0x22;
        case GDK_KEY_End:
            return 0x23;
        case GDK_KEY_Home:
            return 0x24;
        case GDK_KEY_Left:
            return 0x25;
        case GDK_KEY_Up:
            return 0x26;
        case GDK_KEY_Right:
            return 0x27;
        case GDK_KEY_Down:
            return 0x28;
        case GDK_KEY_Insert:
            return 0x2D;
        case GDK_KEY_Delete:
            return 0x2E;
        default:
            return 0;
    }
}

// The character a key press types, as the character message carries it
// (Back, Tab, Return and Escape included); 0 when it types none.
wchar_t CharacterOf(guint keyval, guint state) {
    if ((state & GDK_CONTROL_MASK) != 0) return 0;
    const gunichar character = gdk_keyval_to_unicode(keyval);
    if (character == 0 || character == 0x7F || character > 0xFFFF) return 0;
    return static_cast<wchar_t>(character);
}

const char* CursorName(CursorShape shape) {
    switch (shape) {
        case CursorShape::kHand:
            return "pointer";
        case CursorShape::kIBeam:
            return "text";
        case CursorShape::kWait:
            return "wait";
        case CursorShape::kSizeWE:
            return "ew-resize";
        case CursorShape::kSizeNS:
            return "ns-resize";
        case CursorShape::kSizeNWSE:
            return "nwse-resize";
        case CursorShape::kSizeNESW:
            return "nesw-resize";
        case CursorShape::kSizeAll:
            return "move";
        case CursorShape::kNo:
            return "not-allowed";
        case CursorShape::kArrow:
            break;
    }
    return "default";
}

// The resize edge of a hit-test answer; false for any other answer.
bool EdgeOf(std::intptr_t zone, GdkWindowEdge* edge) {
    switch (zone) {
        case kHtLeft:
            *edge = GDK_WINDOW_EDGE_WEST;
            return true;
        case kHtRight:
            *edge = GDK_WINDOW_EDGE_EAST;
            return true;
        case kHtTop:
            *edge = GDK_WINDOW_EDGE_NORTH;
            return true;
        case kHtTopLeft:
            *edge = GDK_WINDOW_EDGE_NORTH_WEST;
            return true;
        case kHtTopRight:
            *edge = GDK_WINDOW_EDGE_NORTH_EAST;
            return true;
        case kHtBottom:
            *edge = GDK_WINDOW_EDGE_SOUTH;
            return true;
        case kHtBottomLeft:
            *edge = GDK_WINDOW_EDGE_SOUTH_WEST;
            return true;
        case kHtBottomRight:
            *edge = GDK_WINDOW_EDGE_SOUTH_EAST;
            return true;
        default:
            return false;
    }
}

CursorShape ResizeCursorOf(std::intptr_t zone) {
    switch (zone) {
        case kHtLeft:
        case kHtRight:
            return CursorShape::kSizeWE;
        case kHtTop:
        case kHtBottom:
            return CursorShape::kSizeNS;
        case kHtTopLeft:
        case kHtBottomRight:
            return CursorShape::kSizeNWSE;
        default:
            return CursorShape::kSizeNESW;
    }
}

// The window region of rounded corners: the rectangle one pixel larger each
// way than the window, with quarter ellipses of `corner` cut out, row by row.
cairo_region_t* RoundedRegion(int width, int height, UiSize corner) {
    cairo_region_t* region = cairo_region_create();
    const double rx = std::max(corner.cx, 1) / 2.0;
    const double ry = std::max(corner.cy, 1) / 2.0;
    const int outerWidth = width + 1;
    const int outerHeight = height + 1;
    for (int y = 0; y < height; ++y) {
        // Distance of the row's centre into the corner band, from the top or
        // the bottom edge of the rounded rectangle.
        const double fromEdge = std::min(y + 0.5, outerHeight - (y + 0.5));
        int inset = 0;
        if (fromEdge < ry) {
            const double dy = (ry - fromEdge) / ry;
            inset = static_cast<int>(std::lround(rx - rx * std::sqrt(std::max(0.0, 1.0 - dy * dy))));
        }
        const int rowWidth = std::min(outerWidth - 2 * inset, width - inset);
        if (rowWidth <= 0) continue;
        const cairo_rectangle_int_t row{inset, y, rowWidth, 1};
        cairo_region_union_rectangle(region, &row);
    }
    return region;
}

UiPoint PointOf(double x, double y) {
    return UiPoint{static_cast<int>(x), static_cast<int>(y)};
}

std::string CssColor(ArgbColor color) {
    char text[64];
    std::snprintf(text, sizeof text, "rgba(%u,%u,%u,%.3f)", (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF,
                  ((color >> 24) & 0xFF) / 255.0);
    return text;
}

std::string CssString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

// The text entry over the window: a GtkEntry in the window's overlay, placed
// at its rectangle by the overlay's child-position handler.
class GtkHost::Entry : public NativeEdit {
public:
    Entry(GtkHost& host, const NativeEditOptions& options, NativeEditListener* listener);
    ~Entry() override;

    void SetRect(const UiRect& rect) override;
    void SetText(std::wstring_view text) override;
    std::wstring GetText() const override;
    void PressAt(UiPoint point) override;

    const UiRect& GetRect() const { return m_rect; }

private:
    static void OnChanged(GtkEditable* editable, gpointer self);
    static void OnActivate(GtkEntry* entry, gpointer self);
    static gboolean OnFocusOut(GtkWidget* widget, GdkEvent* event, gpointer self);
    static gboolean DestroyLater(gpointer widget);
    static void OnInsertText(GtkEditable* editable, gchar* text, gint length, gint* position, gpointer self);

    GtkHost& m_host;
    GtkWidget* m_entry;
    NativeEditListener* m_listener;
    UiRect m_rect;
    bool m_digitsOnly;
};

struct GtkHost::Signals {
    static gboolean Draw(GtkWidget*, cairo_t* cr, gpointer data) {
        auto* host = static_cast<GtkHost*>(data);
        cairo_rectangle_list_t* clips = cairo_copy_clip_rectangle_list(cr);
        cairo_region_t* clip = cairo_region_create();
        if (clips->status == CAIRO_STATUS_SUCCESS) {
            for (int i = 0; i < clips->num_rectangles; ++i) {
                const cairo_rectangle_t& r = clips->rectangles[i];
                const cairo_rectangle_int_t area{static_cast<int>(r.x), static_cast<int>(r.y),
                                                 static_cast<int>(r.width), static_cast<int>(r.height)};
                cairo_region_union_rectangle(clip, &area);
            }
        }
        cairo_rectangle_list_destroy(clips);
        host->m_drawClip = clip;
        // The region the toolkit asked for is painted into the back surface
        // first, so that this draw already shows it.
        if (host->m_update) host->Send(kMsgPaint);
        host->m_drawClip = nullptr;
        cairo_region_destroy(clip);

        const Canvas& surface = host->m_surface;
        if (!surface.IsValid()) return TRUE;
        cairo_surface_t* image =
            cairo_image_surface_create_for_data(const_cast<unsigned char*>(surface.GetData()), CAIRO_FORMAT_ARGB32,
                                                surface.GetWidth(), surface.GetHeight(), surface.GetStride());
        cairo_save(cr);
        // Copied as a window copies a bitmap: colour only, no blending with
        // whatever the theme drew below.
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_surface_destroy(image);
        return TRUE;
    }

    static void SizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
        auto* host = static_cast<GtkHost*>(data);
        host->SetClientSize(allocation->width, allocation->height);
    }

    static gboolean Motion(GtkWidget*, GdkEventMotion* event, gpointer data) {
        auto* host = static_cast<GtkHost*>(data);
        const UiPoint point = PointOf(event->x, event->y);
        host->m_keyState = KeyStateOf(event->state);
        host->m_pointer = point;
        if (host->m_trackHover && (std::abs(point.x - host->m_hoverAnchor.x) > kHoverSlack ||
                                   std::abs(point.y - host->m_hoverAnchor.y) > kHoverSlack)) {
            host->RestartHoverTimer(point);
        }
        // The pressed window keeps the pointer; the cursor is its own then.
        // Over a resize zone the zone's cursor shows, as on a window frame.
        const std::intptr_t zone = host->m_captured ? kHtClient : host->HitTest(PointOf(event->x_root, event->y_root));
        GdkWindowEdge edge;
        if (EdgeOf(zone, &edge)) {
            host->ApplyCursor(ResizeCursorOf(zone));
        } else if (!host->m_captured) {
            host->m_cursorChoice = CursorShape::kArrow;
            host->Send(kMsgSetCursor, 0, MakePointParam(point.x, point.y));
            const CursorShape chosen = *host->m_cursorChoice;
            host->m_cursorChoice.reset();
            host->ApplyCursor(chosen);
        }
        host->Send(kMsgMouseMove, host->m_keyState, MakePointParam(point.x, point.y));
        return TRUE;
    }

    static gboolean Crossing(GtkWidget*, GdkEventCrossing* event, gpointer data) {
        auto* host = static_cast<GtkHost*>(data);
        if (event->type == GDK_ENTER_NOTIFY) {
            host->m_pointer = PointOf(event->x, event->y);
            return FALSE;
        }
        host->m_pointer.reset();
        if (host->m_captured || !host->m_trackLeave) return FALSE;
        host->m_trackLeave = false;
        host->m_trackHover = false;
        host->StopHoverTimer();
        host->Send(kMsgMouseLeave);
        return FALSE;
    }

    static gboolean Button(GtkWidget*, GdkEventButton* event, gpointer data) {
        auto* host = static_cast<GtkHost*>(data);
        // GDK's own double and triple presses repeat a press already seen.
        if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE) return TRUE;
        const UiPoint point = PointOf(event->x, event->y);
        const std::uint16_t bit = ButtonBit(event->button);
        host->m_pointer = point;
        if (event->type == GDK_BUTTON_RELEASE) {
            host->m_keyState = KeyStateOf(event->state) & static_cast<std::uint16_t>(~bit);
            if (event->button == GDK_BUTTON_PRIMARY) {
                host->Send(kMsgLButtonUp, host->m_keyState, MakePointParam(point.x, point.y));
            } else if (event->button == GDK_BUTTON_SECONDARY) {
                host->Send(kMsgContextMenu, 0, MakePointParam(point.x, point.y));
            }
            return TRUE;
        }
        host->m_keyState = KeyStateOf(event->state) | bit;
        if (event->button == GDK_BUTTON_PRIMARY && !host->m_captured) {
            // The caption and the resize zones are the window manager's: the
            // press starts a move or a resize and the client hears nothing.
            const std::intptr_t zone = host->HitTest(PointOf(event->x_root, event->y_root));
            GdkWindowEdge edge;
            if (zone == kHtCaption) {
                gtk_window_begin_move_drag(GTK_WINDOW(host->m_window), static_cast<gint>(event->button),
                                           static_cast<gint>(event->x_root), static_cast<gint>(event->y_root),
                                           event->time);
                host->m_keyState &= static_cast<std::uint16_t>(~bit);
                return TRUE;
            }
            if (EdgeOf(zone, &edge)) {
                host->ApplySizeLimits();
                gtk_window_begin_resize_drag(GTK_WINDOW(host->m_window), edge, static_cast<gint>(event->button),
                                             static_cast<gint>(event->x_root), static_cast<gint>(event->y_root),
                                             event->time);
                host->m_keyState &= static_cast<std::uint16_t>(~bit);
                return TRUE;
            }
        }
        if (event->button == GDK_BUTTON_PRIMARY) {
            gint doubleTime = 400;
            gint doubleDistance = 5;
            g_object_get(gtk_widget_get_settings(host->m_area), "gtk-double-click-time", &doubleTime,
                         "gtk-double-click-distance", &doubleDistance, nullptr);
            const bool isDouble = host->m_lastPressButton == event->button && !host->m_lastPressWasDouble &&
                                  event->time - host->m_lastPressTime <= static_cast<guint32>(doubleTime) &&
                                  std::abs(point.x - host->m_lastPressAt.x) <= doubleDistance &&
                                  std::abs(point.y - host->m_lastPressAt.y) <= doubleDistance;
            host->m_lastPressTime = event->time;
            host->m_lastPressAt = point;
            host->m_lastPressButton = event->button;
            host->m_lastPressWasDouble = isDouble;
            host->Send(isDouble ? kMsgLButtonDblClk : kMsgLButtonDown, host->m_keyState,
                       MakePointParam(point.x, point.y));
        } else if (event->button == GDK_BUTTON_SECONDARY) {
            host->m_lastPressButton = event->button;
            host->Send(kMsgRButtonDown, host->m_keyState, MakePointParam(point.x, point.y));
        }
        return TRUE;
    }

    static gboolean Scroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
        auto* host = static_cast<GtkHost*>(data);
        int delta = 0;
        if (event->direction == GDK_SCROLL_UP) delta = kWheelStep;
        if (event->direction == GDK_SCROLL_DOWN) delta = -kWheelStep;
        if (delta == 0) return FALSE;
        host->m_keyState = KeyStateOf(event->state);
        const std::uintptr_t wParam =
            host->m_keyState | (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16);
        host->Send(kMsgMouseWheel, wParam, MakePointParam(static_cast<int>(event->x), static_cast<int>(event->y)));
        return TRUE;
    }

    static gboolean Key(GtkWidget*, GdkEventKey* event, gpointer data) {
        auto* host = static_cast<GtkHost*>(data);
        const bool press = event->type == GDK_KEY_PRESS;
        const std::uint16_t modifier = ModifierBit(event->keyval);
        host->m_keyState = KeyStateOf(event->state);
        host->m_keyState =
            press ? host->m_keyState | modifier : host->m_keyState & static_cast<std::uint16_t>(~modifier);
        const std::uint32_t key = VirtualKeyOf(event->keyval);
        const bool alt = (event->state & GDK_MOD1_MASK) != 0 || modifier == kKeyStateAlt;
        if (!press) {
            if (key != 0) host->Send(kMsgKeyUp, key, 0);
            return TRUE;
        }
        // A host that is gone after the key message sends no character.
        const std::weak_ptr<bool> alive = host->m_alive;
        if (key != 0) host->Send(alt ? kMsgSysKeyDown : kMsgKeyDown, key, 0);
        if (alive.expired()) return TRUE;
        const wchar_t character = CharacterOf(event->keyval, event->state);
        if (character != 0) host->Send(alt ? kMsgSysChar : kMsgChar, static_cast<std::uintptr_t>(character), 0);
        return TRUE;
    }

    static gboolean Focus(GtkWidget*, GdkEventFocus* event, gpointer data) {
        static_cast<GtkHost*>(data)->Send(event->in ? kMsgSetFocus : kMsgKillFocus);
        return FALSE;
    }

    static gboolean WindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
        auto* host = static_cast<GtkHost*>(data);
        const GdkWindowState state = event->new_window_state;
        const WindowShowState now = (state & GDK_WINDOW_STATE_ICONIFIED) != 0   ? WindowShowState::kMinimized
                                    : (state & GDK_WINDOW_STATE_MAXIMIZED) != 0 ? WindowShowState::kMaximized
                                                                                : WindowShowState::kNormal;
        if (now == host->m_showState) return FALSE;
        host->m_showState = now;
        host->Send(kMsgSize, host->SizeKind(), MakePointParam(host->m_width, host->m_height));
        return FALSE;
    }

    static gboolean Delete(GtkWidget*, GdkEvent*, gpointer data) {
        // The client decides whether and how the window goes.
        static_cast<GtkHost*>(data)->Send(kMsgClose);
        return TRUE;
    }

    static gboolean ChildPosition(GtkOverlay*, GtkWidget* widget, GdkRectangle* allocation, gpointer) {
        const auto* entry = static_cast<const Entry*>(g_object_get_data(G_OBJECT(widget), "zd-native-edit"));
        if (entry == nullptr) return FALSE;
        const UiRect& rect = entry->GetRect();
        *allocation = GdkRectangle{rect.left, rect.top, std::max(rect.GetWidth(), 1), std::max(rect.GetHeight(), 1)};
        return TRUE;
    }

    struct TimerData {
        GtkHost* host;
        std::uint32_t id;
    };

    static gboolean Timer(gpointer data) {
        const auto* timer = static_cast<const TimerData*>(data);
        timer->host->Send(kMsgTimer, timer->id, 0);
        return G_SOURCE_CONTINUE;
    }

    static void FreeTimer(gpointer data) { delete static_cast<TimerData*>(data); }

    static gboolean Hover(gpointer data) {
        auto* host = static_cast<GtkHost*>(data);
        host->m_hoverSource = 0;
        host->m_trackHover = false;
        if (host->m_pointer) {
            host->Send(kMsgMouseHover, host->m_keyState, MakePointParam(host->m_pointer->x, host->m_pointer->y));
        }
        return G_SOURCE_REMOVE;
    }

    static gboolean RunQueue(gpointer data) {
        static_cast<GtkHost*>(data)->RunQueued();
        return G_SOURCE_REMOVE;
    }
};

std::unique_ptr<GtkHost> GtkHost::Create(int width, int height) {
    if (!gtk_init_check(nullptr, nullptr)) return nullptr;
    return std::unique_ptr<GtkHost>(new GtkHost(width, height));
}

GtkHost::GtkHost(int width, int height)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)), m_surface(m_width, m_height) {
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(m_window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(m_window), std::max(m_width, 1), std::max(m_height, 1));
    m_overlay = gtk_overlay_new();
    m_area = gtk_drawing_area_new();
    gtk_widget_set_can_focus(m_area, TRUE);
    gtk_widget_add_events(m_area, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                      GDK_SCROLL_MASK | GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK |
                                      GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK);
    gtk_container_add(GTK_CONTAINER(m_overlay), m_area);
    gtk_container_add(GTK_CONTAINER(m_window), m_overlay);
    gtk_widget_show_all(m_overlay);

    g_signal_connect(m_area, "draw", G_CALLBACK(Signals::Draw), this);
    g_signal_connect(m_area, "size-allocate", G_CALLBACK(Signals::SizeAllocate), this);
    g_signal_connect(m_area, "motion-notify-event", G_CALLBACK(Signals::Motion), this);
    g_signal_connect(m_area, "enter-notify-event", G_CALLBACK(Signals::Crossing), this);
    g_signal_connect(m_area, "leave-notify-event", G_CALLBACK(Signals::Crossing), this);
    g_signal_connect(m_area, "button-press-event", G_CALLBACK(Signals::Button), this);
    g_signal_connect(m_area, "button-release-event", G_CALLBACK(Signals::Button), this);
    g_signal_connect(m_area, "scroll-event", G_CALLBACK(Signals::Scroll), this);
    g_signal_connect(m_area, "key-press-event", G_CALLBACK(Signals::Key), this);
    g_signal_connect(m_area, "key-release-event", G_CALLBACK(Signals::Key), this);
    g_signal_connect(m_area, "focus-in-event", G_CALLBACK(Signals::Focus), this);
    g_signal_connect(m_area, "focus-out-event", G_CALLBACK(Signals::Focus), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(Signals::Delete), this);
    g_signal_connect(m_window, "window-state-event", G_CALLBACK(Signals::WindowState), this);
    g_signal_connect(m_overlay, "get-child-position", G_CALLBACK(Signals::ChildPosition), this);
    gtk_widget_grab_focus(m_area);
    Invalidate(GetClientRect());
}

GtkHost::~GtkHost() {
    for (const auto& timer : m_timers) g_source_remove(timer.second);
    StopHoverTimer();
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (m_queueSource != 0) g_source_remove(m_queueSource);
        m_queueSource = 0;
    }
    g_signal_handlers_disconnect_by_data(m_area, this);
    g_signal_handlers_disconnect_by_data(m_window, this);
    g_signal_handlers_disconnect_by_data(m_overlay, this);
    if (m_toolTip != nullptr) gtk_widget_destroy(m_toolTip);
    gtk_widget_destroy(m_window);
}

std::intptr_t GtkHost::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return m_client != nullptr ? m_client->HandleMessage(message, wParam, lParam) : 0;
}

void GtkHost::SetTitle(const std::wstring& title) {
    gtk_window_set_title(GTK_WINDOW(m_window), ToUtf8(title).c_str());
}

void GtkHost::Show(bool activate) {
    ApplySizeLimits();
    // A window shown for the first time hears its size, as a native one
    // does: a skin's settings that came after its size apply now.
    if (!m_shownOnce) {
        m_shownOnce = true;
        Send(kMsgSize, SizeKind(), MakePointParam(m_width, m_height));
    }
    gtk_window_set_focus_on_map(GTK_WINDOW(m_window), activate);
    gtk_widget_show(m_window);
    if (activate) gtk_window_present(GTK_WINDOW(m_window));
}

void GtkHost::Hide() {
    gtk_widget_hide(m_window);
}

bool GtkHost::IsVisible() const {
    return gtk_widget_get_visible(m_window) != FALSE;
}

void GtkHost::Move(int x, int y) {
    gtk_window_move(GTK_WINDOW(m_window), x, y);
}

UiRect GtkHost::GetWindowRect() const {
    gint x = 0;
    gint y = 0;
    gtk_window_get_position(GTK_WINDOW(m_window), &x, &y);
    return UiRect{x, y, x + m_width, y + m_height};
}

void GtkHost::SetIcons(const std::vector<std::vector<std::uint8_t>>& pictures) {
    GList* icons = nullptr;
    for (const std::vector<std::uint8_t>& picture : pictures) {
        GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
        if (loader == nullptr) continue;
        const bool read = gdk_pixbuf_loader_write(loader, picture.data(), picture.size(), nullptr) &&
                          gdk_pixbuf_loader_close(loader, nullptr);
        GdkPixbuf* pixbuf = read ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
        if (pixbuf != nullptr) icons = g_list_append(icons, g_object_ref(pixbuf));
        if (!read) gdk_pixbuf_loader_close(loader, nullptr);
        g_object_unref(loader);
    }
    gtk_window_set_icon_list(GTK_WINDOW(m_window), icons);
    g_list_free_full(icons, g_object_unref);
}

void GtkHost::Minimize() {
    gtk_window_iconify(GTK_WINDOW(m_window));
}

void GtkHost::Maximize() {
    gtk_window_maximize(GTK_WINDOW(m_window));
}

void GtkHost::Restore() {
    if (m_showState == WindowShowState::kMinimized) gtk_window_deiconify(GTK_WINDOW(m_window));
    if (m_showState == WindowShowState::kMaximized) gtk_window_unmaximize(GTK_WINDOW(m_window));
    gtk_window_present(GTK_WINDOW(m_window));
}

void GtkHost::SetEnabled(bool enabled) {
    gtk_widget_set_sensitive(m_window, enabled);
}

void GtkHost::SetRoundCorners(UiSize corner) {
    m_roundCorners = corner;
    if (corner.cx == 0 && corner.cy == 0) {
        gtk_widget_shape_combine_region(m_window, nullptr);
        return;
    }
    cairo_region_t* region = RoundedRegion(m_width, m_height, corner);
    gtk_widget_shape_combine_region(m_window, region);
    cairo_region_destroy(region);
}

int GtkHost::MessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) {
    return RunMessageBox(GTK_WINDOW(m_window), text, caption, flags);
}

std::optional<std::wstring> GtkHost::BrowseForFolder(const std::wstring& title) {
    return RunFolderDialog(GTK_WINDOW(m_window), title);
}

LauncherProgress* GtkHost::GetLauncher() {
    if (!m_launcherTried) {
        m_launcherTried = true;
        const char* program = g_get_prgname();
        m_launcher =
            LauncherProgress::Connect(std::string(program != nullptr ? program : "zelmora-setup") + ".desktop");
    }
    return m_launcher.get();
}

void GtkHost::SetTaskbarState(TaskbarProgressState state) {
    if (LauncherProgress* launcher = GetLauncher()) launcher->SetState(state);
}

void GtkHost::SetTaskbarValue(std::uint64_t completed, std::uint64_t total) {
    if (LauncherProgress* launcher = GetLauncher()) launcher->SetValue(completed, total);
}

std::uint32_t GtkHost::SizeKind() const {
    switch (m_showState) {
        case WindowShowState::kMinimized:
            return kSizeMinimized;
        case WindowShowState::kMaximized:
            return kSizeMaximized;
        case WindowShowState::kNormal:
            break;
    }
    return kSizeRestored;
}

std::intptr_t GtkHost::HitTest(UiPoint screen) {
    const std::intptr_t zone = Send(kMsgNcHitTest, 0, MakePointParam(screen.x, screen.y));
    return zone == 0 ? kHtClient : zone;
}

void GtkHost::ApplySizeLimits() {
    MinMaxInfo info;
    Send(kMsgGetMinMaxInfo, 0, reinterpret_cast<std::intptr_t>(&info));
    GdkGeometry geometry{};
    int hints = 0;
    if (info.minTrackSize.cx > 0 || info.minTrackSize.cy > 0) {
        geometry.min_width = std::max(info.minTrackSize.cx, 1);
        geometry.min_height = std::max(info.minTrackSize.cy, 1);
        hints |= GDK_HINT_MIN_SIZE;
    }
    if (info.maxTrackSize.cx > 0 || info.maxTrackSize.cy > 0) {
        geometry.max_width = info.maxTrackSize.cx > 0 ? info.maxTrackSize.cx : G_MAXSHORT;
        geometry.max_height = info.maxTrackSize.cy > 0 ? info.maxTrackSize.cy : G_MAXSHORT;
        hints |= GDK_HINT_MAX_SIZE;
    }
    gtk_window_set_geometry_hints(GTK_WINDOW(m_window), nullptr, hints != 0 ? &geometry : nullptr,
                                  static_cast<GdkWindowHints>(hints));
}

UiRect GtkHost::GetWorkArea() const {
    GdkDisplay* display = gtk_widget_get_display(m_window);
    GdkWindow* native = gtk_widget_get_window(m_window);
    GdkMonitor* monitor = native != nullptr ? gdk_display_get_monitor_at_window(display, native)
                                            : gdk_display_get_primary_monitor(display);
    if (monitor == nullptr) monitor = gdk_display_get_monitor(display, 0);
    if (monitor == nullptr) return UiRect{};
    GdkRectangle area{};
    gdk_monitor_get_workarea(monitor, &area);
    return UiRect{area.x, area.y, area.x + area.width, area.y + area.height};
}

UiRect GtkHost::GetClientRect() const {
    return UiRect{0, 0, m_width, m_height};
}

void GtkHost::Resize(int width, int height) {
    // The toolkit sees the new size at once, as after a native resize; the
    // window's own allocation follows with the same size.
    if (!SetClientSize(width, height)) return;
    gtk_window_resize(GTK_WINDOW(m_window), std::max(m_width, 1), std::max(m_height, 1));
}

bool GtkHost::SetClientSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height) return false;
    m_width = width;
    m_height = height;
    Canvas resized(width, height);
    resized.CopyFrom(m_surface, GetClientRect());
    m_surface = std::move(resized);
    Invalidate(GetClientRect());
    Send(kMsgSize, SizeKind(), MakePointParam(width, height));
    return true;
}

void GtkHost::Invalidate(const UiRect& rect) {
    UiRect area;
    if (!IntersectRect(&area, rect, GetClientRect())) return;
    m_update = m_update ? UnionRect(*m_update, area) : area;
    // GTK redraws at least the bounds the paint will cover, so the draw that
    // delivers the paint message shows all of it.
    gtk_widget_queue_draw_area(m_area, m_update->left, m_update->top, m_update->GetWidth(), m_update->GetHeight());
}

bool GtkHost::GetUpdateRect(UiRect* rect) const {
    if (!m_update) return false;
    *rect = *m_update;
    return true;
}

UiRect GtkHost::BeginPaint() {
    const UiRect area = m_update.value_or(UiRect{});
    m_update.reset();
    return area;
}

void GtkHost::EndPaint(const Canvas& canvas, const UiRect& rect) {
    m_surface.CopyFrom(canvas, rect);
    UiRect area;
    if (!IntersectRect(&area, rect, GetClientRect())) return;
    // Inside a draw, the part it covers is shown by that draw; the rest
    // needs a draw of its own.
    const cairo_rectangle_int_t shown{area.left, area.top, area.GetWidth(), area.GetHeight()};
    cairo_region_t* pending = cairo_region_create_rectangle(&shown);
    if (m_drawClip != nullptr) cairo_region_subtract(pending, m_drawClip);
    if (!cairo_region_is_empty(pending)) gtk_widget_queue_draw_region(m_area, pending);
    cairo_region_destroy(pending);
}

bool GtkHost::SetTimer(std::uint32_t id, std::uint32_t periodMs) {
    KillTimer(id);
    const guint source = g_timeout_add_full(G_PRIORITY_DEFAULT, std::max(periodMs, kMinimumTimerPeriodMs),
                                            Signals::Timer, new Signals::TimerData{this, id}, Signals::FreeTimer);
    if (source == 0) return false;
    m_timers[id] = source;
    return true;
}

void GtkHost::KillTimer(std::uint32_t id) {
    const auto found = m_timers.find(id);
    if (found == m_timers.end()) return;
    g_source_remove(found->second);
    m_timers.erase(found);
}

std::uint32_t GtkHost::GetTickCount() const {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void GtkHost::PostMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    Enqueue(Queued{message, wParam, lParam, nullptr});
}

void GtkHost::Post(std::function<void()> call) {
    Enqueue(Queued{0, 0, 0, std::move(call)});
}

void GtkHost::Enqueue(Queued item) {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_queue.push_back(std::move(item));
    // One run of the queue is pending at a time; attaching it to the main
    // context is safe from any thread and wakes the loop.
    if (m_queueSource == 0) m_queueSource = g_idle_add_full(G_PRIORITY_DEFAULT, Signals::RunQueue, this, nullptr);
}

void GtkHost::RunQueued() {
    // What was queued before this turn runs now; what it queues runs in a
    // later turn, so painting and input keep going under a steady stream.
    std::deque<Queued> batch;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        batch.swap(m_queue);
        m_queueSource = 0;
    }
    const std::weak_ptr<bool> alive = m_alive;
    for (Queued& item : batch) {
        if (alive.expired()) return;
        if (item.call) {
            item.call();
        } else {
            Send(item.message, item.wParam, item.lParam);
        }
    }
}

void GtkHost::SetFocus() {
    if (!gtk_window_is_active(GTK_WINDOW(m_window)) && gtk_widget_get_visible(m_window)) {
        gtk_window_present(GTK_WINDOW(m_window));
    }
    gtk_widget_grab_focus(m_area);
}

bool GtkHost::HasFocus() const {
    return gtk_widget_has_focus(m_area) != FALSE;
}

void GtkHost::SetCursor(CursorShape shape) {
    if (m_cursorChoice) {
        m_cursorChoice = shape;
        return;
    }
    ApplyCursor(shape);
}

void GtkHost::ApplyCursor(CursorShape shape) {
    GdkWindow* window = gtk_widget_get_window(m_area);
    if (shape == m_cursor || window == nullptr) return;
    m_cursor = shape;
    GdkCursor* cursor = gdk_cursor_new_from_name(gtk_widget_get_display(m_area), CursorName(shape));
    gdk_window_set_cursor(window, cursor);
    if (cursor != nullptr) g_object_unref(cursor);
}

void GtkHost::TrackMouse(std::uint32_t hoverMs) {
    m_trackLeave = true;
    m_trackHover = true;
    m_hoverMs = hoverMs;
    RestartHoverTimer(m_pointer.value_or(UiPoint{}));
}

void GtkHost::RestartHoverTimer(UiPoint at) {
    StopHoverTimer();
    m_hoverAnchor = at;
    m_hoverSource = g_timeout_add(std::max(m_hoverMs, 1u), Signals::Hover, this);
}

void GtkHost::StopHoverTimer() {
    if (m_hoverSource != 0) g_source_remove(m_hoverSource);
    m_hoverSource = 0;
}

std::optional<UiPoint> GtkHost::GetPointerInClient() const {
    GdkWindow* window = gtk_widget_get_window(m_area);
    if (window == nullptr || !gtk_window_is_active(GTK_WINDOW(m_window)) ||
        (gdk_window_get_state(gtk_widget_get_window(m_window)) & GDK_WINDOW_STATE_ICONIFIED) != 0) {
        return std::nullopt;
    }
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(m_area));
    gint x = 0;
    gint y = 0;
    gdk_window_get_device_position(window, gdk_seat_get_pointer(seat), &x, &y, nullptr);
    const UiPoint point{x, y};
    if (!GetClientRect().Contains(point)) return std::nullopt;
    return point;
}

void GtkHost::ShowToolTip(const std::wstring& text, int maxWidth, UiPoint at) {
    if (m_toolTip == nullptr) {
        m_toolTip = gtk_window_new(GTK_WINDOW_POPUP);
        gtk_window_set_type_hint(GTK_WINDOW(m_toolTip), GDK_WINDOW_TYPE_HINT_TOOLTIP);
        gtk_window_set_transient_for(GTK_WINDOW(m_toolTip), GTK_WINDOW(m_window));
        gtk_style_context_add_class(gtk_widget_get_style_context(m_toolTip), GTK_STYLE_CLASS_TOOLTIP);
        m_toolTipLabel = gtk_label_new(nullptr);
        gtk_widget_set_margin_start(m_toolTipLabel, 4);
        gtk_widget_set_margin_end(m_toolTipLabel, 4);
        gtk_widget_set_margin_top(m_toolTipLabel, 2);
        gtk_widget_set_margin_bottom(m_toolTipLabel, 2);
        gtk_container_add(GTK_CONTAINER(m_toolTip), m_toolTipLabel);
        gtk_widget_show(m_toolTipLabel);
    }
    gtk_label_set_text(GTK_LABEL(m_toolTipLabel), ToUtf8(text).c_str());
    // One line as long as it fits the maximum width; a longer text wraps there.
    gtk_label_set_line_wrap(GTK_LABEL(m_toolTipLabel), FALSE);
    gtk_widget_set_size_request(m_toolTipLabel, -1, -1);
    gint natural = 0;
    gtk_widget_get_preferred_width(m_toolTipLabel, nullptr, &natural);
    if (maxWidth > 0 && natural > maxWidth) {
        gtk_label_set_line_wrap(GTK_LABEL(m_toolTipLabel), TRUE);
        gtk_widget_set_size_request(m_toolTipLabel, maxWidth, -1);
    }
    gtk_window_resize(GTK_WINDOW(m_toolTip), 1, 1);
    const UiRect frame = GetWindowRect();
    gtk_window_move(GTK_WINDOW(m_toolTip), frame.left + at.x, frame.top + at.y + kToolTipOffsetY);
    gtk_widget_show(m_toolTip);
}

void GtkHost::HideToolTip() {
    if (m_toolTip != nullptr) gtk_widget_hide(m_toolTip);
}

std::unique_ptr<NativeEdit> GtkHost::CreateNativeEdit(const NativeEditOptions& options, NativeEditListener* listener) {
    return std::make_unique<Entry>(*this, options, listener);
}

GtkHost::Entry::Entry(GtkHost& host, const NativeEditOptions& options, NativeEditListener* listener)
    : m_host(host),
      m_entry(gtk_entry_new()),
      m_listener(listener),
      m_rect(options.rect),
      m_digitsOnly(options.digitsOnly) {
    GtkEntry* entry = GTK_ENTRY(m_entry);
    gtk_entry_set_has_frame(entry, FALSE);
    gtk_entry_set_text(entry, ToUtf8(options.text).c_str());
    gtk_entry_set_max_length(entry, std::max(options.maxLength, 0));
    gtk_entry_set_visibility(entry, !options.password);
    if (options.password) gtk_entry_set_invisible_char(entry, static_cast<gunichar>(options.passwordChar));
    gtk_editable_set_editable(GTK_EDITABLE(entry), !options.readOnly);
    gtk_widget_set_sensitive(m_entry, options.enabled);
    if (options.digitsOnly) gtk_entry_set_input_purpose(entry, GTK_INPUT_PURPOSE_DIGITS);
    const float align = options.align == NativeEditAlign::kCenter  ? 0.5f
                        : options.align == NativeEditAlign::kRight ? 1.0f
                                                                   : 0.0f;
    gtk_entry_set_alignment(entry, align);

    // The entry looks like the control's text: its font and colours, no
    // frame, no padding and no minimum height of the theme.
    std::string css =
        "entry { border: none; border-radius: 0; box-shadow: none; outline: none; padding: 0; "
        "margin: 0; min-height: 0; min-width: 0; background-image: none; ";
    if (!options.fontFace.empty()) css += "font-family: " + CssString(ToUtf8(options.fontFace)) + "; ";
    if (options.fontSize > 0) css += "font-size: " + std::to_string(options.fontSize) + "px; ";
    css += options.bold ? "font-weight: bold; " : "font-weight: normal; ";
    css += options.italic ? "font-style: italic; " : "font-style: normal; ";
    css += "color: " + CssColor(options.textColor) + "; ";
    if (options.backgroundColor != 0xFFFFFFFF) css += "background-color: " + CssColor(options.backgroundColor) + "; ";
    css += "}";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(m_entry), GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);

    g_object_set_data(G_OBJECT(m_entry), "zd-native-edit", this);
    gtk_overlay_add_overlay(GTK_OVERLAY(m_host.m_overlay), m_entry);
    gtk_widget_set_visible(m_entry, !m_rect.IsEmpty());
    gtk_widget_grab_focus(m_entry);
    if (options.selectAll) {
        gtk_editable_select_region(GTK_EDITABLE(entry), 0, -1);
    } else {
        gtk_editable_set_position(GTK_EDITABLE(entry), -1);
    }
    g_signal_connect(m_entry, "changed", G_CALLBACK(OnChanged), this);
    g_signal_connect(m_entry, "activate", G_CALLBACK(OnActivate), this);
    g_signal_connect(m_entry, "focus-out-event", G_CALLBACK(OnFocusOut), this);
    g_signal_connect(m_entry, "insert-text", G_CALLBACK(OnInsertText), this);
}

GtkHost::Entry::~Entry() {
    g_signal_handlers_disconnect_by_data(m_entry, this);
    g_object_set_data(G_OBJECT(m_entry), "zd-native-edit", nullptr);
    // The keyboard goes back to the window rather than to nowhere.
    const bool hadFocus = gtk_widget_has_focus(m_entry) != FALSE;
    // The entry may be closing from inside a draw of the window, which still
    // walks its children: it goes from the screen now and is destroyed once
    // the draw is over. The reference keeps it alive should the window go
    // first.
    gtk_widget_hide(m_entry);
    g_idle_add_full(G_PRIORITY_HIGH, DestroyLater, g_object_ref(m_entry), nullptr);
    if (hadFocus) gtk_widget_grab_focus(m_host.m_area);
}

gboolean GtkHost::Entry::DestroyLater(gpointer widget) {
    gtk_widget_destroy(GTK_WIDGET(widget));
    g_object_unref(widget);
    return G_SOURCE_REMOVE;
}

void GtkHost::Entry::SetRect(const UiRect& rect) {
    m_rect = rect;
    gtk_widget_set_visible(m_entry, !m_rect.IsEmpty());
    gtk_widget_queue_resize(m_entry);
}

void GtkHost::Entry::SetText(std::wstring_view text) {
    gtk_entry_set_text(GTK_ENTRY(m_entry), ToUtf8(text).c_str());
}

std::wstring GtkHost::Entry::GetText() const {
    return ToWide(gtk_entry_get_text(GTK_ENTRY(m_entry)));
}

void GtkHost::Entry::PressAt(UiPoint point) {
    GtkEntry* entry = GTK_ENTRY(m_entry);
    gint offsetX = 0;
    gint offsetY = 0;
    gtk_entry_get_layout_offsets(entry, &offsetX, &offsetY);
    int index = 0;
    int trailing = 0;
    PangoLayout* layout = gtk_entry_get_layout(entry);
    pango_layout_xy_to_index(layout, (point.x - m_rect.left - offsetX) * PANGO_SCALE,
                             (point.y - m_rect.top - offsetY) * PANGO_SCALE, &index, &trailing);
    const gint byteIndex = gtk_entry_layout_index_to_text_index(entry, index);
    const glong position = g_utf8_pointer_to_offset(gtk_entry_get_text(entry), gtk_entry_get_text(entry) + byteIndex);
    gtk_editable_set_position(GTK_EDITABLE(entry), static_cast<gint>(position + trailing));
}

void GtkHost::Entry::OnChanged(GtkEditable* editable, gpointer self) {
    auto* entry = static_cast<Entry*>(self);
    // The listener may destroy this entry: nothing of it is touched after.
    entry->m_listener->OnNativeTextChanged(ToWide(gtk_entry_get_text(GTK_ENTRY(editable))));
}

void GtkHost::Entry::OnActivate(GtkEntry*, gpointer self) {
    static_cast<Entry*>(self)->m_listener->OnNativeReturn();
}

gboolean GtkHost::Entry::OnFocusOut(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<Entry*>(self)->m_listener->OnNativeFocusLost();
    return FALSE;
}

void GtkHost::Entry::OnInsertText(GtkEditable* editable, gchar* text, gint length, gint* position, gpointer self) {
    auto* entry = static_cast<Entry*>(self);
    if (!entry->m_digitsOnly) return;
    const std::string typed(text, length < 0 ? std::char_traits<char>::length(text) : static_cast<std::size_t>(length));
    std::string digits;
    for (char c : typed) {
        if (c >= '0' && c <= '9') digits += c;
    }
    if (digits == typed) return;
    // Only the digits go in.
    g_signal_stop_emission_by_name(editable, "insert-text");
    if (digits.empty()) return;
    g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(OnInsertText), self);
    gtk_editable_insert_text(editable, digits.c_str(), static_cast<gint>(digits.size()), position);
    g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(OnInsertText), self);
}

}  // namespace platform
