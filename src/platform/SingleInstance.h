#pragma once
// Stands for the named mutex and FindWindow(title) + ShowWindow(SW_RESTORE) +
// SetForegroundWindow between two copies of the program.

#include <functional>
#include <memory>
#include <string>

namespace platform {

// An flock on "<name>.lock" in $XDG_RUNTIME_DIR (/tmp when that is unset or
// not an existing absolute folder). The holder answers
// the line requests "title" and "raise" on the Unix socket "<name>.sock" beside
// it. In both file names every byte of the name other than a letter, digit,
// '.', '_' or '-' is written as %XX, so a '/' cannot leave the folder; a name
// too long for a socket path is cut and completed by its hash. The lock is
// held until the object is destroyed or the process ends.
class InstanceLock {
public:
    // Called on the channel's own thread; the holder posts to its UI thread.
    struct Answers {
        std::function<std::string()> title;
        std::function<void()> raise;
    };

    // Null when another process holds the lock or it cannot be taken.
    static std::unique_ptr<InstanceLock> TryAcquire(const std::string& instanceName);

    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Starts answering other copies on a thread of its own, which the
    // destructor stops and joins. Call once; false when the channel cannot be
    // opened (or was already started), in which case no copy can raise us.
    bool StartAnswering(Answers answers);

private:
    struct State;
    explicit InstanceLock(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// For the copy that lost the lock: asks the holder of instanceName for its
// title and, when it equals `title`, asks it to raise itself. True when a
// window with that title was found and asked.
bool RaiseRunningInstance(const std::string& instanceName, const std::string& title);

}  // namespace platform
