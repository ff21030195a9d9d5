#include "http_kit/BaseRequest.h"

#include "shell/Log.h"

CBaseRequest::~CBaseRequest() {
    m_request.reset();
    m_connection.reset();
    m_session.reset();
}

bool CBaseRequest::ParseUrl(const std::wstring& url, std::wstring& host, std::wstring& path) const {
    std::wstring::size_type hostStart = 0;
    if (url.find(L"http://") != std::wstring::npos) {
        hostStart = 7;
    } else if (url.find(L"https://") != std::wstring::npos) {
        hostStart = 8;
    } else {
        return true;
    }
    const auto slash = url.find(L'/', hostStart);
    if (slash == std::wstring::npos) return false;
    host = url.substr(hostStart, slash - hostStart);
    path = url.substr(slash + 1);
    return true;
}

bool CBaseRequest::OpenHttpUrl(const std::wstring& url) {
    std::wstring host;
    std::wstring path;
    if (!ParseUrl(url, host, path)) return false;
    return SendUrlRequest(host, path, true) || SendUrlRequest(host, path, false);
}

bool CBaseRequest::SendUrlRequest(const std::wstring& host, const std::wstring& path, bool secure) {
    m_objectPath = path;
    m_host = host;
    if (!OpenSession()) return false;
    return ConnectSession(secure) && OpenRequest(secure) && SendRequest();
}

bool CBaseRequest::IsUseProxyConnect() const {
    unsigned flags = 0;
    if (!platform::HttpConnectedState(flags)) {
        LogWrite("CBaseRequest::IsUseProxyConnect", __FILE__, __LINE__, kLogError,
                 "ERR:InternetGetConnectedState fail 0x%x", static_cast<unsigned>(platform::HttpLastError()));
        return false;
    }
    return (flags & platform::kHttpConnectionProxy) != 0;
}
