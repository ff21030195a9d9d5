#include "platform/Folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace platform {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

}  // namespace

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (!home.empty()) {
        return home;
    }
    const passwd* user = getpwuid(geteuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

std::string ProgramFilesFolder() {
    std::string folder = Environment("ZD_PROGRAM_FILES");
    if (folder.empty()) {
        if (geteuid() == 0) {
            folder = "/opt";
        } else {
            folder = Environment("XDG_DATA_HOME");
            // A relative XDG_DATA_HOME is invalid and must be ignored.
            if (folder.empty() || folder.front() != '/') {
                const std::string home = HomeFolder();
                folder = home.empty() ? "" : WithoutTrailingSlashes(home) + "/.local/share";
            }
        }
    }
    return WithoutTrailingSlashes(folder);
}

std::string ModulePath() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return "";
        }
        // readlink truncates silently; a result that fills the buffer may be cut.
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string ModuleFolder() {
    const std::string path = ModulePath();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

}  // namespace platform
