#pragma once
// The client on the WinINet session layer. Like CWinHttp it opens a fresh
// session, connection and request for every operation and keeps them until
// the next one; it differs in its agent, its reload and certificate flags
// (only a bad certificate date would be overlooked, and the layer cannot
// overlook that alone, so secure requests verify the certificate), its
// Content-Length handling and its callback reports.

#include <memory>
#include <string>

#include "http_kit/HttpHeader.h"
#include "http_kit/IHttpBase.h"
#include "platform/HttpSession.h"

class CWininetHttp : public IWininetHttp {
public:
    CWininetHttp() = default;
    ~CWininetHttp() override;

    void SetDownloadCallback(IHttpCallback* callback, int userValue) override;
    bool DownloadFile(const wchar_t* url, const wchar_t* filePath) override;
    bool DownloadToMem(const wchar_t* url, void** data, std::size_t* size) override;
    void FreeInstance() override { delete this; }
    int GetErrorCode() const override { return m_errorCode; }
    void AddHeader(const char* name, const char* value) override;
    int GetStatusCode() const override { return m_statusCode; }
    std::string Request(const wchar_t* url, int requestType, const char* body, const wchar_t* extraHeader) override;
    std::string Request(const char* url, int requestType, const char* body, const char* extraHeader) override;

private:
    bool Fail(int errorCode);
    // Fails and tells the callback.
    bool FailDownload(int errorCode);
    void CloseHandles();
    bool Open(const std::string& url, const char* verb);
    bool SendAndStoreStatus(const std::string& extraHeader, std::string_view body);

    int m_statusCode = 0;
    bool m_secure = false;
    std::unique_ptr<platform::HttpSession> m_session;
    std::unique_ptr<platform::HttpConnection> m_connection;
    std::unique_ptr<platform::HttpRequest> m_request;
    CHttpHeader m_header;
    int m_userValue = 0;
    IHttpCallback* m_callback = nullptr;
    int m_errorCode = 0;
};
