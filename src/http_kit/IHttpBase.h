#pragma once
// The interface family of the synchronous HTTP clients: one request at a time
// on the calling thread, results and error codes returned, never thrown.
// Objects are made by CreateHttp and destroyed by FreeInstance.

#include <cstddef>
#include <string>

enum HttpDownloadState { kHttpDownload_Progress = 0, kHttpDownload_Failure = 1, kHttpDownload_Complete = 2 };

// Implemented by users of DownloadFile; called on the downloading thread.
class IHttpCallback {
public:
    // Sizes are byte counts; the total is 0 when the server did not announce one.
    virtual void OnDownloadCallback(int userValue, int state, double totalSize, double downloadedSize) = 0;
    virtual bool IsNeedStop() = 0;

protected:
    ~IHttpCallback() = default;
};

class IHttpBase {
public:
    // The callback is not owned and must outlive the downloads it watches.
    virtual void SetDownloadCallback(IHttpCallback* callback, int userValue) = 0;
    virtual bool DownloadFile(const wchar_t* url, const wchar_t* filePath) = 0;
    // On success `*data` is a block from malloc that the caller frees.
    virtual bool DownloadToMem(const wchar_t* url, void** data, std::size_t* size) = 0;
    virtual void FreeInstance() = 0;
    virtual int GetErrorCode() const = 0;
    // Ignored when either text is null or empty.
    virtual void AddHeader(const char* name, const char* value) = 0;
    virtual int GetStatusCode() const = 0;

protected:
    virtual ~IHttpBase() = default;
};

class ISocketHttp : public IHttpBase {
public:
    // The dotted IPv4 address the last connection used.
    virtual std::wstring GetIpAddr() const = 0;
};

class IWininetHttp : public IHttpBase {
public:
    // requestType 0 is GET, anything else POST; body and extraHeader may be null.
    virtual std::string Request(const wchar_t* url, int requestType, const char* body, const wchar_t* extraHeader) = 0;
    virtual std::string Request(const char* url, int requestType, const char* body, const char* extraHeader) = 0;
};

class IWinHttp : public IWininetHttp {
public:
    // Milliseconds; they apply from the next operation on.
    virtual void SetTimeOut(int connect, int send, int receive) = 0;
};
