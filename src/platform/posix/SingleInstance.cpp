#include "platform/SingleInstance.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// The channel speaks one request per line: "title" is answered with the
// title, "raise" with "ok" once the raise callback has returned.
constexpr std::string_view kTitleRequest = "title\n";
constexpr std::string_view kRaiseRequest = "raise\n";
constexpr std::string_view kRaised = "ok";
constexpr std::size_t kLongestRequest = 64;
constexpr std::size_t kLongestAnswer = 64 * 1024;
// A peer has this long for its whole conversation, so a silent or slow one
// cannot hold the channel; the asking side waits longer than that, as a
// silent peer may be served before it.
constexpr auto kPeerDeadline = std::chrono::seconds(2);
constexpr timeval kAskTimeout = {5, 0};
// A name longer than this is shortened and made unique by its hash, so the
// socket path fits sockaddr_un.
constexpr std::size_t kLongestFileName = 64;
constexpr std::size_t kKeptPrefix = 40;

std::string RuntimeFolder() {
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    struct stat status {};
    if (folder && folder[0] == '/' && stat(folder, &status) == 0 && S_ISDIR(status.st_mode)) {
        return folder;
    }
    return "/tmp";
}

// Keeps letters, digits, '.', '_' and '-' and writes every other byte as %XX,
// so no name can leave the folder and different names stay different.
std::string FileNameOf(const std::string& instanceName) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string fileName;
    for (const char c : instanceName) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '.' || c == '_' || c == '-';
        if (plain) {
            fileName.push_back(c);
        } else {
            fileName.push_back('%');
            fileName.push_back(kHex[byte >> 4]);
            fileName.push_back(kHex[byte & 0x0F]);
        }
    }
    if (fileName.size() > kLongestFileName) {
        std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
        for (const char c : instanceName) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        }
        fileName.resize(kKeptPrefix);
        fileName.push_back('~');
        for (int shift = 60; shift >= 0; shift -= 4) {
            fileName.push_back(kHex[(hash >> shift) & 0x0F]);
        }
    }
    return fileName;
}

std::string PathOf(const std::string& instanceName, const char* extension) {
    return RuntimeFolder() + "/" + FileNameOf(instanceName) + extension;
}

