#include "platform/HttpSession.h"

#include <curl/curl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace platform {

struct HttpSessionSettings {
    std::string userAgent;
    HttpProxyMode proxy = HttpProxyMode::kDefault;
    HttpTimeouts timeouts;
    HttpRedirectPolicy redirect = HttpRedirectPolicy::kAlways;
    std::string caFile;
};

namespace {

using Clock = std::chrono::steady_clock;
using Fields = std::vector<std::pair<std::string, std::string>>;

// Body bytes held for the reader before the transfer is paused; curl may
// hand over one more piece of at most its buffer size on top of it.
constexpr std::size_t kPendingLimit = 64 * 1024;
constexpr long kMaxRedirects = 10;

thread_local unsigned long t_lastError = kHttpErrorNone;

std::mutex g_defaultsMutex;
HttpTimeouts g_defaults;
std::string g_caFile;

bool SetError(unsigned long error) {
    t_lastError = error;
    return error == kHttpErrorNone;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

unsigned long ErrorOfCurl(CURLcode code) {
    switch (code) {
        case CURLE_OK:
            return kHttpErrorNone;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return kHttpErrorNameNotResolved;
        case CURLE_COULDNT_CONNECT:
            return kHttpErrorCannotConnect;
        case CURLE_OPERATION_TIMEDOUT:
            return kHttpErrorTimeout;
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return kHttpErrorInvalidUrl;
        case CURLE_TOO_MANY_REDIRECTS:
            return kHttpErrorRedirectFailed;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
            return kHttpErrorSecureFailure;
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
        case CURLE_GOT_NOTHING:
            return kHttpErrorConnectionError;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_BAD_CONTENT_ENCODING:
        case CURLE_HTTP2:
            return kHttpErrorInvalidServerResponse;
        default:
            return kHttpErrorInternal;
    }
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

// "Name: value" lines separated by "\r\n" (a lone "\n" is accepted too).
Fields ParseFieldLines(std::string_view lines) {
    Fields fields;
    while (!lines.empty()) {
        const auto end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;
        fields.emplace_back(std::string(Trim(line.substr(0, colon))), std::string(Trim(line.substr(colon + 1))));
    }
    return fields;
}

const std::string* FindField(const Fields& fields, std::string_view name) {
    for (const auto& field : fields) {
        if (SameName(field.first, name)) return &field.second;
    }
    return nullptr;
}

bool IsAllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

// One request's curl state: an easy handle on a multi handle of its own, so
// the transfer moves only while the caller waits in one of the request's
// calls, and pauses when the body bytes held for the caller reach the limit.
struct HttpRequest::Transfer {
    ~Transfer() {
        if (easy && multi) curl_multi_remove_handle(multi, easy);
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
        curl_slist_free_all(headerList);
    }

    bool Start(std::string_view extraHeaders, std::string_view bodyBytes);
    bool Pump(const std::function<bool()>& ready);
    std::size_t Pending() const { return pending.size() - pendingOffset; }
    void OnHeaderLine(std::string_view line);
    void OnActivity(curl_infotype type, std::size_t size);
    std::size_t OnBody(const char* data, std::size_t size);
    void Resume();

    // What the caller asked for.
    std::shared_ptr<HttpSessionSettings> settings;
    std::string host;
    unsigned short port = 0;
    std::string verb;
    std::string object;
    unsigned flags = 0;
    unsigned securityFlags = 0;
    Fields requestFields;

    // Set up by Send.
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    std::string body;  // curl sends it from here
    HttpTimeouts timeouts;

    // The final response as it arrives.
    bool sent = false;
    bool headComplete = false;
    bool done = false;
    CURLcode result = CURLE_OK;
    std::string statusLine;
    Fields responseFields;

    // Body bytes not yet read; the first pendingOffset of them were.
    std::string pending;
    std::size_t pendingOffset = 0;
    bool paused = false;

    // Traffic seen, for the time-outs.
    bool requestStarted = false;
    std::size_t bodyBytesOut = 0;
    std::uint64_t activity = 0;
};

namespace {

std::size_t HeaderCallback(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<HttpRequest::Transfer*>(user)->OnHeaderLine(std::string_view(data, size * count));
    return size * count;
}

std::size_t BodyCallback(char* data, std::size_t size, std::size_t count, void* user) {
    return static_cast<HttpRequest::Transfer*>(user)->OnBody(data, size * count);
}

int DebugCallback(CURL*, curl_infotype type, char*, std::size_t size, void* user) {
    static_cast<HttpRequest::Transfer*>(user)->OnActivity(type, size);
    return 0;
}

int StatusOf(const std::string& statusLine) {
    const auto space = statusLine.find(' ');
    if (space == std::string::npos) return 0;
    return std::atoi(statusLine.c_str() + space + 1);
}

}  // namespace

void HttpRequest::Transfer::OnHeaderLine(std::string_view line) {
    if (line.compare(0, 5, "HTTP/") == 0) {
        statusLine = std::string(Trim(line));
        responseFields.clear();
        return;
    }
    if (Trim(line).empty()) {
        const int status = StatusOf(statusLine);
        // Interim answers and redirects curl is about to follow are not the
        // response the caller asked for.
        const bool followed = settings->redirect == HttpRedirectPolicy::kAlways && status >= 300 && status < 400 &&
                              status != 304 && FindField(responseFields, "Location") != nullptr;
        if (status >= 200 && !followed) headComplete = true;
        return;
    }
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return;
    responseFields.emplace_back(std::string(Trim(line.substr(0, colon))), std::string(Trim(line.substr(colon + 1))));
}

void HttpRequest::Transfer::OnActivity(curl_infotype type, std::size_t size) {
    switch (type) {
        case CURLINFO_HEADER_OUT:
            requestStarted = true;
            break;
        case CURLINFO_DATA_OUT:
            bodyBytesOut += size;
            break;
        case CURLINFO_HEADER_IN:
        case CURLINFO_DATA_IN:
            break;
        default:
            return;
    }
    ++activity;
}

std::size_t HttpRequest::Transfer::OnBody(const char* data, std::size_t size) {
    // The bodies of interim and followed answers are not the caller's.
    if (!headComplete) return size;
    if (Pending() >= kPendingLimit) {
        paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (pendingOffset > 0) {
        pending.erase(0, pendingOffset);
        pendingOffset = 0;
    }
    pending.append(data, size);
    return size;
}

void HttpRequest::Transfer::Resume() {
    if (!paused || Pending() >= kPendingLimit) return;
    paused = false;
    curl_easy_pause(easy, CURLPAUSE_CONT);
}

bool HttpRequest::Transfer::Start(std::string_view extraHeaders, std::string_view bodyBytes) {
    InitCurlOnce();
    multi = curl_multi_init();
    easy = curl_easy_init();
    if (!multi || !easy) return SetError(kHttpErrorInternal);
    timeouts = settings->timeouts;
    body = std::string(bodyBytes);

    Fields fields = requestFields;
    for (auto& field : ParseFieldLines(extraHeaders)) fields.push_back(std::move(field));
    if (flags & kHttpRequestRefresh) {
        if (!FindField(fields, "Pragma")) fields.emplace_back("Pragma", "no-cache");
        if (!FindField(fields, "Cache-Control")) fields.emplace_back("Cache-Control", "no-cache");
    }
    for (const auto& [name, value] : fields) {
        headerList = curl_slist_append(headerList, (name + ": " + value).c_str());
    }
    // curl's own additions that the platform call does not make: a default
    // Accept, a form Content-Type on bodies and an Expect on large ones.
    if (!FindField(fields, "Accept")) headerList = curl_slist_append(headerList, "Accept:");
    if (!FindField(fields, "Content-Type")) headerList = curl_slist_append(headerList, "Content-Type:");
    headerList = curl_slist_append(headerList, "Expect:");

    const bool secure = (flags & kHttpRequestSecure) != 0;
    const std::string hostPart = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    const std::string url =
        std::string(secure ? "https://" : "http://") + hostPart + ":" + std::to_string(port) + object;

    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!settings->userAgent.empty()) curl_easy_setopt(easy, CURLOPT_USERAGENT, settings->userAgent.c_str());
    if (settings->proxy == HttpProxyMode::kNone) curl_easy_setopt(easy, CURLOPT_PROXY, "");
    const bool follow = settings->redirect == HttpRedirectPolicy::kAlways;
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    if (timeouts.connect > 0) curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect));
    if (secure) {
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, (securityFlags & kHttpIgnoreUnknownCa) ? 0L : 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, (securityFlags & kHttpIgnoreCertCnInvalid) ? 0L : 2L);
        if (!settings->caFile.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, settings->caFile.c_str());
    }

