#include "http_kit/WininetHttp.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "http_kit/HttpInterfaceError.h"
#include "http_kit/SplitHttpUrl.h"
#include "platform/FileSystem.h"
#include "platform/TextConversion.h"

namespace {

constexpr std::size_t kReadBlock = 4096;

}  // namespace

CWininetHttp::~CWininetHttp() {
    CloseHandles();
}

bool CWininetHttp::Fail(int errorCode) {
    m_errorCode = errorCode;
    return false;
}

bool CWininetHttp::FailDownload(int errorCode) {
    if (m_callback) m_callback->OnDownloadCallback(m_userValue, kHttpDownload_Failure, 0, 0);
    return Fail(errorCode);
}

void CWininetHttp::CloseHandles() {
    m_request.reset();
    m_connection.reset();
    m_session.reset();
}

void CWininetHttp::SetDownloadCallback(IHttpCallback* callback, int userValue) {
    m_callback = callback;
    m_userValue = userValue;
}

void CWininetHttp::AddHeader(const char* name, const char* value) {
    if (!name || !*name || !value || !*value) return;
    m_header.SetField(name, value);
}

bool CWininetHttp::Open(const std::string& url, const char* verb) {
    CloseHandles();
    m_session = platform::HttpSession::Open("Http-connect", platform::HttpProxyMode::kDefault);
    if (!m_session) return Fail(kHttpError_Open);
    std::string host;
    std::string path;
    int port = 0;
    SplitHttpUrl(url, host, path, port);
    // Decided per request, so a secure request leaves later plain ones plain.
    m_secure = port == 443;
    if (port <= 0 || port > 65535) return Fail(kHttpError_Connect);
    m_connection = m_session->Connect(host, static_cast<unsigned short>(port));
    if (!m_connection) return Fail(kHttpError_Connect);
    unsigned flags = platform::kHttpRequestRefresh;
    if (m_secure) flags |= platform::kHttpRequestSecure;
    m_request = m_connection->OpenRequest(verb, path, flags);
    if (!m_request) return Fail(kHttpError_Open);
    if (m_secure) m_request->SetSecurityFlags(platform::kHttpIgnoreCertDateInvalid);
    m_request->AddOrReplaceHeaders(m_header.ToHeaderText());
    return true;
}

bool CWininetHttp::SendAndStoreStatus(const std::string& extraHeader, std::string_view body) {
    if (!m_request->Send(extraHeader, body) || !m_request->ReceiveResponse()) return Fail(kHttpError_Send);
    std::string status;
    m_statusCode = m_request->QueryStatusCode(status) ? std::atoi(status.substr(0, 47).c_str()) : 0;
    if (m_statusCode == 404) return Fail(kHttpError_NotFound);
    return true;
}

std::string CWininetHttp::Request(const char* url, int requestType, const char* body, const char* extraHeader) {
    if (!url || !*url) {
        Fail(kHttpError_EmptyRequestUrl);
        return {};
    }
    if (!Open(url, requestType != 0 ? "POST" : "GET")) return {};
    if (!SendAndStoreStatus(extraHeader ? extraHeader : "", body ? std::string_view(body) : std::string_view())) {
        return {};
    }
    std::string text;
    char buffer[kReadBlock];
    for (;;) {
        std::size_t read = 0;
        // A body cut short is a failed request, not a shorter answer.
        if (!m_request->ReadData(buffer, sizeof buffer, read)) {
            Fail(kHttpError_Read);
            return {};
        }
        if (read == 0) return text;
        text.append(buffer, read);
    }
}

std::string CWininetHttp::Request(const wchar_t* url, int requestType, const char* body, const wchar_t* extraHeader) {
    const std::string narrowUrl = url ? platform::ToUtf8(url) : std::string();
    const std::string narrowExtra = extraHeader ? platform::ToUtf8(extraHeader) : std::string();
    return Request(narrowUrl.c_str(), requestType, body, narrowExtra.c_str());
}

bool CWininetHttp::DownloadFile(const wchar_t* url, const wchar_t* filePath) {
    if (!url || !*url) return FailDownload(kHttpError_EmptyFileUrl);
    if (!Open(platform::ToUtf8(url), "GET")) return FailDownload(m_errorCode);
    if (!SendAndStoreStatus("", {})) return FailDownload(m_errorCode);
    std::string lengthText;
    if (!m_request->QueryHeader("Content-Length", lengthText)) return FailDownload(kHttpError_ContentLength);
    const double total = std::atof(lengthText.substr(0, 1023).c_str());
    const std::size_t blockSize = static_cast<std::size_t>(std::min<double>(std::max(total, 0.0), kReadBlock));

    const std::string path = platform::ToUtf8(filePath ? filePath : L"");
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (!folder.empty()) platform::CreateFolders(folder);
    std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "wb+");
    if (!file) return FailDownload(kHttpError_CreateFile);

    std::vector<char> block(blockSize);
    double downloaded = 0;
    for (;;) {
        std::size_t read = 0;
        if (blockSize == 0 || !m_request->ReadData(block.data(), blockSize, read) || read == 0) break;
        if (std::fwrite(block.data(), 1, read, file) != read) {
            std::fclose(file);
            return FailDownload(kHttpError_WriteFile);
        }
        downloaded += static_cast<double>(read);
        if (m_callback) m_callback->OnDownloadCallback(m_userValue, kHttpDownload_Progress, total, downloaded);
    }
    if (std::fclose(file) != 0) return FailDownload(kHttpError_WriteFile);
    if (downloaded != total) return FailDownload(kHttpError_Read);
    if (m_callback) m_callback->OnDownloadCallback(m_userValue, kHttpDownload_Complete, total, downloaded);
    return true;
}

bool CWininetHttp::DownloadToMem(const wchar_t* url, void** data, std::size_t* size) {
    if (!url || !*url) return Fail(kHttpError_EmptyFileUrl);
    if (!Open(platform::ToUtf8(url), "GET") || !SendAndStoreStatus("", {})) return false;

    std::string lengthText;
    bool announced = true;
    long long length = kMaxMemoryDownload;
    if (m_request->QueryHeader("Content-Length", lengthText)) {
        length = std::atoll(lengthText.c_str());
        if (length < 0 || length > kMaxMemoryDownload) return Fail(kHttpError_MemoryLength);
    } else if (platform::HttpLastError() == platform::kHttpErrorHeaderNotFound) {
        announced = false;
    } else {
        return Fail(kHttpError_ContentLength);
    }

    const std::size_t capacity = static_cast<std::size_t>(length);
    auto* block = static_cast<char*>(std::malloc(capacity > 0 ? capacity : 1));
    if (!block) return Fail(kHttpError_MemoryLength);
    std::size_t received = 0;
    int error = kHttpError_None;
    for (;;) {
        std::size_t read = 0;
        if (received == capacity) {
            // A full block with more to come: the body is larger than a
            // memory download may be, not the first 8 MiB of it.
            char probe = 0;
            if (!m_request->ReadData(&probe, 1, read))
                error = kHttpError_Read;
            else if (read > 0)
                error = kHttpError_MemoryLength;
            break;
        }
        if (!m_request->ReadData(block + received, capacity - received, read)) {
            error = kHttpError_Read;
            break;
        }
        if (read == 0) break;
        received += read;
    }
    if (error == kHttpError_None && announced && received != capacity) error = kHttpError_Read;
    if (error != kHttpError_None) {
        std::free(block);
        return Fail(error);
    }
    *data = block;
    *size = received;
    return true;
}
