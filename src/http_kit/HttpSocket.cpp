#include "http_kit/HttpSocket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "http_kit/HttpInterfaceError.h"
#include "http_kit/SplitHttpUrl.h"
#include "platform/TextConversion.h"

namespace {

constexpr std::size_t kBlock = 4096;
// A head longer than this is not an answer this client can use.
constexpr std::size_t kMaxHead = 16 * 1024;
constexpr int kNoCode = -1;

bool IsAbsolute(const std::string& location) {
    return location.compare(0, 7, "http://") == 0 || location.compare(0, 8, "https://") == 0;
}

}  // namespace

CHttpSocket::CHttpSocket(int receiveTimeoutMs) : m_receiveTimeoutMs(receiveTimeoutMs) {}

CHttpSocket::~CHttpSocket() {
    CloseSocket();
}

bool CHttpSocket::Fail(int errorCode) {
    if (errorCode != kNoCode) m_errorCode = errorCode;
    return false;
}

void CHttpSocket::CloseSocket() {
    if (m_socket >= 0) ::close(m_socket);
    m_socket = -1;
}

void CHttpSocket::SetDownloadCallback(IHttpCallback* callback, int userValue) {
    m_callback = callback;
    m_userValue = userValue;
}

void CHttpSocket::AddHeader(const char* name, const char* value) {
    if (!name || !*name || !value || !*value) return;
    if (std::strcmp(name, "Host") == 0) m_callerSetHost = true;
    m_header.SetField(name, value);
}

void CHttpSocket::Report(int state, double total, double downloaded) {
    if (m_callback) m_callback->OnDownloadCallback(m_userValue, state, total, downloaded);
}

bool CHttpSocket::Connect(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        return Fail(kHttpError_Resolve);
    }
    sockaddr_in address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    freeaddrinfo(found);
    char dotted[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, dotted, sizeof dotted);
    m_ipAddr = platform::ToWide(dotted);

    CloseSocket();
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0) return Fail(kHttpError_Socket);
    timeval timeout{m_receiveTimeoutMs / 1000, (m_receiveTimeoutMs % 1000) * 1000};
    setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (port <= 0 || port > 65535) return Fail(kHttpError_Connect);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    int result = 0;
    do {
        result = ::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0) return Fail(kHttpError_Connect);
    m_host = host;
    m_port = port;
    return true;
}

CHttpSocket::Prepared CHttpSocket::Prepare(const std::wstring& url, std::string& path) {
    std::wstring host;
    std::wstring widePath;
    int port = 0;
    SplitHttpUrl(url, host, widePath, port);
    if (port == 443) return Prepared::kRefused;
    const std::string narrowHost = platform::ToUtf8(host);
    if (!Connect(narrowHost, port)) return Prepared::kFailed;
    if (!narrowHost.empty() && !m_callerSetHost) m_header.ReplaceField("Host", narrowHost);
    path = platform::ToUtf8(widePath);
    return Prepared::kReady;
}

