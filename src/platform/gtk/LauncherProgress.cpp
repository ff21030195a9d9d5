#include "platform/gtk/LauncherProgress.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <utility>

namespace platform {
namespace {

constexpr const char* kInterface = "com.canonical.Unity.LauncherEntry";

constexpr const char* kIntrospection =
    "<node>"
    "  <interface name='com.canonical.Unity.LauncherEntry'>"
    "    <method name='Query'>"
    "      <arg type='a{sv}' name='properties' direction='out'/>"
    "    </method>"
    "    <signal name='Update'>"
    "      <arg type='s' name='app_uri'/>"
    "      <arg type='a{sv}' name='properties'/>"
    "    </signal>"
    "  </interface>"
    "</node>";

// Steps of the bar the dock is told about. A dock's bar is a few dozen
// pixels wide, so finer steps would only be signals nobody sees.
constexpr unsigned kProgressSteps = 1000;

// What the dock is told: the bar's fill, whether it shows, and whether the
// icon asks for attention.
struct Properties {
    unsigned steps = 0;
    bool visible = false;
    bool urgent = false;

    bool operator==(const Properties& other) const {
        return steps == other.steps && visible == other.visible && urgent == other.urgent;
    }
    bool operator!=(const Properties& other) const { return !(*this == other); }
};

bool IsKnownState(TaskbarProgressState state) {
    switch (state) {
    case kTaskbarNoProgress:
    case kTaskbarIndeterminate:
    case kTaskbarNormal:
    case kTaskbarError:
    case kTaskbarPaused:
        return true;
    }
    return false;
}

// Rounded down, so that the bar is full only when everything is done; the
// product is formed in 128 bits because `completed` may use all 64.
unsigned ProgressSteps(std::uint64_t completed, std::uint64_t total) {
    if (total == 0) return 0;
    if (completed >= total) return kProgressSteps;
    return static_cast<unsigned>(static_cast<unsigned __int128>(completed) * kProgressSteps / total);
}

Properties Describe(TaskbarProgressState state, std::uint64_t completed, std::uint64_t total) {
    const unsigned steps = ProgressSteps(completed, total);
    switch (state) {
    case kTaskbarIndeterminate:
        // Docks have no moving bar; an empty visible one says that work has
        // begun without claiming an amount.
        return {0, true, false};
    case kTaskbarNormal:
    case kTaskbarPaused:
        return {steps, true, false};
    case kTaskbarError:
        return {steps, true, true};
    case kTaskbarNoProgress:
        break;
    }
    return {0, false, false};
}

// A floating a{sv} for the Update signal and the Query answer.
GVariant* ToVariant(const Properties& properties) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&builder, "{sv}", "progress",
                          g_variant_new_double(static_cast<double>(properties.steps) / kProgressSteps));
    g_variant_builder_add(&builder, "{sv}", "progress-visible", g_variant_new_boolean(properties.visible));
    g_variant_builder_add(&builder, "{sv}", "urgent", g_variant_new_boolean(properties.urgent));
    return g_variant_builder_end(&builder);
}