    if (verb == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else if (verb == "POST" || !body.empty()) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
        if (verb != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb.c_str());
    } else if (verb != "GET") {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb.c_str());
    }

    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, HeaderCallback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, BodyCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    // The debug stream is how the transfer tells when bytes move, for the
    // send and receive time-outs.
    curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, DebugCallback);
    curl_easy_setopt(easy, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);

    if (curl_multi_add_handle(multi, easy) != CURLM_OK) return SetError(kHttpErrorInternal);
    sent = true;
    return SetError(kHttpErrorNone);
}

bool HttpRequest::Transfer::Pump(const std::function<bool()>& ready) {
    std::uint64_t seenActivity = activity;
    Clock::time_point lastActivity = Clock::now();
    while (!ready() && !done) {
        int running = 0;
        curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                done = true;
                result = message->data.result;
            }
        }
        if (ready() || done) break;

        const Clock::time_point now = Clock::now();
        if (activity != seenActivity) {
            seenActivity = activity;
            lastActivity = now;
        }
        // Before the request head is out, curl's connect time-out governs.
        const int limit = bodyBytesOut < body.size() ? timeouts.send : timeouts.receive;
        int waitMs = 1000;
        if (requestStarted && limit > 0) {
            const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastActivity).count();
            if (idle >= limit) return SetError(kHttpErrorTimeout);
            waitMs = static_cast<int>(std::min<long long>(waitMs, limit - idle));
        }
        curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
    }
    return SetError(kHttpErrorNone);
}

