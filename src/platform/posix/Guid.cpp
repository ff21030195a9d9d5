#include "platform/Guid.h"

#include <cerrno>
#include <cstring>
#include <sys/random.h>

namespace platform {

std::optional<Guid> CreateGuid() {
    unsigned char bytes[16];
    std::size_t filled = 0;
    while (filled < sizeof bytes) {
        const ssize_t read = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) return std::nullopt;
        filled += static_cast<std::size_t>(read);
    }
    Guid guid;
    std::memcpy(&guid.data1, bytes, 4);
    std::memcpy(&guid.data2, bytes + 4, 2);
    std::memcpy(&guid.data3, bytes + 6, 2);
    std::memcpy(guid.data4, bytes + 8, 8);
    guid.data3 = static_cast<std::uint16_t>((guid.data3 & 0x0FFF) | 0x4000);
    guid.data4[0] = static_cast<std::uint8_t>((guid.data4[0] & 0x3F) | 0x80);
    return guid;
}

}  // namespace platform
