#include "platform/Launcher.h"

#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <limits>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {
namespace {

// The user a program is started as when this process drops its rights.
struct Account {
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;
    std::string name;
    std::string home;
};

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::optional<std::uint32_t> ParseId(const std::string& text) {
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    // (uid_t)-1 means "no change" to setuid and setgid.
    if (value >= std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<Account> AccountOfUid(uid_t uid) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return std::nullopt;
    }
    Account account;
    account.uid = entry.pw_uid;
    account.gid = entry.pw_gid;
    account.name = entry.pw_name ? entry.pw_name : "";
    account.home = entry.pw_dir ? entry.pw_dir : "";
    return account;
}

// The supplementary groups the account gets at login, so none of ours survive.
std::vector<gid_t> GroupsOf(const std::string& name, gid_t gid) {
    int count = 32;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    while (getgrouplist(name.c_str(), gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count) + 32);
        count = static_cast<int>(groups.size());
    }
    groups.resize(static_cast<std::size_t>(count));
    return groups;
}

// The user on whose behalf this root process runs: PKEXEC_UID, else
// SUDO_UID / SUDO_GID; none when not root or no variable names a real,
// non-root user.
std::optional<Account> InteractiveUser() {
    if (geteuid() != 0) {
        return std::nullopt;
    }
    struct Source {
        const char* uidVariable;
        const char* gidVariable;
    };
    for (const Source source : {Source{"PKEXEC_UID", nullptr}, Source{"SUDO_UID", "SUDO_GID"}}) {
        const std::optional<std::uint32_t> uid = ParseId(Environment(source.uidVariable));
        if (!uid || *uid == 0) {
            continue;
        }
        std::optional<Account> account = AccountOfUid(*uid);
        if (!account) {
            continue;
        }
        // Root's group is never handed on, whatever the variable says.
        if (source.gidVariable) {
            const std::optional<std::uint32_t> gid = ParseId(Environment(source.gidVariable));
            if (gid && *gid != 0) {
                account->gid = *gid;
            }
        }
        account->groups = GroupsOf(account->name, account->gid);
        return account;
    }
    return std::nullopt;
}

// This process's environment with the variables that name the user replaced.
std::vector<std::string> EnvironmentFor(const Account& account) {
    const std::string replaced[] = {"HOME=" + account.home, "USER=" + account.name,
                                    "LOGNAME=" + account.name};
    std::vector<std::string> variables(std::begin(replaced), std::end(replaced));
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (name != "HOME" && name != "USER" && name != "LOGNAME") {
            variables.push_back(variable);
        }
    }
    return variables;
}

std::vector<char*> Pointers(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (const std::string& text : strings) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

[[noreturn]] void ReportAndExit(int pipe, int error) {
    [[maybe_unused]] const ssize_t written = write(pipe, &error, sizeof error);
    _exit(127);
}

// Closes the descriptors first..last; the loop up to `highest` serves kernels
// without close_range.
void CloseDescriptors(int first, unsigned last, int highest) {
    if (close_range(static_cast<unsigned>(first), last, 0) == 0) {
        return;
    }
    for (int descriptor = first; descriptor <= highest && static_cast<unsigned>(descriptor) <= last;
         ++descriptor) {
        close(descriptor);
    }
}

// Everything between fork and exec is async-signal-safe: the memory it uses
// was prepared by the parent.
[[noreturn]] void ExecuteInChild(char* const argv[], char* const envp[], const Account* account,
                                 int reportPipe, int highestDescriptor) {
    // Its own session, so a signal to our terminal's process group spares it.
    setsid();
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    for (int number = 1; number < NSIG; ++number) {
        sigaction(number, &defaultAction, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);

    if (account) {
        // Groups first, then the group, then the user: each later step gives
        // up the right the earlier ones need. Any failure stops the start.
        if (setgroups(account->groups.size(), account->groups.data()) != 0 ||
            setgid(account->gid) != 0 || setuid(account->uid) != 0) {
            ReportAndExit(reportPipe, errno);
        }
        // Our folder (root's home, say) may be closed to the user.
        if (chdir(account->home.c_str()) != 0 && chdir("/") != 0) {
            ReportAndExit(reportPipe, errno);
        }
    }
    // Descriptors of ours that lack close-on-exec (a lock file, a socket)
    // must not live on in a program that may run for hours.
    if (reportPipe > 3) {
        CloseDescriptors(3, static_cast<unsigned>(reportPipe) - 1, highestDescriptor);
    }
    CloseDescriptors(reportPipe < 3 ? 3 : reportPipe + 1, ~0U, highestDescriptor);
    execve(argv[0], argv, envp);
    ReportAndExit(reportPipe, errno);
}

// Starts argv[0] in a grandchild whose parent exits at once, so init adopts
// it and no zombie is left behind. True when its exec succeeded.
bool StartDetached(const std::vector<std::string>& argv, const std::optional<Account>& account) {
    const std::vector<char*> arguments = Pointers(argv);
    std::vector<std::string> variables;
    std::vector<char*> environment;
    if (account) {
        variables = EnvironmentFor(*account);
        environment = Pointers(variables);
    }
    char* const* envp = account ? environment.data() : environ;
    const long openMax = sysconf(_SC_OPEN_MAX);
    const int highestDescriptor = openMax > 0 && openMax <= 65536 ? static_cast<int>(openMax) - 1 : 65535;

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(report[0]);
        // A full fork, not _Fork: only it leaves the C library knowing that a
        // single thread runs, which setgroups/setgid/setuid rely on.
        const pid_t grandchild = fork();
        if (grandchild < 0) {
            ReportAndExit(report[1], errno);
        }
        if (grandchild > 0) {
            _exit(0);
        }
        ExecuteInChild(arguments.data(), envp, account ? &*account : nullptr, report[1],
                       highestDescriptor);
    }
    close(report[1]);
    if (child < 0) {
        close(report[0]);
        return false;
    }
    int status = 0;
    pid_t waited = 0;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    // The pipe closes without a word when exec succeeded.
    int error = 0;
    ssize_t received = 0;
    do {
        received = read(report[0], &error, sizeof error);
    } while (received < 0 && errno == EINTR);
    close(report[0]);
    return received == 0;
}

bool IsExecutableFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Only absolute PATH entries count: an empty or relative one would run
// whatever lies in the current folder, with root rights as the case may be.
std::string FindOnPath(const std::string& program) {
    std::string path = Environment("PATH");
    if (path.empty() && std::getenv("PATH") == nullptr) {
        path = "/usr/local/bin:/usr/bin:/bin";
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string folder = path.substr(start, end - start);
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = folder + "/" + program;
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return "";
}

}  // namespace

bool OpenWithDefaultApplication(const std::string& target) {
    const std::string opener = FindOnPath("xdg-open");
    return !opener.empty() && StartDetached({opener, target}, std::nullopt);
}

bool RunAsInteractiveUser(const std::string& path) {
    return !path.empty() && StartDetached({path}, InteractiveUser());
}

bool RunProgram(const std::string& path) {
    return !path.empty() && StartDetached({path}, std::nullopt);
}

}  // namespace platform