bool AddressOf(const std::string& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A title travels on one line.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

bool SendAll(int socket, std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = send(socket, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// Takes the next line (without '\n') out of `buffered`, reading more while
// `waitReadable` allows; false at the end of input, on error, or when a line
// grows past `longest`.
template <typename WaitReadable>
bool ReadLine(int socket, std::string& buffered, std::string& line, std::size_t longest,
              WaitReadable waitReadable) {
    for (;;) {
        const std::size_t end = buffered.find('\n');
        if (end != std::string::npos) {
            line = buffered.substr(0, end);
            buffered.erase(0, end + 1);
            return true;
        }
        if (buffered.size() > longest || !waitReadable()) {
            return false;
        }
        char chunk[512];
        const ssize_t received = recv(socket, chunk, sizeof chunk, 0);
        if (received < 0 && errno == EINTR) {
            continue;
        }
        if (received <= 0) {
            return false;
        }
        buffered.append(chunk, static_cast<std::size_t>(received));
    }
}

// Waits until `socket` is readable, the deadline passes or `stop` becomes
// readable; true only in the first case.
bool WaitReadable(int socket, int stop, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd watched[2] = {{socket, POLLIN, 0}, {stop, POLLIN, 0}};
        const int ready = poll(watched, 2, static_cast<int>(left.count()) + 1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0 || watched[1].revents != 0) {
            return false;
        }
        if (watched[0].revents != 0) {
            return true;
        }
    }
}

void SetTimeouts(int socket, timeval timeout) {
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

}  // namespace

struct InstanceLock::State {
    int lockFile = -1;
    std::string socketPath;
    int listener = -1;
    // Written by the destructor to stop the channel thread at once.
    int stopPipe[2] = {-1, -1};
    Answers answers;
    std::thread channel;

    ~State() {
        if (channel.joinable()) {
            const char stop = 0;
            [[maybe_unused]] const ssize_t written = write(stopPipe[1], &stop, 1);
            channel.join();
        }
        // Removed while the lock is still held, so it never takes away the
        // socket of a copy that started after us.
        if (listener >= 0) {
            unlink(socketPath.c_str());
        }
        for (const int descriptor : {listener, stopPipe[0], stopPipe[1]}) {
            if (descriptor >= 0) {
                close(descriptor);
            }
        }
        if (lockFile >= 0) {
            close(lockFile);
        }
    }

    void Serve(int peer) {
        const Clock::time_point deadline = Clock::now() + kPeerDeadline;
        const timeval sendTimeout = {1, 0};
        setsockopt(peer, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
        std::string buffered;
        std::string request;
        const auto waitReadable = [&] { return WaitReadable(peer, stopPipe[0], deadline); };
        while (ReadLine(peer, buffered, request, kLongestRequest, waitReadable)) {
            request.push_back('\n');
            if (request == kTitleRequest) {
                const std::string title = answers.title ? OneLine(answers.title()) : "";
                if (!SendAll(peer, title + "\n")) {
                    return;
                }
            } else if (request == kRaiseRequest) {
                if (answers.raise) {
                    answers.raise();
                }
                if (!SendAll(peer, std::string(kRaised) + "\n")) {
                    return;
                }
            } else {
                return;
            }
        }
    }

    void Listen() {
        for (;;) {
            pollfd watched[2] = {{listener, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
            if (poll(watched, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (watched[1].revents != 0) {
                return;
            }
            const int peer = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (peer < 0) {
                // Out of descriptors, say: pause rather than spin on a
                // listener that stays readable.
                if (errno != EINTR && errno != ECONNABORTED && errno != EAGAIN) {
                    pollfd stop = {stopPipe[0], POLLIN, 0};
                    poll(&stop, 1, 100);
                }
                continue;
            }
            Serve(peer);
            close(peer);
        }
    }
};

InstanceLock::InstanceLock(std::unique_ptr<State> state) : state_(std::move(state)) {}

InstanceLock::~InstanceLock() = default;

std::unique_ptr<InstanceLock> InstanceLock::TryAcquire(const std::string& instanceName) {
    auto state = std::make_unique<State>();
    const std::string lockPath = PathOf(instanceName, ".lock");
    // The lock file is never removed: deleting it would let a third copy lock
    // a new file while a second still waits on the old one.
    state->lockFile = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (state->lockFile < 0 || flock(state->lockFile, LOCK_EX | LOCK_NB) != 0) {
        return nullptr;
    }
    state->socketPath = PathOf(instanceName, ".sock");
    return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(state)));
}

bool InstanceLock::StartAnswering(Answers answers) {
    State& state = *state_;
    sockaddr_un address;
    if (state.channel.joinable() || !AddressOf(state.socketPath, address)) {
        return false;
    }
    // A socket left by a holder that died is ours to replace: we hold the lock.
    struct stat status {};
    if (lstat(state.socketPath.c_str(), &status) == 0 && S_ISSOCK(status.st_mode)) {
        unlink(state.socketPath.c_str());
    }
    int stopPipe[2];
    if (pipe2(stopPipe, O_CLOEXEC) != 0) {
        return false;
    }
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool bound =
        listener >= 0 && bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!bound || listen(listener, 8) != 0) {
        if (bound) {
            unlink(state.socketPath.c_str());
        }
        for (const int descriptor : {listener, stopPipe[0], stopPipe[1]}) {
            if (descriptor >= 0) {
                close(descriptor);
            }
        }
        return false;
    }
    state.stopPipe[0] = stopPipe[0];
    state.stopPipe[1] = stopPipe[1];
    state.listener = listener;
    state.answers = std::move(answers);
    state.channel = std::thread([&state] { state.Listen(); });
    return true;
}

bool RaiseRunningInstance(const std::string& instanceName, const std::string& title) {
    sockaddr_un address;
    if (!AddressOf(PathOf(instanceName, ".sock"), address)) {
        return false;
    }
    const int channel = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (channel < 0) {
        return false;
    }
    // The timeouts bound connect too, should the holder's backlog be full.
    SetTimeouts(channel, kAskTimeout);
    std::string buffered;
    std::string answer;
    const auto readable = [] { return true; };
    const bool raised =
        connect(channel, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        SendAll(channel, kTitleRequest) &&
        ReadLine(channel, buffered, answer, kLongestAnswer, readable) && answer == OneLine(title) &&
        SendAll(channel, kRaiseRequest) && ReadLine(channel, buffered, answer, kLongestAnswer, readable) &&
        answer == kRaised;
    close(channel);
    return raised;
}

}  // namespace platform
