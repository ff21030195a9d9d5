#pragma once
// A one-shot request to the maker's servers: the description, the address
// parsing and the two-attempt logic (TLS on 443 first, then plain HTTP on 80,
// whatever the address's scheme). One object serves one address; the derived
// class speaks to the platform.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/HttpSession.h"

class CBaseRequest {
public:
    CBaseRequest() = default;
    virtual ~CBaseRequest();
    CBaseRequest(const CBaseRequest&) = delete;
    CBaseRequest& operator=(const CBaseRequest&) = delete;

    virtual const char* GetName() const = 0;
    // The Content-Length of the answer.
    virtual bool GetUrlFileSize(std::uint32_t& size) = 0;
    // Bytes read (0 at the end of the body), or -1.
    virtual int HttpRead(void* buffer, int size) = 0;
    virtual void CloseHandles() = 0;
    virtual bool OpenSession() = 0;
    virtual bool ConnectSession(bool secure) = 0;
    virtual bool OpenRequest(bool secure) = 0;
    virtual bool SendRequest() = 0;

    void SetVerb(const std::wstring& verb) { m_verb = verb; }
    // The host follows the scheme and the path is what follows the next '/'
    // (without it). False when a scheme is there but no '/' follows the host;
    // true, with both left as they were, when there is no scheme.
    bool ParseUrl(const std::wstring& url, std::wstring& host, std::wstring& path) const;
    // Any HTTP answer counts as success; the status is not examined.
    bool OpenHttpUrl(const std::wstring& url);
    bool SendUrlRequest(const std::wstring& host, const std::wstring& path, bool secure);
    // True when the system's connection goes through a proxy.
    bool IsUseProxyConnect() const;

protected:
    std::wstring m_verb = L"GET";
    std::wstring m_objectPath;  // without its leading '/'
    std::wstring m_host;
    std::unique_ptr<platform::HttpSession> m_session;
    std::unique_ptr<platform::HttpConnection> m_connection;
    std::unique_ptr<platform::HttpRequest> m_request;
};
