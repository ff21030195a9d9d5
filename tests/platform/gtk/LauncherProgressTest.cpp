// The dock-icon progress on a real, private session bus: a second connection
// listens for the Update signals as a dock would and calls Query on the
// entry. The cases without a usable bus run in a probe program, because
// GLib keeps one session connection for the whole process.

#include "platform/gtk/LauncherProgress.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "XvfbTest.h"

namespace {

using platform::LauncherProgress;

constexpr const char* kDesktopId = "zelmora-setup.desktop";
constexpr const char* kAppUri = "application://zelmora-setup.desktop";
constexpr const char* kInterface = "com.canonical.Unity.LauncherEntry";
constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

// The properties of one Update signal or Query answer.
struct Shown {
    double progress = -1;
    bool visible = false;
    bool urgent = false;

    bool operator==(const Shown& other) const {
        return progress == other.progress && visible == other.visible && urgent == other.urgent;
    }
};

void PrintTo(const Shown& shown, std::ostream* out) {
    *out << "{progress " << shown.progress << (shown.visible ? ", visible" : ", hidden")
         << (shown.urgent ? ", urgent}" : "}");
}

// Reads an a{sv}; whatever is missing, mistyped or unexpected goes to
// `faults`.
Shown ReadProperties(GVariant* properties, std::string* faults) {
    Shown shown;
    bool seenProgress = false, seenVisible = false, seenUrgent = false;
    GVariantIter iter;
    g_variant_iter_init(&iter, properties);
    const gchar* key = nullptr;
    GVariant* value = nullptr;
    while (g_variant_iter_next(&iter, "{&sv}", &key, &value)) {
        const std::string name = key;
        if (name == "progress" && g_variant_is_of_type(value, G_VARIANT_TYPE_DOUBLE)) {
            shown.progress = g_variant_get_double(value);
            seenProgress = true;
        } else if (name == "progress-visible" && g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN)) {
            shown.visible = g_variant_get_boolean(value);
            seenVisible = true;
        } else if (name == "urgent" && g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN)) {
            shown.urgent = g_variant_get_boolean(value);
            seenUrgent = true;
        } else {
            *faults += "unexpected " + name + " of type " + g_variant_get_type_string(value) + "; ";
        }
        g_variant_unref(value);
    }
    if (!seenProgress) *faults += "no progress; ";
    if (!seenVisible) *faults += "no progress-visible; ";
    if (!seenUrgent) *faults += "no urgent; ";
    return shown;
}

struct Update {
    std::string sender;
    std::string path;
    std::string signature;
    std::string appUri;
    Shown shown;
    std::string faults;
};

// One private session bus for the whole program, since GLib's session
// connection, once made, lasts as long as the process; and a listener on it
// that records every Update signal.
class SessionBus : public ::testing::Environment {
public:
    void SetUp() override {
        m_folder = std::make_unique<TempFolder>();
        m_address = "unix:path=" + socketPath();
        m_daemon = std::make_unique<ChildProcess>(
            std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + m_address},
            *m_folder / "dbus.log");
        // The socket appears a moment after the start.
        PollUntil([&] {
            if (!m_daemon->Running()) return true;
            GError* error = nullptr;
            m_listener = g_dbus_connection_new_for_address_sync(
                m_address.c_str(),
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                  G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, &error);
            g_clear_error(&error);
            return m_listener != nullptr;
        });
        if (m_listener == nullptr) return;
        m_subscription = g_dbus_connection_signal_subscribe(m_listener, nullptr, kInterface, "Update", nullptr,
                                                            nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &SessionBus::Record,
                                                            this, nullptr);
        // The bus handles a connection's messages in order, so once this
        // answer is back the subscription is in force.
        GVariant* id = g_dbus_connection_call_sync(m_listener, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                   "org.freedesktop.DBus", "GetId", nullptr, nullptr,
                                                   G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
        if (id != nullptr) g_variant_unref(id);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
    }

    void TearDown() override {
        if (m_listener != nullptr) {
            g_dbus_connection_signal_unsubscribe(m_listener, m_subscription);
            g_dbus_connection_close_sync(m_listener, nullptr, nullptr);
            g_object_unref(m_listener);
            m_listener = nullptr;
        }
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        m_daemon.reset();
        m_folder.reset();
    }

