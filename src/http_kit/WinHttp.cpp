#include "http_kit/WinHttp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "http_kit/HttpInterfaceError.h"
#include "http_kit/SplitHttpUrl.h"
#include "platform/TextConversion.h"

namespace {

constexpr std::size_t kReadBlock = 4096;
// Every certificate problem is ignored on secure requests (0x3301).
constexpr unsigned kIgnoreCertificateErrors = platform::kHttpIgnoreUnknownCa | platform::kHttpIgnoreWrongUsage |
                                              platform::kHttpIgnoreCertCnInvalid |
                                              platform::kHttpIgnoreCertDateInvalid | 0x1;

}  // namespace

CWinHttp::CWinHttp() {
    if (!OpenSession()) m_errorCode = kHttpError_Open;
}

CWinHttp::~CWinHttp() {
    CloseHandles();
}

bool CWinHttp::Fail(int errorCode) {
    m_errorCode = errorCode;
    return false;
}

void CWinHttp::CloseHandles() {
    m_request.reset();
    m_connection.reset();
    m_session.reset();
}

bool CWinHttp::OpenSession() {
    m_session = platform::HttpSession::Open("Microsoft Internet Explorer", platform::HttpProxyMode::kDefault);
    if (!m_session) return false;
    m_session->SetTimeouts({0, m_connectTimeout, m_sendTimeout, m_receiveTimeout});
    return true;
}

void CWinHttp::SetDownloadCallback(IHttpCallback* callback, int userValue) {
    m_callback = callback;
    m_userValue = userValue;
}

void CWinHttp::AddHeader(const char* name, const char* value) {
    if (!name || !*name || !value || !*value) return;
    m_header.SetField(name, value);
}

void CWinHttp::SetTimeOut(int connect, int send, int receive) {
    m_connectTimeout = connect;
    m_sendTimeout = send;
    m_receiveTimeout = receive;
}

bool CWinHttp::ConnectAndSend(const std::wstring& url, bool post, const char* body, const wchar_t* extraHeader) {
    CloseHandles();
    if (!OpenSession()) return Fail(kHttpError_Open);
    std::wstring host;
    std::wstring path;
    int port = 0;
    SplitHttpUrl(url, host, path, port);
    // Decided per request: a secure request must not make a later plain one
    // on the same object speak TLS to a plain port.
    m_secure = port == 443;
    if (port <= 0 || port > 65535) return Fail(kHttpError_Connect);
    m_connection = m_session->Connect(platform::ToUtf8(host), static_cast<unsigned short>(port));
    if (!m_connection) return Fail(kHttpError_Connect);
    m_request = m_connection->OpenRequest(post ? "POST" : "GET", platform::ToUtf8(path),
                                          m_secure ? unsigned{platform::kHttpRequestSecure} : 0u);
    if (!m_request) return Fail(kHttpError_Open);
    if (m_secure) m_request->SetSecurityFlags(kIgnoreCertificateErrors);
    m_request->AddOrReplaceHeaders(m_header.ToHeaderText());
    const std::string extra = extraHeader ? platform::ToUtf8(extraHeader) : std::string();
    if (!m_request->Send(extra, body ? std::string_view(body) : std::string_view())) return Fail(kHttpError_Send);
    if (!m_request->ReceiveResponse()) return Fail(kHttpError_Open);
    return true;
}

int CWinHttp::QueryStatusCode() const {
    std::string text;
    if (!m_request->QueryStatusCode(text)) return 0;
    return std::atoi(text.substr(0, 47).c_str());
}

bool CWinHttp::QueryContentLength(long long& length) const {
    std::string text;
    if (!m_request->QueryHeader("Content-Length", text)) return false;
    length = std::atoll(text.substr(0, 47).c_str());
    return true;
}

template <typename Take>
bool CWinHttp::ReadBody(Take&& take) {
    std::vector<char> buffer(kReadBlock);
    for (;;) {
        std::size_t available = 0;
        if (!m_request->QueryDataAvailable(available)) return false;
        if (available == 0) return true;
        if (available > buffer.size()) buffer.resize(available);
        std::size_t read = 0;
        if (!m_request->ReadData(buffer.data(), available, read)) return false;
        if (!take(buffer.data(), read)) return false;
    }
}

