#include "platform/Processes.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::optional<pid_t> PidOfName(const char* name) {
    pid_t pid = 0;
    for (const char* c = name; *c; ++c) {
        if (*c < '0' || *c > '9') {
            return std::nullopt;
        }
        pid = pid * 10 + (*c - '0');
    }
    return pid > 0 ? std::optional<pid_t>(pid) : std::nullopt;
}

std::string ExecutablePath(const std::string& folder) {
    const std::string link = folder + "/exe";
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = readlink(link.c_str(), target.data(), target.size());
        if (length < 0) {
            return "";
        }
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            break;
        }
        target.resize(target.size() * 2);
    }
    // The kernel marks an executable removed after the start; the process
    // still runs under its name.
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.size() > kDeleted.size() &&
        target.compare(target.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0 &&
        access(target.c_str(), F_OK) != 0) {
        target.resize(target.size() - kDeleted.size());
    }
    return target;
}

// argv[0] of the command line, which anyone may read even when the exe link
// of another user's process is closed to us.
std::string FirstArgument(const std::string& folder) {
    std::ifstream file(folder + "/cmdline", std::ios::binary);
    std::string first;
    std::getline(file, first, '\0');
    return first;
}

}  // namespace

std::vector<ProcessEntry> ProcessSnapshot() {
    std::vector<pid_t> pids;
    if (DIR* proc = opendir("/proc")) {
        while (const dirent* entry = readdir(proc)) {
            if (const std::optional<pid_t> pid = PidOfName(entry->d_name)) {
                pids.push_back(*pid);
            }
        }
        closedir(proc);
    }
    std::sort(pids.begin(), pids.end());

    std::vector<ProcessEntry> processes;
    processes.reserve(pids.size());
    for (const pid_t pid : pids) {
        const std::string folder = "/proc/" + std::to_string(pid);
        std::string path = ExecutablePath(folder);
        if (path.empty()) {
            path = FirstArgument(folder);
        }
        processes.push_back({pid, BaseName(path)});
    }
    return processes;
}

bool KillProcess(pid_t pid) {
    // 0 and negative values would signal whole process groups or every process.
    return pid > 0 && kill(pid, SIGKILL) == 0;
}

std::optional<pid_t> SpawnProcess(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return std::nullopt;
    }
    std::vector<char*> arguments;
    arguments.reserve(argv.size() + 1);
    for (const std::string& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);

    // The child starts with default signal handling and nothing blocked,
    // whatever this process ignores or masks (SIGPIPE in particular).
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) {
        return std::nullopt;
    }
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    const int error = posix_spawn(&pid, arguments[0], nullptr, &attributes, arguments.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        return std::nullopt;
    }
    return pid;
}

std::optional<int> WaitProcess(pid_t pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    int status = 0;
    pid_t result = 0;
    do {
        result = waitpid(pid, &status, 0);
    } while (result < 0 && errno == EINTR);
    if (result != pid) {
        return std::nullopt;
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}

}  // namespace platform