    bool Ready() const { return m_listener != nullptr; }
    std::string DaemonLog() const { return ReadLog(*m_folder / "dbus.log"); }
    const std::string& Address() const { return m_address; }
    // The folder the bus's socket is in, named "bus" as a per-user bus is.
    const std::string& Folder() const { return m_folder->path(); }
    GDBusConnection* Listener() const { return m_listener; }
    std::vector<Update>& Updates() { return m_updates; }

    // Dispatches the listener's signals until `count` updates have come.
    bool WaitForUpdates(std::size_t count) {
        return PollUntil([&] {
            while (g_main_context_iteration(nullptr, FALSE)) {
            }
            return m_updates.size() >= count;
        });
    }

private:
    std::string socketPath() const { return *m_folder / "bus"; }

    static void Record(GDBusConnection*, const gchar* sender, const gchar* path, const gchar*, const gchar*,
                       GVariant* parameters, gpointer self) {
        Update update;
        update.sender = sender;
        update.path = path;
        update.signature = g_variant_get_type_string(parameters);
        if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv})"))) {
            const gchar* appUri = nullptr;
            GVariant* properties = nullptr;
            g_variant_get(parameters, "(&s@a{sv})", &appUri, &properties);
            update.appUri = appUri;
            update.shown = ReadProperties(properties, &update.faults);
            g_variant_unref(properties);
        }
        static_cast<SessionBus*>(self)->m_updates.push_back(update);
    }

    std::unique_ptr<TempFolder> m_folder;
    std::unique_ptr<ChildProcess> m_daemon;
    std::string m_address;
    GDBusConnection* m_listener = nullptr;
    unsigned m_subscription = 0;
    std::vector<Update> m_updates;
};

SessionBus* const g_bus = static_cast<SessionBus*>(::testing::AddGlobalTestEnvironment(new SessionBus));

// A test with an entry of its own on the bus.
class LauncherProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_bus->Ready()) << "the session bus did not start:\n" << g_bus->DaemonLog();
        g_bus->Updates().clear();
        m_progress = LauncherProgress::Connect(kDesktopId);
        ASSERT_NE(m_progress, nullptr);
    }

    // An entry that goes while its bar shows must take the bar away; waiting
    // for that also keeps its signal out of the next test.
    void TearDown() override {
        const std::vector<Update>& updates = g_bus->Updates();
        const bool showing = !updates.empty() && updates.back().shown.visible;
        const std::size_t count = updates.size();
        m_progress.reset();
        if (!showing) return;
        ASSERT_TRUE(g_bus->WaitForUpdates(count + 1)) << "closing the entry left the bar on the icon";
        EXPECT_FALSE(updates.back().shown.visible);
    }

    std::vector<Shown> ShownList() const {
        std::vector<Shown> shown;
        for (const Update& update : g_bus->Updates()) shown.push_back(update.shown);
        return shown;
    }

    std::unique_ptr<LauncherProgress> m_progress;
};

// One call on the entry and what it should send, if anything.
struct Call {
    bool isValue = false;
    TaskbarProgressState state = kTaskbarNoProgress;
    std::uint64_t completed = 0;
    std::uint64_t total = 0;
    std::optional<Shown> sends;
};

Call State(TaskbarProgressState state, std::optional<Shown> sends) {
    return Call{false, state, 0, 0, sends};
}
Call Value(std::uint64_t completed, std::uint64_t total, std::optional<Shown> sends) {
    return Call{true, kTaskbarNoProgress, completed, total, sends};
}
const std::optional<Shown> kNothing;

struct Script {
    const char* name;
    std::vector<Call> calls;
};

void PrintTo(const Script& script, std::ostream* out) {
    *out << script.name;
}

class LauncherScriptTest : public LauncherProgressTest, public ::testing::WithParamInterface<Script> {};