std::string CWinHttp::Request(const wchar_t* url, int requestType, const char* body, const wchar_t* extraHeader) {
    if (!ConnectAndSend(url ? url : L"", requestType != 0, body, extraHeader)) return {};
    m_statusCode = QueryStatusCode();
    if (m_statusCode == 404) {
        Fail(kHttpError_NotFound);
        return {};
    }
    std::string text;
    const bool complete = ReadBody([&](const char* bytes, std::size_t count) {
        text.append(bytes, count);
        return true;
    });
    return complete ? text : std::string();
}

std::string CWinHttp::Request(const char* url, int requestType, const char* body, const char* extraHeader) {
    const std::wstring wideUrl = platform::ToWide(url ? url : "");
    const std::wstring wideExtra = extraHeader ? platform::ToWide(extraHeader) : std::wstring();
    return Request(wideUrl.c_str(), requestType, body, extraHeader ? wideExtra.c_str() : nullptr);
}

bool CWinHttp::DownloadToMem(const wchar_t* url, void** data, std::size_t* size) {
    if (!ConnectAndSend(url ? url : L"", false, nullptr, nullptr)) return Fail(kHttpError_Open);
    long long length = 0;
    if (!QueryContentLength(length)) return Fail(kHttpError_ContentLength);
    m_statusCode = QueryStatusCode();
    if (m_statusCode == 404) return Fail(kHttpError_NotFound);
    std::size_t available = 0;
    if (!m_request->QueryDataAvailable(available)) return Fail(kHttpError_ContentLength);
    if (length < 0 || length > kMaxMemoryDownload) return Fail(kHttpError_MemoryLength);

    auto* block = static_cast<char*>(std::malloc(length > 0 ? static_cast<std::size_t>(length) : 1));
    if (!block) return Fail(kHttpError_MemoryLength);
    std::size_t received = 0;
    const bool complete = ReadBody([&](const char* bytes, std::size_t count) {
        // Never past the block, whatever the server sends.
        if (count > static_cast<std::size_t>(length) - received) return false;
        std::memcpy(block + received, bytes, count);
        received += count;
        return true;
    });
    if (!complete) {
        std::free(block);
        return Fail(kHttpError_Read);
    }
    *data = block;
    *size = received;
    return true;
}

bool CWinHttp::DownloadFile(const wchar_t* url, const wchar_t* filePath) {
    if (!ConnectAndSend(url ? url : L"", false, nullptr, nullptr)) return false;
    long long length = 0;
    if (!QueryContentLength(length)) return Fail(kHttpError_ContentLength);
    m_statusCode = QueryStatusCode();
    if (m_statusCode == 404) return Fail(kHttpError_NotFound);

    const std::string path = platform::ToUtf8(filePath ? filePath : L"");
    std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "wb");
    if (!file) return Fail(kHttpError_CreateFile);
    // The file takes its final size at once, so a full disk shows before the
    // transfer rather than in the middle of it.
    std::error_code sizeError;
    std::filesystem::resize_file(path, length > 0 ? static_cast<std::uintmax_t>(length) : 0, sizeError);

    double downloaded = 0;
    std::size_t available = 0;
    bool complete = !sizeError && m_request->QueryDataAvailable(available);
    std::vector<char> buffer(kReadBlock);
    while (complete && available > 0) {
        if (available > buffer.size()) buffer.resize(available);
        std::size_t read = 0;
        if (!m_request->ReadData(buffer.data(), available, read) || std::fwrite(buffer.data(), 1, read, file) != read) {
            complete = false;
            break;
        }
        downloaded += static_cast<double>(read);
        if (m_callback) {
            m_callback->OnDownloadCallback(m_userValue, kHttpDownload_Progress, static_cast<double>(length),
                                           downloaded);
        }
        complete = m_request->QueryDataAvailable(available);
    }
    if (std::fclose(file) != 0) complete = false;
    if (!complete) std::remove(path.c_str());
    return complete;
}
