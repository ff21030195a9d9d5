#include "support/FaultServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <strings.h>

namespace {

// Long enough for the client to take the first part in a read of its own.
constexpr auto kPiecePause = std::chrono::milliseconds(2);

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

void SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0) return;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
}

}  // namespace

std::optional<std::string> FaultRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
    }
    return std::nullopt;
}

bool FaultRequest::Range(std::int64_t& first, std::int64_t& last) const {
    const auto range = Header("Range");
    if (!range || range->compare(0, 6, "bytes=") != 0) return false;
    const std::string bounds = range->substr(6);
    const auto dash = bounds.find('-');
    if (dash == std::string::npos || dash == 0) return false;
    try {
        first = std::stoll(bounds.substr(0, dash));
        last = dash + 1 < bounds.size() ? std::stoll(bounds.substr(dash + 1)) : -1;
    } catch (const std::exception&) {
        return false;
    }
    return first >= 0 && (last == -1 || last >= first);
}

void FaultConnection::Send(const std::string& bytes) {
    if (fd_ >= 0) SendAll(fd_, bytes.data(), bytes.size());
}

void FaultConnection::SendSplit(const std::string& bytes, std::size_t offset) {
    if (fd_ < 0) return;
    offset = std::min(offset, bytes.size());
    SendAll(fd_, bytes.data(), offset);
    std::this_thread::sleep_for(kPiecePause);
    SendAll(fd_, bytes.data() + offset, bytes.size() - offset);
}

void FaultConnection::SendDribbled(const std::string& bytes, std::size_t pieceSize) {
    pieceSize = std::max<std::size_t>(pieceSize, 1);
    for (std::size_t at = 0; at < bytes.size() && fd_ >= 0; at += pieceSize) {
        SendAll(fd_, bytes.data() + at, std::min(pieceSize, bytes.size() - at));
        std::this_thread::sleep_for(kPiecePause);
    }
}

void FaultConnection::Close() {
    if (fd_ < 0) return;
    ::shutdown(fd_, SHUT_WR);
    // Wait for the client's close so that unread request bytes do not turn
    // the FIN into a reset.
    char sink[256];
    pollfd watch{fd_, POLLIN, 0};
    while (::poll(&watch, 1, 2000) > 0 && ::recv(fd_, sink, sizeof sink, 0) > 0) {
    }
    fd_ = -1;
}

void FaultConnection::Reset() {
    if (fd_ < 0) return;
    linger abortive{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    fd_ = -1;  // the serving loop closes the socket, which the linger option turns into a reset
}

void FaultConnection::Stall() {
    if (fd_ >= 0) server_.WaitForStop(fd_);
}

FaultServer::FaultServer(FaultHandler handler) : handler_(std::move(handler)) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) throw std::runtime_error("socket failed");
    const int on = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 64) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("bind/listen failed");
    }
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

FaultServer::~FaultServer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
    }
    stopped_.notify_all();
    ::shutdown(listenFd_, SHUT_RDWR);
    acceptThread_.join();
    ::close(listenFd_);
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        threads.swap(connectionThreads_);
    }
    for (std::thread& thread : threads) thread.join();
}

std::string FaultServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> FaultServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::size_t FaultServer::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connectionCount_;
}

void FaultServer::AcceptLoop() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            if (fd >= 0) ::close(fd);
            return;
        }
        if (fd < 0) continue;
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ++connectionCount_;
        openFds_.push_back(fd);
        connectionThreads_.emplace_back([this, fd] { Serve(fd); });
    }
}

void FaultServer::WaitForStop(int fd) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        pollfd watch{fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, 20);
        if (ready > 0) {
            char sink[256];
            if (::recv(fd, sink, sizeof sink, MSG_DONTWAIT) == 0) return;  // the client closed
        }
        lock.lock();
    }
}