// All calls are made, then the updates are compared with the expected ones
// as a whole list: the bus keeps one sender's signals in order, so a signal
// that should not have been sent shifts the list and shows.
TEST_P(LauncherScriptTest, SendsOneUpdatePerChange) {
    const Script& script = GetParam();
    ASSERT_TRUE(script.calls.back().sends) << "a stray update after the last call would go unseen";
    std::vector<Shown> expected;
    for (const Call& call : script.calls) {
        if (call.isValue)
            m_progress->SetValue(call.completed, call.total);
        else
            m_progress->SetState(call.state);
        if (call.sends) expected.push_back(*call.sends);
    }
    ASSERT_TRUE(g_bus->WaitForUpdates(expected.size())) << "only " << g_bus->Updates().size() << " updates came";
    EXPECT_EQ(ShownList(), expected);
    for (const Update& update : g_bus->Updates()) {
        EXPECT_EQ(update.signature, "(sa{sv})");
        EXPECT_EQ(update.appUri, kAppUri);
        EXPECT_EQ(update.path, LauncherProgress::kObjectPath);
        EXPECT_EQ(update.faults, "");
        EXPECT_EQ(update.sender, g_bus->Updates().front().sender);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, LauncherScriptTest,
    ::testing::Values(
        Script{"States",
               {State(kTaskbarIndeterminate, Shown{0, true, false}),
                // The same empty bar as the indeterminate state.
                State(kTaskbarNormal, kNothing),
                Value(50, 100, Shown{0.5, true, false}),
                State(kTaskbarError, Shown{0.5, true, true}),
                State(kTaskbarPaused, Shown{0.5, true, false}),
                State(kTaskbarNoProgress, Shown{0, false, false}),
                State(kTaskbarNormal, Shown{0.5, true, false}),
                State(kTaskbarIndeterminate, Shown{0, true, false}),
                State(kTaskbarPaused, Shown{0.5, true, false})}},
        Script{"ValueSwitchesToNormal",
               {Value(30, 100, Shown{0.3, true, false}),
                State(kTaskbarIndeterminate, Shown{0, true, false}),
                Value(40, 100, Shown{0.4, true, false}),
                State(kTaskbarError, Shown{0.4, true, true}),
                Value(60, 100, Shown{0.6, true, true}),
                State(kTaskbarPaused, Shown{0.6, true, false}),
                Value(70, 100, Shown{0.7, true, false}),
                State(kTaskbarError, Shown{0.7, true, true})}},
        Script{"RepeatsSendNothing",
               {State(kTaskbarNoProgress, kNothing),
                Value(0, 0, Shown{0, true, false}),
                State(kTaskbarNormal, kNothing),
                Value(0, 0, kNothing),
                Value(50, 100, Shown{0.5, true, false}),
                Value(50, 100, kNothing),
                Value(500, 1000, kNothing),
                // A step finer than the bar's thousandths.
                Value(5004, 10000, kNothing),
                State(kTaskbarPaused, kNothing),
                State(static_cast<TaskbarProgressState>(3), kNothing),
                State(static_cast<TaskbarProgressState>(16), kNothing),
                State(kTaskbarError, Shown{0.5, true, true}),
                State(kTaskbarError, kNothing),
                Value(50, 100, kNothing),
                State(kTaskbarNoProgress, Shown{0, false, false}),
                State(kTaskbarNoProgress, kNothing),
                State(kTaskbarPaused, Shown{0.5, true, false})}},
        Script{"Clamping",
               {Value(150, 100, Shown{1, true, false}),
                Value(7, 0, Shown{0, true, false}),
                Value(kMax, kMax, Shown{1, true, false}),
                // Never full before everything is done, even where doubles
                // could not tell the two numbers apart.
                Value(kMax - 1, kMax, Shown{0.999, true, false}),
                Value(1, kMax, Shown{0, true, false}),
                Value(kMax, 1, Shown{1, true, false}),
                Value(1, 3, Shown{0.333, true, false}),
                Value(kMax / 3 * 2, kMax, Shown{0.666, true, false})}}),
    [](const ::testing::TestParamInfo<Script>& info) { return std::string(info.param.name); });

struct QueryCase {
    const char* name;
    std::vector<Call> calls;
    Shown answer;
};

void PrintTo(const QueryCase& queryCase, std::ostream* out) {
    *out << queryCase.name;
}

class LauncherQueryTest : public LauncherProgressTest, public ::testing::WithParamInterface<QueryCase> {
protected:
    // Calls Query on the entry as a dock would; the entry answers on this
    // thread's main context, which is dispatched while waiting.
    Shown Query(const std::string& sender, std::string* faults) {
        struct Result {
            bool done = false;
            GVariant* reply = nullptr;
            std::string error;
        } result;
        g_dbus_connection_call(
            g_bus->Listener(), sender.c_str(), LauncherProgress::kObjectPath, kInterface, "Query", nullptr,
            G_VARIANT_TYPE("(a{sv})"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
            [](GObject* connection, GAsyncResult* asyncResult, gpointer data) {
                auto* result = static_cast<Result*>(data);
                GError* error = nullptr;
                result->reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(connection), asyncResult, &error);
                if (error != nullptr) {
                    result->error = error->message;
                    g_error_free(error);
                }
                result->done = true;
            },
            &result);
        PollUntil([&] {
            while (g_main_context_iteration(nullptr, FALSE)) {
            }
            return result.done;
        });
        if (!result.done) {
            *faults = "no answer";
            return Shown{};
        }
        if (result.reply == nullptr) {
            *faults = result.error;
            return Shown{};
        }
        GVariant* properties = g_variant_get_child_value(result.reply, 0);
        const Shown shown = ReadProperties(properties, faults);
        g_variant_unref(properties);
        g_variant_unref(result.reply);
        return shown;
    }
};

TEST_P(LauncherQueryTest, AnswersTheCurrentProperties) {
    std::size_t sent = 0;
    for (const Call& call : GetParam().calls) {
        if (call.isValue)
            m_progress->SetValue(call.completed, call.total);
        else
            m_progress->SetState(call.state);
        if (call.sends) ++sent;
    }
    // The sender's name is learnt from its signals.
    ASSERT_TRUE(g_bus->WaitForUpdates(sent));
    std::string faults;
    EXPECT_EQ(Query(g_bus->Updates().back().sender, &faults), GetParam().answer);
    EXPECT_EQ(faults, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LauncherQueryTest,
    ::testing::Values(
        QueryCase{"Error",
                  {Value(25, 100, Shown{0.25, true, false}), State(kTaskbarError, Shown{0.25, true, true})},
                  Shown{0.25, true, true}},
        QueryCase{"Indeterminate",
                  {Value(25, 100, Shown{0.25, true, false}), State(kTaskbarIndeterminate, Shown{0, true, false})},
                  Shown{0, true, false}},
        QueryCase{"NoProgress",
                  {Value(80, 100, Shown{0.8, true, false}), State(kTaskbarNoProgress, Shown{0, false, false})},
                  Shown{0, false, false}}),
    [](const ::testing::TestParamInfo<QueryCase>& info) { return std::string(info.param.name); });

TEST_F(LauncherProgressTest, ClosingHidesTheBarOnlyWhenItShows) {
    m_progress->SetValue(40, 100);
    ASSERT_TRUE(g_bus->WaitForUpdates(1));
    m_progress.reset();
    ASSERT_TRUE(g_bus->WaitForUpdates(2));
    EXPECT_EQ(g_bus->Updates().back().shown, (Shown{0, false, false}));

    // Without a bar there is nothing to take away: the next entry's first
    // signal is the next update.
    m_progress = LauncherProgress::Connect(kDesktopId);
    ASSERT_NE(m_progress, nullptr);
    m_progress.reset();
    m_progress = LauncherProgress::Connect(kDesktopId);
    ASSERT_NE(m_progress, nullptr);
    m_progress->SetState(kTaskbarError);
    ASSERT_TRUE(g_bus->WaitForUpdates(3));
    EXPECT_EQ(ShownList(), (std::vector<Shown>{{0.4, true, false}, {0, false, false}, {0, true, true}}));
}

TEST_F(LauncherProgressTest, OneEntryPerProcess) {
    EXPECT_EQ(LauncherProgress::Connect(kDesktopId), nullptr);
    // The refused one leaves the first working.
    m_progress->SetState(kTaskbarIndeterminate);
    ASSERT_TRUE(g_bus->WaitForUpdates(1));
    EXPECT_EQ(g_bus->Updates().back().shown, (Shown{0, true, false}));
}

TEST_F(LauncherProgressTest, RefusesDesktopIdsThatAreNotText) {
    m_progress.reset();
    for (const std::string& desktopId : {std::string(), std::string("\xff\xfe.desktop"), std::string("a\0b", 3)}) {
        EXPECT_EQ(LauncherProgress::Connect(desktopId), nullptr) << desktopId;
    }
}

// The probe's environment: no session bus named but the one a case gives,
// and a display, which would let GLib launch a bus of its own. The launcher
// it would run is a tripwire that leaves a mark.
struct ProbeCase {
    const char* name;
    // Assignments for `env`; "@empty@" is a folder without a bus, "@bus@"
    // the folder with the test's bus, "@address@" its address, "@port@" a
    // TCP port nobody listens on.
    std::vector<std::string> environment;
    const char* output;
};

void PrintTo(const ProbeCase& probeCase, std::ostream* out) {
    *out << probeCase.name;
}

std::string Expand(std::string text, const std::string& token, const std::string& value) {
    for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size()))
        text.replace(at, token.size(), value);
    return text;
}

