#pragma once
// The progress on the program's dock or taskbar icon, sent over the session
// bus as the launcher-entry Update signal that desktop docks listen for. The
// dock finds the icon by the desktop file named in the signal, so the window
// itself is not involved.
//
// Connect on the thread that runs the GTK main loop: the entry answers the
// docks' Query calls there. The setters may be called from any thread and
// never wait for the bus.

#include <cstdint>
#include <memory>
#include <string>

#include "ui_toolkit/host/TaskbarProgressState.h"

namespace platform {

class LauncherProgress {
public:
    // The object path the entry is exported at and its signals come from.
    static constexpr const char* kObjectPath = "/com/zelmora/setup/LauncherEntry";

    // `desktopId` names the program's desktop file ("zelmora-setup.desktop").
    // Null, quietly and at once, when there is no session bus to reach, when
    // `desktopId` is empty or not UTF-8, or when this process already exports
    // an entry.
    static std::unique_ptr<LauncherProgress> Connect(const std::string& desktopId);
    // Takes the bar off the icon: the dock keeps the icon after the program
    // has gone and would otherwise keep showing the last progress.
    ~LauncherProgress();
    LauncherProgress(const LauncherProgress&) = delete;
    LauncherProgress& operator=(const LauncherProgress&) = delete;

    // As on the platform the program was written for: a value given in the
    // no-progress or indeterminate state switches to the normal state; the
    // error and paused states stay and take the value. A state outside
    // TaskbarProgressState is ignored.
    void SetState(TaskbarProgressState state);
    void SetValue(std::uint64_t completed, std::uint64_t total);

    // Shared with the bus's Query handler, which may still be queued when
    // the entry goes away.
    struct Entry;

private:
    explicit LauncherProgress(std::shared_ptr<Entry> entry);

    std::shared_ptr<Entry> m_entry;
};

}  // namespace platform
