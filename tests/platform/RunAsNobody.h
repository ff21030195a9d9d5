#pragma once
// Runs a query in a forked child that gave up root for the user `nobody`, for
// behaviour that differs for an unprivileged user. Needs root.

#include <functional>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// What `query` returned in the child, or a text in angle brackets saying why
// there is no answer.
inline std::string QueryAsNobody(const std::function<std::string()>& query) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) return "<no user nobody>";
    int output[2];
    if (pipe(output) != 0) return "<no pipe>";
    const pid_t child = fork();
    if (child == 0) {
        close(output[0]);
        if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(1);
        const std::string result = query();
        _exit(write(output[1], result.data(), result.size()) == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    close(output[1]);
    std::string result;
    char chunk[256];
    ssize_t received = 0;
    while ((received = read(output[0], chunk, sizeof chunk)) > 0) result.append(chunk, received);
    close(output[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "<child failed>";
}