class LauncherProbeTest : public ::testing::TestWithParam<ProbeCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_bus->Ready()) << "the session bus did not start:\n" << g_bus->DaemonLog();
        ::mkdir((m_folder / "bin").c_str(), 0755);
        const std::string launcher = m_folder / "bin/dbus-launch";
        std::ofstream(launcher) << "#!/bin/sh\ntouch '" << m_folder / "launched" << "'\nexit 1\n";
        ::chmod(launcher.c_str(), 0755);
    }

    TempFolder m_folder;
};

TEST_P(LauncherProbeTest, ConnectsOnlyToAReachableBusAndStaysQuiet) {
    const char* path = std::getenv("PATH");
    std::vector<std::string> argv{"env",
                                  "-u",
                                  "DBUS_SESSION_BUS_ADDRESS",
                                  "-u",
                                  "XDG_RUNTIME_DIR",
                                  "DISPLAY=:99",
                                  "PATH=" + (m_folder / "bin") + ":" + (path != nullptr ? path : "/usr/bin:/bin")};
    for (std::string assignment : GetParam().environment) {
        assignment = Expand(assignment, "@empty@", m_folder.path());
        assignment = Expand(assignment, "@bus@", g_bus->Folder());
        assignment = Expand(assignment, "@address@", g_bus->Address());
        assignment = Expand(assignment, "@port@", std::to_string(PickFreePort()));
        argv.push_back(assignment);
    }
    argv.push_back(ZD_LAUNCHER_PROBE_EXE);
    ChildProcess probe(argv, m_folder / "probe.log");
    ASSERT_TRUE(PollUntil([&] { return !probe.Running(); })) << "the probe hangs";
    EXPECT_EQ(ReadLog(m_folder / "probe.log"), std::string(GetParam().output) + "\n");
    struct stat info {};
    EXPECT_NE(::stat((m_folder / "launched").c_str(), &info), 0) << "a bus was launched";
}

