#pragma once
// The process-wide analytics sender: one HTTPS POST per event, fire and
// forget; an outcome is only logged.
//
// The window sets the address and the title once, on the UI thread, before it
// starts the first event thread; afterwards the fields are only read, so the
// event threads read them without a lock.

#include <string>
#include <utility>

class CGA {
public:
    // Made on the first call, which must come before any other thread can
    // call; never destroyed.
    static CGA* GetInstance();

    void SetUrl(const std::wstring& url) { m_url = url; }
    void SetTitle(const std::wstring& title) { m_title = title; }
    const std::wstring& GetUrl() const { return m_url; }
    const std::wstring& GetTitle() const { return m_title; }
    const std::string& GetGuid() const { return m_guid; }

    // Posts the event with the WinHTTP client. True when the client could be
    // made and the request was tried, whatever its outcome.
    bool SendGACommon(const std::string& eventName);
    bool SendDownloaderStartInstall() { return SendGACommon("Downloader_Start_Install"); }
    bool SendDownloaderInstalled() { return SendGACommon("Downloader_Installed"); }
    bool SendInstalledSucceed() { return SendGACommon("Installed_Succeed"); }

protected:
    // `guid` is the client identity in UTF-8. Only GetInstance makes the
    // process's sender; derived classes serve tests.
    explicit CGA(std::string guid) : m_guid(std::move(guid)) {}
    ~CGA() = default;

private:
    std::wstring m_url;
    std::wstring m_title;
    const std::string m_guid;
};

// The record of one asynchronous event, allocated with new by the starter and
// freed by GAThreadProc.
struct GAThreadParam {
    bool result = false;
    CGA* sender = nullptr;
    int kind = 0;  // 1 "Downloader_Installed", 2 "Installed_Succeed", else "Downloader_Start_Install"
};

// The body of an event thread: `parameter` is a GAThreadParam*, which it owns.
unsigned long GAThreadProc(void* parameter);
