#pragma once
// The client on the WinHTTP session layer, used for the analytics calls.
// Every operation opens a fresh session, connection and request; the
// handles stay open until the next operation or the destructor. Secure
// requests (port 443) ignore certificate errors, as these service calls
// always have.

#include <memory>
#include <string>

#include "http_kit/HttpHeader.h"
#include "http_kit/IHttpBase.h"
#include "platform/HttpSession.h"

class CWinHttp : public IWinHttp {
public:
    CWinHttp();
    ~CWinHttp() override;

    void SetDownloadCallback(IHttpCallback* callback, int userValue) override;
    bool DownloadFile(const wchar_t* url, const wchar_t* filePath) override;
    bool DownloadToMem(const wchar_t* url, void** data, std::size_t* size) override;
    void FreeInstance() override { delete this; }
    int GetErrorCode() const override { return m_errorCode; }
    void AddHeader(const char* name, const char* value) override;
    int GetStatusCode() const override { return m_statusCode; }
    std::string Request(const wchar_t* url, int requestType, const char* body, const wchar_t* extraHeader) override;
    std::string Request(const char* url, int requestType, const char* body, const char* extraHeader) override;
    void SetTimeOut(int connect, int send, int receive) override;

private:
    bool Fail(int errorCode);
    void CloseHandles();
    bool OpenSession();
    bool ConnectAndSend(const std::wstring& url, bool post, const char* body, const wchar_t* extraHeader);
    int QueryStatusCode() const;
    bool QueryContentLength(long long& length) const;
    // Hands each block of the body to `take` until the body ends; false when
    // a query or read fails or `take` refuses a block.
    template <typename Take>
    bool ReadBody(Take&& take);

    int m_statusCode = 0;
    bool m_secure = false;
    std::unique_ptr<platform::HttpSession> m_session;
    std::unique_ptr<platform::HttpConnection> m_connection;
    std::unique_ptr<platform::HttpRequest> m_request;
    int m_connectTimeout = 5000;
    int m_sendTimeout = 5000;
    int m_receiveTimeout = 5000;
    CHttpHeader m_header;
    int m_userValue = 0;
    IHttpCallback* m_callback = nullptr;
    int m_errorCode = 0;
};
