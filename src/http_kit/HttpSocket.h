#pragma once
// The client that speaks HTTP/1.1 itself over a plain TCP socket (no TLS: an
// address on port 443 is refused at once). It follows redirects itself: a
// path on the same connection, an absolute address on a new one, at most
// kMaxRedirects per call (then error 8). The socket stays open from one
// request to the next connect; header fields accumulate on the object.

#include <string>

#include "http_kit/HttpHeader.h"
#include "http_kit/IHttpBase.h"

class CHttpSocket : public ISocketHttp {
public:
    static constexpr int kMaxRedirects = 10;

    // A receive that waits longer than `receiveTimeoutMs` fails (error 10).
    explicit CHttpSocket(int receiveTimeoutMs = 10000);
    ~CHttpSocket() override;

    void SetDownloadCallback(IHttpCallback* callback, int userValue) override;
    bool DownloadFile(const wchar_t* url, const wchar_t* filePath) override;
    bool DownloadToMem(const wchar_t* url, void** data, std::size_t* size) override;
    void FreeInstance() override { delete this; }
    int GetErrorCode() const override { return m_errorCode; }
    void AddHeader(const char* name, const char* value) override;
    int GetStatusCode() const override { return m_statusCode; }
    std::wstring GetIpAddr() const override { return m_ipAddr; }

private:
    enum class Prepared { kReady, kRefused, kFailed };
    enum class Received { kHead, kClosed, kFailed };

    bool Fail(int errorCode);
    bool Connect(const std::string& host, int port);
    void CloseSocket();
    // Splits the address, connects and sets the Host field; kRefused (with
    // no error code) for port 443.
    Prepared Prepare(const std::wstring& url, std::string& path);
    bool SendRequest(const std::string& path);
    // Receives into `buffer` until it holds a whole head, which is parsed
    // into `response` and removed with its empty line.
    Received ReceiveHead(std::string& buffer, CHttpHeader& response, bool askToStop);
    // Receives at most `size` bytes; -1 on failure (the code is recorded),
    // 0 when the server closed the connection.
    long Receive(char* data, std::size_t size, bool askToStop);
    // Drops a redirect's body so the next answer on the connection starts
    // clean; connects again when the server closed the connection.
    bool ReadyForNextRequest(std::string& buffer, const CHttpHeader& response);
    bool DownloadFileTo(const std::wstring& url, const std::string& path, int redirects);
    bool DownloadToMemFrom(const std::wstring& url, void** data, std::size_t* size, int redirects);
    void Report(int state, double total, double downloaded);

    int m_statusCode = 0;
    int m_socket = -1;
    std::wstring m_ipAddr;
    CHttpHeader m_header;
    int m_userValue = 0;
    IHttpCallback* m_callback = nullptr;
    int m_errorCode = 0;
    int m_receiveTimeoutMs;
    std::string m_host;
    int m_port = 0;
    // A Host field the caller added stays; otherwise it follows the server of
    // each request, so a redirect to another server names that server.
    bool m_callerSetHost = false;
};