INSTANTIATE_TEST_SUITE_P(
    Environments, LauncherProbeTest,
    ::testing::Values(
        ProbeCase{"NoAddressNoRuntimeFolder", {}, "none"},
        ProbeCase{"RuntimeFolderWithoutBus", {"XDG_RUNTIME_DIR=@empty@"}, "none"},
        ProbeCase{"EmptyAddress", {"DBUS_SESSION_BUS_ADDRESS="}, "none"},
        ProbeCase{"MissingSocket", {"DBUS_SESSION_BUS_ADDRESS=unix:path=@empty@/bus"}, "none"},
        ProbeCase{"AddressThatDoesNotParse", {"DBUS_SESSION_BUS_ADDRESS=not an address"}, "none"},
        ProbeCase{"PortNobodyListensOn", {"DBUS_SESSION_BUS_ADDRESS=tcp:host=127.0.0.1,port=@port@"}, "none"},
        ProbeCase{"RuntimeFolderWithBus", {"XDG_RUNTIME_DIR=@bus@"}, "connected"},
        ProbeCase{"AddressOfBus", {"DBUS_SESSION_BUS_ADDRESS=@address@"}, "connected"}),
    [](const ::testing::TestParamInfo<ProbeCase>& info) { return std::string(info.param.name); });

}  // namespace
