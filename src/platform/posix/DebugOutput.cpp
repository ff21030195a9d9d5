#include "platform/DebugOutput.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

void OutputDebugText(std::string_view text) {
    // One write where possible, so lines of different threads do not mix.
    while (!text.empty()) {
        const ssize_t written = write(STDERR_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace platform