HttpTimeouts DefaultHttpTimeouts() {
    std::lock_guard<std::mutex> lock(g_defaultsMutex);
    return g_defaults;
}

void SetDefaultHttpTimeouts(const HttpTimeouts& timeouts) {
    std::lock_guard<std::mutex> lock(g_defaultsMutex);
    g_defaults = timeouts;
}

void SetHttpTrustedAuthorities(const std::string& caFile) {
    std::lock_guard<std::mutex> lock(g_defaultsMutex);
    g_caFile = caFile;
}

unsigned long HttpLastError() {
    return t_lastError;
}

std::string HttpErrorText(unsigned long error) {
    switch (error) {
        case kHttpErrorNone:
            return "The operation completed successfully.";
        case kHttpErrorTimeout:
            return "The operation timed out";
        case kHttpErrorInternal:
            return "An internal error occurred in the HTTP layer";
        case kHttpErrorInvalidUrl:
            return "The URL is invalid";
        case kHttpErrorNameNotResolved:
            return "The server name or address could not be resolved";
        case kHttpErrorIncorrectHandleState:
            return "The operation is not valid in the request's current state";
        case kHttpErrorCannotConnect:
            return "A connection with the server could not be established";
        case kHttpErrorConnectionError:
            return "The connection with the server was terminated abnormally";
        case kHttpErrorHeaderNotFound:
            return "The requested header could not be located";
        case kHttpErrorInvalidServerResponse:
            return "The server response could not be parsed";
        case kHttpErrorRedirectFailed:
            return "The redirection failed";
        case kHttpErrorSecureFailure:
            return "A security error occurred";
        case kHttpErrorNotConnected:
            return "The network is not present or not started";
        default:
            return "";
    }
}

std::unique_ptr<HttpSession> HttpSession::Open(std::string_view userAgent, HttpProxyMode proxy) {
    auto settings = std::make_shared<HttpSessionSettings>();
    settings->userAgent = std::string(userAgent);
    settings->proxy = proxy;
    {
        std::lock_guard<std::mutex> lock(g_defaultsMutex);
        settings->timeouts = g_defaults;
        settings->caFile = g_caFile;
    }
    SetError(kHttpErrorNone);
    return std::unique_ptr<HttpSession>(new HttpSession(std::move(settings)));
}

HttpSession::HttpSession(std::shared_ptr<HttpSessionSettings> settings) : m_settings(std::move(settings)) {}
HttpSession::~HttpSession() = default;

void HttpSession::SetTimeouts(const HttpTimeouts& timeouts) {
    m_settings->timeouts = timeouts;
    SetError(kHttpErrorNone);
}

void HttpSession::SetRedirectPolicy(HttpRedirectPolicy policy) {
    m_settings->redirect = policy;
    SetError(kHttpErrorNone);
}

std::unique_ptr<HttpConnection> HttpSession::Connect(std::string_view host, unsigned short port) {
    if (host.empty() || port == 0 || host.find_first_of(" /\r\n") != std::string_view::npos) {
        SetError(kHttpErrorInvalidUrl);
        return nullptr;
    }
    SetError(kHttpErrorNone);
    return std::unique_ptr<HttpConnection>(new HttpConnection(m_settings, std::string(host), port));
}

HttpConnection::HttpConnection(std::shared_ptr<HttpSessionSettings> settings, std::string host, unsigned short port)
    : m_settings(std::move(settings)), m_host(std::move(host)), m_port(port) {}
HttpConnection::~HttpConnection() = default;

std::unique_ptr<HttpRequest> HttpConnection::OpenRequest(std::string_view verb, std::string_view object,
                                                         unsigned flags) {
    if (verb.empty()) {
        SetError(kHttpErrorInvalidUrl);
        return nullptr;
    }
    auto transfer = std::make_unique<HttpRequest::Transfer>();
    transfer->settings = m_settings;
    transfer->host = m_host;
    transfer->port = m_port;
    transfer->verb = std::string(verb);
    transfer->object = object.empty() || object.front() != '/' ? "/" + std::string(object) : std::string(object);
    transfer->flags = flags;
    SetError(kHttpErrorNone);
    return std::unique_ptr<HttpRequest>(new HttpRequest(std::move(transfer)));
}

