#pragma once
// Stands for the process snapshot (CreateToolhelp32Snapshot), TerminateProcess
// and CreateProcess + WaitForSingleObject.

#include <optional>
#include <string>
#include <vector>
#include <sys/types.h>

namespace platform {

struct ProcessEntry {
    pid_t pid = 0;
    // Base name of the executable (/proc/<pid>/exe, else argv[0] of cmdline);
    // empty for kernel threads and zombies, which have neither.
    std::string imageName;
};

// Every process the system lists, in ascending pid order.
std::vector<ProcessEntry> ProcessSnapshot();

// Ends the process at once (SIGKILL); false when it cannot be signalled.
bool KillProcess(pid_t pid);

// Starts argv[0] (a path, not searched on PATH) with those arguments;
// nullopt when it cannot be started.
std::optional<pid_t> SpawnProcess(const std::vector<std::string>& argv);

// Blocks until the child ends; its exit status, 128 + signal when it was
// killed, nullopt when the pid is not a child of this process.
std::optional<int> WaitProcess(pid_t pid);

}  // namespace platform