// Whether GLib would find a session bus without launching one. With the
// address variable unset it looks for the per-user socket and, failing
// that, starts a bus through the X display: a process that outlives us and
// may print, so a missing socket must stop us before g_bus_get_sync.
bool SessionBusNamed() {
    if (const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS")) return address[0] != '\0';
    const char* runtimeFolder = g_getenv("XDG_RUNTIME_DIR");
    if (runtimeFolder == nullptr || runtimeFolder[0] == '\0') return false;
    const std::string socketPath = std::string(runtimeFolder) + "/bus";
    struct stat info {};
    return ::stat(socketPath.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_uid == ::getuid();
}

GDBusInterfaceInfo* InterfaceInfo() {
    static GDBusNodeInfo* const node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    return g_dbus_node_info_lookup_interface(node, kInterface);
}

}  // namespace

struct LauncherProgress::Entry {
    Entry(GDBusConnection* connection, std::string appUri)
        : connection(connection), appUri(std::move(appUri)) {}
    ~Entry() { g_object_unref(connection); }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

    Properties Current() const {
        std::lock_guard<std::mutex> lock(mutex);
        return Describe(state, completed, total);
    }

    // Sends the current properties unless they are those sent last; with
    // `mutex` held, so that the signals leave in the order of the calls.
    // True when a signal was queued.
    bool Publish() {
        const Properties properties = Describe(state, completed, total);
        if (properties == sent) return false;
        sent = properties;
        // Queued for the connection's own thread; a closed bus is not the
        // caller's concern.
        g_dbus_connection_emit_signal(connection, nullptr, kObjectPath, kInterface, "Update",
                                      g_variant_new("(s@a{sv})", appUri.c_str(), ToVariant(properties)),
                                      nullptr);
        return true;
    }

    GDBusConnection* const connection;
    const std::string appUri;
    unsigned registration = 0;

    mutable std::mutex mutex;
    TaskbarProgressState state = kTaskbarNoProgress;
    std::uint64_t completed = 0;
    std::uint64_t total = 0;
    // Docks assume no progress until told otherwise.
    Properties sent;
};

namespace {

// Query is the only method the interface info lets through.
void HandleMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
                      GDBusMethodInvocation* invocation, gpointer userData) {
    const auto& entry = *static_cast<std::shared_ptr<LauncherProgress::Entry>*>(userData);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(@a{sv})", ToVariant(entry->Current())));
}

void FreeHandlerData(gpointer userData) {
    delete static_cast<std::shared_ptr<LauncherProgress::Entry>*>(userData);
}

const GDBusInterfaceVTable kVTable = {HandleMethodCall, nullptr, nullptr, {}};

}  // namespace

std::unique_ptr<LauncherProgress> LauncherProgress::Connect(const std::string& desktopId) {
    if (desktopId.empty() || !g_utf8_validate(desktopId.data(), static_cast<gssize>(desktopId.size()), nullptr))
        return nullptr;
    if (!SessionBusNamed()) return nullptr;

    GError* error = nullptr;
    GDBusConnection* connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (connection == nullptr) {
        g_error_free(error);
        return nullptr;
    }
    // GLib's shared session connection ends the process when the bus goes
    // away; an installer must not die because the desktop's bus did.
    g_dbus_connection_set_exit_on_close(connection, FALSE);

    auto entry = std::make_shared<Entry>(connection, "application://" + desktopId);
    auto* handlerData = new std::shared_ptr<Entry>(entry);
    entry->registration = g_dbus_connection_register_object(connection, kObjectPath, InterfaceInfo(), &kVTable,
                                                            handlerData, FreeHandlerData, &error);
    if (entry->registration == 0) {
        // GLib frees the handler's data only for a registration it made.
        FreeHandlerData(handlerData);
        g_error_free(error);
        return nullptr;
    }
    return std::unique_ptr<LauncherProgress>(new LauncherProgress(std::move(entry)));
}

LauncherProgress::LauncherProgress(std::shared_ptr<Entry> entry) : m_entry(std::move(entry)) {}

LauncherProgress::~LauncherProgress() {
    bool hidden = false;
    {
        std::lock_guard<std::mutex> lock(m_entry->mutex);
        m_entry->state = kTaskbarNoProgress;
        hidden = m_entry->Publish();
    }
    // The process may end right after; the dock must still hear of it.
    if (hidden) g_dbus_connection_flush_sync(m_entry->connection, nullptr, nullptr);
    g_dbus_connection_unregister_object(m_entry->connection, m_entry->registration);
}

void LauncherProgress::SetState(TaskbarProgressState state) {
    if (!IsKnownState(state)) return;
    std::lock_guard<std::mutex> lock(m_entry->mutex);
    m_entry->state = state;
    m_entry->Publish();
}

void LauncherProgress::SetValue(std::uint64_t completed, std::uint64_t total) {
    std::lock_guard<std::mutex> lock(m_entry->mutex);
    if (m_entry->state == kTaskbarNoProgress || m_entry->state == kTaskbarIndeterminate)
        m_entry->state = kTaskbarNormal;
    m_entry->completed = completed;
    m_entry->total = total;
    m_entry->Publish();
}

}  // namespace platform