HttpRequest::HttpRequest(std::unique_ptr<Transfer> transfer) : m_transfer(std::move(transfer)) {}
HttpRequest::~HttpRequest() = default;

void HttpRequest::SetSecurityFlags(unsigned flags) {
    m_transfer->securityFlags = flags;
    SetError(kHttpErrorNone);
}

void HttpRequest::AddOrReplaceHeaders(std::string_view lines) {
    Fields& fields = m_transfer->requestFields;
    for (auto& field : ParseFieldLines(lines)) {
        auto same =
            std::find_if(fields.begin(), fields.end(), [&](const auto& f) { return SameName(f.first, field.first); });
        if (same != fields.end()) {
            same->second = std::move(field.second);
        } else {
            fields.push_back(std::move(field));
        }
    }
    SetError(kHttpErrorNone);
}

bool HttpRequest::Send(std::string_view extraHeaders, std::string_view body) {
    if (m_transfer->sent) return SetError(kHttpErrorIncorrectHandleState);
    return m_transfer->Start(extraHeaders, body);
}

bool HttpRequest::ReceiveResponse() {
    Transfer& t = *m_transfer;
    if (!t.sent) return SetError(kHttpErrorIncorrectHandleState);
    if (!t.Pump([&] { return t.headComplete; })) return false;
    if (t.headComplete) return SetError(kHttpErrorNone);
    return SetError(t.result != CURLE_OK ? ErrorOfCurl(t.result) : kHttpErrorInvalidServerResponse);
}

bool HttpRequest::QueryStatusCode(std::string& text) const {
    if (!m_transfer->headComplete) return SetError(kHttpErrorIncorrectHandleState);
    const int status = StatusOf(m_transfer->statusLine);
    if (status <= 0) return SetError(kHttpErrorHeaderNotFound);
    text = std::to_string(status);
    return SetError(kHttpErrorNone);
}

bool HttpRequest::QueryHeader(std::string_view name, std::string& value) const {
    if (!m_transfer->headComplete) return SetError(kHttpErrorIncorrectHandleState);
    const std::string* found = FindField(m_transfer->responseFields, name);
    if (!found) return SetError(kHttpErrorHeaderNotFound);
    value = *found;
    return SetError(kHttpErrorNone);
}

bool HttpRequest::QueryHeaderNumber(std::string_view name, std::uint32_t& value) const {
    std::string text;
    if (!QueryHeader(name, text)) return false;
    if (!IsAllDigits(text) || text.size() > 10 || std::stoull(text) > UINT32_MAX) {
        return SetError(kHttpErrorInvalidServerResponse);
    }
    value = static_cast<std::uint32_t>(std::stoull(text));
    return SetError(kHttpErrorNone);
}

bool HttpRequest::QueryDataAvailable(std::size_t& bytes) {
    Transfer& t = *m_transfer;
    if (!t.headComplete) return SetError(kHttpErrorIncorrectHandleState);
    if (t.Pending() == 0) {
        t.Resume();
        if (!t.Pump([&] { return t.Pending() > 0; })) return false;
    }
    if (t.Pending() == 0 && t.result != CURLE_OK) return SetError(ErrorOfCurl(t.result));
    bytes = t.Pending();
    return SetError(kHttpErrorNone);
}

bool HttpRequest::ReadData(void* buffer, std::size_t size, std::size_t& read) {
    read = 0;
    std::size_t available = 0;
    if (!QueryDataAvailable(available)) return false;
    Transfer& t = *m_transfer;
    read = std::min(size, available);
    if (read > 0) std::memcpy(buffer, t.pending.data() + t.pendingOffset, read);
    t.pendingOffset += read;
    t.Resume();
    return SetError(kHttpErrorNone);
}

bool HttpConnectedState(unsigned& flags) {
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return SetError(kHttpErrorNotConnected);
    bool connected = false;
    for (const ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
        if (entry->ifa_addr && (entry->ifa_flags & IFF_UP) && !(entry->ifa_flags & IFF_LOOPBACK)) connected = true;
    }
    freeifaddrs(interfaces);
    if (!connected) return SetError(kHttpErrorNotConnected);
    flags = kHttpConnectionLan;
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        const char* value = std::getenv(name);
        if (value && *value) flags |= kHttpConnectionProxy;
    }
    return SetError(kHttpErrorNone);
}

}  // namespace platform