bool FaultServer::ReadRequest(int fd, std::string& pending, FaultRequest& request) {
    char buffer[4096];
    std::size_t headEnd;
    while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0) return false;
        pending.append(buffer, static_cast<std::size_t>(count));
    }
    request = FaultRequest{};
    const std::string head = pending.substr(0, headEnd);
    std::size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    const auto firstSpace = requestLine.find(' ');
    const auto secondSpace = requestLine.find(' ', firstSpace + 1);
    request.method = requestLine.substr(0, firstSpace);
    if (firstSpace != std::string::npos)
        request.target = requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    if (secondSpace != std::string::npos) request.version = requestLine.substr(secondSpace + 1);
    while (lineEnd != std::string::npos) {
        const std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        const auto colon = line.find(':');
        if (colon != std::string::npos)
            request.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    }
    std::size_t bodyLength = 0;
    if (const auto length = request.Header("Content-Length")) bodyLength = std::stoul(*length);
    const std::size_t total = headEnd + 4 + bodyLength;
    while (pending.size() < total) {
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0) return false;
        pending.append(buffer, static_cast<std::size_t>(count));
    }
    request.raw = pending.substr(0, total);
    request.body = request.raw.substr(headEnd + 4);
    pending.erase(0, total);
    return true;
}

void FaultServer::Serve(int fd) {
    std::string pending;
    FaultConnection connection(fd, *this);
    FaultRequest request;
    while (!connection.closed() && ReadRequest(fd, pending, request)) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) break;
            requests_.push_back(request.raw);
        }
        handler_(request, connection);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    openFds_.erase(std::remove(openFds_.begin(), openFds_.end(), fd), openFds_.end());
    ::close(fd);
}

namespace fault {

std::string Response(int status, const std::string& reason,
                     const std::vector<std::pair<std::string, std::string>>& headers, const std::string& body) {
    std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    for (const auto& [name, value] : headers) answer += name + ": " + value + "\r\n";
    return answer + "\r\n" + body;
}

std::string Ok(const std::string& body) {
    return Response(200, "OK", {{"Content-Length", std::to_string(body.size())}}, body);
}

std::string Redirect(int status, const std::string& location) {
    return Response(status, status == 301 ? "Moved Permanently" : "Found",
                    {{"Location", location}, {"Content-Length", "0"}});
}

std::string Chunked(const std::vector<std::string>& parts) {
    static const char digits[] = "0123456789abcdef";
    std::string body;
    for (const std::string& part : parts) {
        std::string size;
        for (std::size_t n = part.size(); n > 0; n /= 16) size.insert(size.begin(), digits[n % 16]);
        body += size + "\r\n" + part + "\r\n";
    }
    return body + "0\r\n\r\n";
}

std::string RangeAnswer(const std::string& content, const FaultRequest& request, RangeSize size, bool keepAlive) {
    std::vector<std::pair<std::string, std::string>> headers;
    if (!keepAlive) headers.emplace_back("Connection", "close");
    std::int64_t first = 0, last = 0;
    if (!request.Range(first, last)) {
        headers.emplace_back("Content-Length", std::to_string(content.size()));
        return Response(200, "OK", headers, content);
    }
    const auto total = static_cast<std::int64_t>(content.size());
    if (first >= total) {
        headers.emplace_back("Content-Range", "bytes */" + std::to_string(total));
        headers.emplace_back("Content-Length", "0");
        return Response(416, "Requested Range Not Satisfiable", headers);
    }
    if (last < 0 || last >= total) last = total - 1;
    const std::string part =
        content.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
    const std::string totalText = size == RangeSize::kTotalUnknown ? "*" : std::to_string(total);
    headers.emplace_back("Content-Range",
                         "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + totalText);
    if (size != RangeSize::kNoLength) headers.emplace_back("Content-Length", std::to_string(part.size()));
    return Response(206, "Partial Content", headers, part);
}

FaultHandler Always(const std::string& answer) {
    return [answer](const FaultRequest&, FaultConnection& connection) {
        connection.Send(answer);
        connection.Close();
    };
}

FaultHandler Sequence(std::vector<std::string> answers) {
    auto next = std::make_shared<std::atomic<std::size_t>>(0);
    auto list = std::make_shared<const std::vector<std::string>>(std::move(answers));
    return [next, list](const FaultRequest&, FaultConnection& connection) {
        const std::size_t index = (*next)++;
        connection.Send(index < list->size() ? (*list)[index]
                                             : Response(500, "Internal Server Error", {{"Content-Length", "0"}}));
        connection.Close();
    };
}

FaultHandler ServeFile(std::string content, RangeSize size) {
    return [content = std::move(content), size](const FaultRequest& request, FaultConnection& connection) {
        connection.Send(RangeAnswer(content, request, size));
    };
}

}  // namespace fault
