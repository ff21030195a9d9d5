#pragma once
// Stands for the WinHTTP and WinINet calls of the HTTP clients: a session
// (WinHttpOpen / InternetOpen with a proxy mode), a connection (WinHttpConnect:
// host and port only, no traffic yet), a request (WinHttpOpenRequest) with its
// header, send, receive, query and read calls, and InternetGetConnectedState.
//
// Every call records its error in HttpLastError() (0 on success), the way the
// Windows calls leave it for GetLastError. Objects are used by one thread at a
// time; a request keeps the settings of its session alive, so the three may be
// destroyed in any order.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Error numbers as WinHTTP reports them; the HTTP clients log them.
enum HttpError : unsigned long {
    kHttpErrorNone = 0,
    kHttpErrorTimeout = 12002,
    kHttpErrorInternal = 12004,
    kHttpErrorInvalidUrl = 12005,
    kHttpErrorNameNotResolved = 12007,
    kHttpErrorIncorrectHandleState = 12019,
    kHttpErrorCannotConnect = 12029,
    kHttpErrorConnectionError = 12030,
    kHttpErrorHeaderNotFound = 12150,
    kHttpErrorInvalidServerResponse = 12152,
    kHttpErrorRedirectFailed = 12156,
    kHttpErrorSecureFailure = 12175,
    kHttpErrorNotConnected = 2250,  // no network interface is up
};

// The error of the calling thread's last HTTP call.
unsigned long HttpLastError();
// The message text for an error number; empty for a number it does not know.
std::string HttpErrorText(unsigned long error);

enum class HttpProxyMode {
    kDefault,  // the standard proxy variables (http_proxy, https_proxy, all_proxy, no_proxy)
    kNone,
};

enum class HttpRedirectPolicy { kNever, kAlways };

// WinHTTP's request flags, WINHTTP_FLAG_SECURE and WINHTTP_FLAG_REFRESH.
enum HttpRequestFlags : unsigned {
    kHttpRequestSecure = 0x800000,
    // Asks every cache on the way (proxies) for a fresh copy.
    kHttpRequestRefresh = 0x100,
};

// The certificate checks a secure request may skip (SECURITY_FLAG_IGNORE_*).
// The authority and the name checks are skipped one by one; a date problem
// alone cannot be told apart from the others here, so that flag alone keeps
// every check.
enum HttpSecurityFlags : unsigned {
    kHttpIgnoreUnknownCa = 0x100,
    kHttpIgnoreWrongUsage = 0x200,
    kHttpIgnoreCertCnInvalid = 0x1000,
    kHttpIgnoreCertDateInvalid = 0x2000,
};

// Milliseconds; 0 or less waits without a limit. The receive time-out bounds
// each wait for response bytes, the send time-out each wait to send the body.
struct HttpTimeouts {
    int resolve = 0;
    int connect = 60000;
    int send = 30000;
    int receive = 30000;
};

// What a new session starts with (WinHTTP's own defaults). Tests shorten it.
HttpTimeouts DefaultHttpTimeouts();
void SetDefaultHttpTimeouts(const HttpTimeouts& timeouts);

// A PEM file of authorities trusted by sessions opened afterwards, instead of
// the system's store; empty goes back to the system's store. For tests that
// bring their own authority.
void SetHttpTrustedAuthorities(const std::string& caFile);

struct HttpSessionSettings;
class HttpConnection;
class HttpRequest;

class HttpSession {
public:
    // The user agent is sent unless a request carries its own User-Agent field.
    // Null when the session cannot be made.
    static std::unique_ptr<HttpSession> Open(std::string_view userAgent, HttpProxyMode proxy);
    ~HttpSession();

    void SetTimeouts(const HttpTimeouts& timeouts);
    // Applies to requests sent after the call; kAlways follows up to 10 redirects.
    void SetRedirectPolicy(HttpRedirectPolicy policy);

    // Records the server only; the connection is made when a request is sent.
    // Null (kHttpErrorInvalidUrl) for an empty host or port 0.
    std::unique_ptr<HttpConnection> Connect(std::string_view host, unsigned short port);

private:
    explicit HttpSession(std::shared_ptr<HttpSessionSettings> settings);
    std::shared_ptr<HttpSessionSettings> m_settings;
};

class HttpConnection {
public:
    ~HttpConnection();
    // `object` is the request target ("/path?query"); a missing leading '/'
    // is supplied. `flags` are HttpRequestFlags. Null for an empty verb.
    std::unique_ptr<HttpRequest> OpenRequest(std::string_view verb, std::string_view object, unsigned flags);

private:
    friend class HttpSession;
    HttpConnection(std::shared_ptr<HttpSessionSettings> settings, std::string host, unsigned short port);
    std::shared_ptr<HttpSessionSettings> m_settings;
    std::string m_host;
    unsigned short m_port;
};

// One exchange. The body is pulled from the network as the caller reads it:
// at most a few tens of KiB wait in memory, whatever the body's size.
class HttpRequest {
public:
    ~HttpRequest();

    // HttpSecurityFlags; must be set before Send.
    void SetSecurityFlags(unsigned flags);
    // "Name: value" lines separated by "\r\n"; each field is added, or
    // replaces a field of the same name (ignoring case) already added.
    void AddOrReplaceHeaders(std::string_view lines);

    // Queues the request with `extraHeaders` (lines as above, added after the
    // others) and `body` (sent as is, with its Content-Length). The bytes go
    // out while ReceiveResponse waits, so network failures are reported there.
    bool Send(std::string_view extraHeaders, std::string_view body);
    // Waits for the head of the final response (redirects followed per policy).
    bool ReceiveResponse();

    // Queries of the received head; kHttpErrorHeaderNotFound when absent.
    // The status code as its decimal text ("302").
    bool QueryStatusCode(std::string& text) const;
    // Any field by name, ignoring case: the value of its first occurrence.
    bool QueryHeader(std::string_view name, std::string& value) const;
    // The field as a decimal 32-bit unsigned number (WINHTTP_QUERY_FLAG_NUMBER);
    // fails when it is absent or not such a number.
    bool QueryHeaderNumber(std::string_view name, std::uint32_t& value) const;

    // Bytes that can be read without waiting, waiting for some when none are
    // there yet; 0 once the body is complete. Fails when the transfer failed,
    // including a body that ends before its announced length.
    bool QueryDataAvailable(std::size_t& bytes);
    // Up to `size` bytes; `read` is 0 at the end of the body.
    bool ReadData(void* buffer, std::size_t size, std::size_t& read);

    // The backend's state; named here so its callbacks can reach it.
    struct Transfer;

private:
    friend class HttpConnection;
    explicit HttpRequest(std::unique_ptr<Transfer> transfer);
    std::unique_ptr<Transfer> m_transfer;
};

// Stands for InternetGetConnectedState.
enum HttpConnectionStateFlags : unsigned {
    kHttpConnectionLan = 0x02,
    kHttpConnectionProxy = 0x04,  // a proxy variable is set
};
// False (kHttpErrorNotConnected) when no network interface besides the
// loopback is up; otherwise true with the HttpConnectionStateFlags.
bool HttpConnectedState(unsigned& flags);

}  // namespace platform
