#include "http_kit/WinHttpRequest.h"

#include <cstdio>

#include "http_kit/ShowApiError.h"
#include "platform/TextConversion.h"

CWinHttpRequest::~CWinHttpRequest() {
    CloseHandles();
}

void CWinHttpRequest::CloseHandles() {
    m_request.reset();
    m_connection.reset();
    m_session.reset();
}

bool CWinHttpRequest::OpenSession() {
    CloseHandles();
    const auto proxy = IsUseProxyConnect() ? platform::HttpProxyMode::kDefault : platform::HttpProxyMode::kNone;
    m_session = platform::HttpSession::Open("", proxy);
    if (!m_session) ShowApiError("WinHttpOpen", platform::HttpLastError(), "CWinHttpRequest::OpenSession");
    return m_session != nullptr;
}

bool CWinHttpRequest::ConnectSession(bool secure) {
    m_connection = m_session->Connect(platform::ToUtf8(m_host), secure ? 443 : 80);
    if (!m_connection) ShowApiError("WinHttpConnect", platform::HttpLastError(), "CWinHttpRequest::ConnectSession");
    return m_connection != nullptr;
}

bool CWinHttpRequest::OpenRequest(bool secure) {
    unsigned flags = platform::kHttpRequestRefresh;
    if (secure) flags |= platform::kHttpRequestSecure;
    m_request = m_connection->OpenRequest(platform::ToUtf8(m_verb), "/" + platform::ToUtf8(m_objectPath), flags);
    if (!m_request) {
        ShowApiError("WinHttpOpenRequest", platform::HttpLastError(), "CWinHttpRequest::OpenRequest");
        return false;
    }
    m_request->AddOrReplaceHeaders("Accept: */*");
    return true;
}

bool CWinHttpRequest::SendRequest() {
    if (!m_request->Send("", "")) {
        ShowApiError("WinHttpSendRequest", platform::HttpLastError(), "CWinHttpRequest::SendRequest");
        return false;
    }
    if (!m_request->ReceiveResponse()) {
        ShowApiError("WinHttpReceiveResponse", platform::HttpLastError(), "CWinHttpRequest::SendRequest");
        return false;
    }
    return true;
}

bool CWinHttpRequest::GetUrlFileSize(std::uint32_t& size) {
    if (!m_request) return false;
    if (!m_request->QueryHeaderNumber("Content-Length", size)) {
        ShowApiError("WinHttpQueryHeaders", platform::HttpLastError(), "CWinHttpRequest::GetUrlFileSize");
        return false;
    }
    return true;
}

int CWinHttpRequest::HttpRead(void* buffer, int size) {
    std::size_t read = 0;
    if (!m_request || size < 0 || !m_request->ReadData(buffer, static_cast<std::size_t>(size), read)) {
        ShowApiError("WinHttpReadData", platform::HttpLastError(), "CWinHttpRequest::HttpRead");
        return -1;
    }
    return static_cast<int>(read);
}

bool CWinHttpRequest::SaveToFile(const std::wstring& filePath) {
    std::FILE* file = std::fopen(platform::ToUtf8(filePath).c_str(), "wb");
    if (!file) return false;
    char block[4096];
    bool saved = false;
    for (;;) {
        const int read = HttpRead(block, sizeof block);
        if (read <= 0) {
            saved = read == 0;
            break;
        }
        if (std::fwrite(block, 1, static_cast<std::size_t>(read), file) != static_cast<std::size_t>(read)) break;
    }
    if (std::fclose(file) != 0) saved = false;
    return saved;
}

std::string CWinHttpRequest::ReadAll() {
    std::string body;
    char block[2048] = {};
    for (;;) {
        const int read = HttpRead(block, sizeof block - 1);
        if (read <= 0) return body;
        body.append(block, static_cast<std::size_t>(read));
    }
}