bool CHttpSocket::SendRequest(const std::string& path) {
    // A line break in the target (say from a server's Location) would let
    // it write request fields of its own.
    if (path.find_first_of("\r\n") != std::string::npos) return Fail(kHttpError_Send);
    m_header.SetPath(path);
    const std::string text = m_header.ToRequestText();
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t count = ::send(m_socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return Fail(kHttpError_Send);
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

long CHttpSocket::Receive(char* data, std::size_t size, bool askToStop) {
    if (askToStop && m_callback && m_callback->IsNeedStop()) {
        Fail(kHttpError_Stopped);
        return -1;
    }
    for (;;) {
        const ssize_t count = ::recv(m_socket, data, size, 0);
        if (count >= 0) return static_cast<long>(count);
        if (errno != EINTR) {
            Fail(kHttpError_Socket);
            return -1;
        }
    }
}

CHttpSocket::Received CHttpSocket::ReceiveHead(std::string& buffer, CHttpHeader& response, bool askToStop) {
    char block[kBlock];
    for (;;) {
        const auto end = buffer.find("\r\n\r\n");
        if (end != std::string::npos) {
            response.Parse(buffer.substr(0, end));
            buffer.erase(0, end + 4);
            return Received::kHead;
        }
        if (buffer.size() >= kMaxHead) {
            Fail(kHttpError_Head);
            return Received::kFailed;
        }
        const long count = Receive(block, sizeof block, askToStop);
        if (count < 0) return Received::kFailed;
        if (count == 0) return Received::kClosed;
        buffer.append(block, static_cast<std::size_t>(count));
    }
}

bool CHttpSocket::ReadyForNextRequest(std::string& buffer, const CHttpHeader& response) {
    long long remaining = std::atoll(response.GetField("Content-Length").c_str());
    const auto buffered = static_cast<std::size_t>(std::min<long long>(std::max(remaining, 0LL), buffer.size()));
    buffer.erase(0, buffered);
    remaining -= static_cast<long long>(buffered);
    bool open = response.GetField("Connection") != "close";
    char block[kBlock];
    while (open && remaining > 0) {
        const ssize_t count = ::recv(m_socket, block, std::min<long long>(sizeof block, remaining), 0);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) open = false;
        remaining -= count;
    }
    if (open) return true;
    buffer.clear();
    return Connect(m_host, m_port);
}

bool CHttpSocket::DownloadToMem(const wchar_t* url, void** data, std::size_t* size) {
    return DownloadToMemFrom(url ? url : L"", data, size, 0);
}

bool CHttpSocket::DownloadToMemFrom(const std::wstring& url, void** data, std::size_t* size, int redirects) {
    auto failWithCode = [&](int code) {
        *data = nullptr;
        *size = 0;
        return Fail(code);
    };
    std::string target;
    switch (Prepare(url, target)) {
        case Prepared::kRefused:
            return false;
        case Prepared::kFailed:
            return Fail(kHttpError_Open);
        case Prepared::kReady:
            break;
    }
    std::string buffer;
    CHttpHeader response;
    for (;;) {
        if (!SendRequest(target)) return failWithCode(kHttpError_Send);
        response = CHttpHeader();
        switch (ReceiveHead(buffer, response, false)) {
            case Received::kFailed:
                return failWithCode(m_errorCode);
            case Received::kClosed:
                return false;
            case Received::kHead:
                break;
        }
        m_statusCode = response.GetStatusCode();
        if (m_statusCode == 400) return failWithCode(kHttpError_NotFound);
        if (m_statusCode < 301 || m_statusCode > 399) break;
        const std::string location = response.GetField("Location");
        if (location.empty() || redirects++ >= kMaxRedirects) return failWithCode(kHttpError_Read);
        if (IsAbsolute(location)) {
            CloseSocket();
            return DownloadToMemFrom(platform::ToWide(location), data, size, redirects);
        }
        if (!ReadyForNextRequest(buffer, response)) return failWithCode(m_errorCode);
        target = location;
    }

    const long long length = std::atoll(response.GetField("Content-Length").c_str());
    if (length <= 0 || length > kMaxMemoryDownload) return failWithCode(kHttpError_MemoryLength);
    const auto capacity = static_cast<std::size_t>(length);
    auto* block = static_cast<char*>(std::malloc(capacity));
    if (!block) return failWithCode(kHttpError_MemoryLength);
    std::size_t received = std::min(buffer.size(), capacity);
    std::memcpy(block, buffer.data(), received);
    while (received < capacity) {
        const long count = Receive(block + received, capacity - received, false);
        if (count <= 0) {
            std::free(block);
            return count < 0 ? failWithCode(m_errorCode) : false;
        }
        received += static_cast<std::size_t>(count);
    }
    *data = block;
    *size = capacity;
    return true;
}

bool CHttpSocket::DownloadFile(const wchar_t* url, const wchar_t* filePath) {
    return DownloadFileTo(url ? url : L"", platform::ToUtf8(filePath ? filePath : L""), 0);
}

bool CHttpSocket::DownloadFileTo(const std::wstring& url, const std::string& path, int redirects) {
    std::FILE* file = nullptr;
    auto fail = [&](int code) {
        if (file) std::fclose(file);
        file = nullptr;
        std::remove(path.c_str());
        Report(kHttpDownload_Failure, 0, 0);
        return Fail(code);
    };
    std::string target;
    switch (Prepare(url, target)) {
        case Prepared::kRefused:
            return false;
        case Prepared::kFailed:
            return fail(m_errorCode);
        case Prepared::kReady:
            break;
    }
    std::string buffer;
    CHttpHeader response;
    for (;;) {
        if (!SendRequest(target)) return fail(kHttpError_Send);
        if (file) std::fclose(file);
        std::remove(path.c_str());
        file = std::fopen(path.c_str(), "wb+");
        if (!file) return fail(kHttpError_CreateFile);
        response = CHttpHeader();
        switch (ReceiveHead(buffer, response, true)) {
            case Received::kFailed:
                return fail(m_errorCode);
            case Received::kClosed:
                return fail(kNoCode);
            case Received::kHead:
                break;
        }
        m_statusCode = response.GetStatusCode();
        if (m_statusCode < 301 || m_statusCode > 399) break;
        const std::string location = response.GetField("Location");
        if (location.empty() || redirects++ >= kMaxRedirects) return fail(kHttpError_Read);
        // An https address too goes through a call of its own (which refuses
        // it), rather than being sent to this server as a path.
        if (IsAbsolute(location)) {
            CloseSocket();
            std::fclose(file);
            file = nullptr;
            std::remove(path.c_str());
            return DownloadFileTo(platform::ToWide(location), path, redirects);
        }
        if (!ReadyForNextRequest(buffer, response)) return fail(m_errorCode);
        target = location;
    }
    if (m_statusCode == 400) return fail(kHttpError_NotFound);
    // Chunk framing written as file bytes would corrupt the file.
    if (response.GetField("Transfer-Encoding").find("chunked") != std::string::npos) return fail(kHttpError_Read);

    // Without a Content-Length the body ends when the server closes the
    // connection; with one, bytes past it are not part of the file.
    const std::string lengthText = response.GetField("Content-Length");
    const bool announced = !lengthText.empty();
    const double total = announced ? std::atof(lengthText.c_str()) : 0;
    double downloaded = 0;
    auto write = [&](const char* bytes, std::size_t count) {
        if (announced) count = static_cast<std::size_t>(std::min<double>(count, total - downloaded));
        if (std::fwrite(bytes, 1, count, file) != count) return false;
        downloaded += static_cast<double>(count);
        Report(kHttpDownload_Progress, total, downloaded);
        return true;
    };
    if (!buffer.empty() && !write(buffer.data(), buffer.size())) return fail(kHttpError_WriteFile);
    char block[kBlock];
    while (!announced || downloaded < total) {
        const long count = Receive(block, sizeof block, true);
        if (count < 0) return fail(m_errorCode);
        if (count == 0) {
            if (announced) return fail(kNoCode);
            break;
        }
        if (!write(block, static_cast<std::size_t>(count))) return fail(kHttpError_WriteFile);
    }
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    if (!closed) return fail(kHttpError_WriteFile);
    Report(kHttpDownload_Complete, total, downloaded);
    return true;
}
