#pragma once
// A scripted HTTP server for tests, on 127.0.0.1 and a port of its own. Each
// request it reads is handed, parsed, to the test's handler, which writes the
// raw answer (or a fault: a reset, a stall, bytes in pieces). It records
// every request's raw bytes so tests can check what a client sent.
//
// One thread accepts, one thread serves each connection; the handler runs on
// the connection's thread. After the handler returns, the next request is
// read from the same connection unless the handler closed it.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct FaultRequest {
    std::string raw;  // head and body as received
    std::string method;
    std::string target;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The first header of that name, without regard to case.
    std::optional<std::string> Header(const std::string& name) const;
    // "bytes=first-last" or "bytes=first-" (last = -1); false without a
    // usable Range header.
    bool Range(std::int64_t& first, std::int64_t& last) const;
};

class FaultServer;

// The connection a handler answers on.
class FaultConnection {
public:
    // Writes all bytes at once.
    void Send(const std::string& bytes);
    // Writes the bytes in two parts split at `offset`, with a pause between,
    // so that the client sees them in separate reads.
    void SendSplit(const std::string& bytes, std::size_t offset);
    // Writes `pieceSize` bytes at a time with a pause after each.
    void SendDribbled(const std::string& bytes, std::size_t pieceSize = 1);
    // An orderly close (FIN) after what was sent.
    void Close();
    // An abortive close: the client sees a connection reset.
    void Reset();
    // Keeps the connection open and silent until the client closes it or the
    // server stops.
    void Stall();
    bool closed() const { return fd_ < 0; }

private:
    friend class FaultServer;
    FaultConnection(int fd, FaultServer& server) : fd_(fd), server_(server) {}
    int fd_;
    FaultServer& server_;
};

using FaultHandler = std::function<void(const FaultRequest&, FaultConnection&)>;

class FaultServer {
public:
    explicit FaultServer(FaultHandler handler);
    // Ends every stall, closes every connection and joins every thread.
    ~FaultServer();
    FaultServer(const FaultServer&) = delete;
    FaultServer& operator=(const FaultServer&) = delete;

    unsigned short port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string Url(const std::string& path = "/") const;

    // Raw bytes of every request received, in order of arrival.
    std::vector<std::string> Requests() const;
    std::size_t ConnectionCount() const;

private:
    friend class FaultConnection;
    void AcceptLoop();
    void Serve(int fd);
    bool ReadRequest(int fd, std::string& pending, FaultRequest& request);
    void WaitForStop(int fd);

    FaultHandler handler_;
    int listenFd_ = -1;
    unsigned short port_ = 0;
    std::thread acceptThread_;
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::vector<std::thread> connectionThreads_;
    std::vector<int> openFds_;
    std::vector<std::string> requests_;
    std::size_t connectionCount_ = 0;
};

// Ready-made answers.
namespace fault {

// "HTTP/1.1 <status> <reason>", the headers, the empty line, the body; no
// header is added.
std::string Response(int status, const std::string& reason,
                     const std::vector<std::pair<std::string, std::string>>& headers, const std::string& body = "");
// A 200 with Content-Length and the body.
std::string Ok(const std::string& body);
// A redirect answer with the Location header and no body.
std::string Redirect(int status, const std::string& location);
// The body in chunked transfer coding, one chunk per part, then the last chunk.
std::string Chunked(const std::vector<std::string>& parts);

// How a range-aware answer tells the size.
enum class RangeSize { kWithLength, kTotalUnknown, kNoLength };

// The answer a range-capable file server gives for `content`: 206 with
// Content-Range for a Range request (total "*" with kTotalUnknown; without
// Content-Length with kNoLength), 416 for a range past the end, 200 without
// a Range header. With `keepAlive` false it carries "Connection: close".
std::string RangeAnswer(const std::string& content, const FaultRequest& request,
                        RangeSize size = RangeSize::kWithLength, bool keepAlive = true);

// Sends `answer` to every request and closes the connection.
FaultHandler Always(const std::string& answer);
// The n-th request (over all connections) gets the n-th answer and its
// connection is closed; requests past the end get a 500.
FaultHandler Sequence(std::vector<std::string> answers);
// Serves `content` with RangeAnswer on kept-alive connections.
FaultHandler ServeFile(std::string content, RangeSize size = RangeSize::kWithLength);

}  // namespace fault
