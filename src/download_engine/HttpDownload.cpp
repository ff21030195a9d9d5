#include "download_engine/HttpDownload.h"

#include "download_engine/resume_file.h"
#include "download_engine/utf8.h"
#include "http_kit/WinHttpRequest.h"
#include "shell/Log.h"

#include <climits>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr int kConnectionTimeOutSeconds = 20;

std::mutex& DriverLock() {
    static std::mutex lock;
    return lock;
}

// The one driver of the process, replaced by the next StartHttpDownload.
std::unique_ptr<CHttpDownload>& CurrentDriver() {
    static std::unique_ptr<CHttpDownload> driver;
    return driver;
}

// Absent counts as removed; a file whose status cannot be read counts as absent.
bool RemoveIfPresent(const std::wstring& path) {
    std::error_code ec;
    const fs::path file = fs::u8path(dlengine::wide_to_utf8(path));
    if (!fs::exists(file, ec)) return true;
    return fs::remove(file, ec) && !ec;
}

}  // namespace

CHttpDownload::CHttpDownload(DownloadRequest* request, ProgressCallback callback, void* userData)
    : m_request(request), m_callback(callback), m_userData(userData) {}

void CHttpDownload::SetTiming(std::chrono::milliseconds poll, std::chrono::milliseconds stopGrace) {
    m_poll = poll;
    m_stopGrace = stopGrace;
}

void CHttpDownload::Raise(int event, int value, int elapsed) const {
    if (m_callback && m_request) m_callback(event, value, elapsed, m_request->owner);
}

int CHttpDownload::Download() {
    LogWrite("CHttpDownload::Download", __FILE__, __LINE__, kLogInfo, "Download....");
    const std::time_t started = std::time(nullptr);
    Raise(0, 0, 0);

    DownloadManager& manager = DownloadManager::Instance();
    int result = kDownload_Stopped;
    bool stopped = true;
    if (m_request) {
        const std::string url = dlengine::wide_to_utf8(m_request->url);
        const std::wstring path = m_request->path;
        m_saved = nullptr;
        m_current = manager.AddTask(url, path, m_request->connections, kConnectionTimeOutSeconds);
        manager.StartTask(m_current);
        stopped = m_current == nullptr;
        while (!stopped) {
            DownloadStatus status;
            manager.QueryTask(m_current, &status);
            std::this_thread::sleep_for(m_poll);
            bool finished = true;
            switch (status.state) {
                case kTask_Complete:
                    result = kDownload_Success;
                    break;
                case kTask_Running:
                    Raise(3, static_cast<int>(status.progress * 100.0f), 0);
                    finished = false;
                    break;
                case kTask_Error:
                    result = kDownload_Error;
                    break;
                case kTask_Incomplete:
                    result = kDownload_Incomplete;
                    break;
                default:
                    finished = false;
            }
            stopped = m_current == nullptr;
            if (finished) break;
        }
    }
    if (stopped) {
        LogWrite("CHttpDownload::Download", __FILE__, __LINE__, kLogInfo, "HttpDownload engine user maybe cancel.");
        result = kDownload_Stopped;
        std::this_thread::sleep_for(m_stopGrace);
        DownloadStatus status;
        if (m_saved && manager.QueryTask(m_saved, &status) && status.state == kTask_Complete) {
            LogWrite("CHttpDownload::Download", __FILE__, __LINE__, kLogInfo,
                     "HttpDownload engine cancel but almost complete.");
            result = kDownload_Success;
        }
    }
    const int elapsed = static_cast<int>(std::time(nullptr) - started);
    LogWrite("CHttpDownload::Download", __FILE__, __LINE__, kLogInfo, "HttpDownload,ret = %d (time = %d \xE7\xA7\x92)",
             result, elapsed);
    Raise(4, result, elapsed);
    return result;
}

void CHttpDownload::Stop() {
    DownloadManager::Instance().StopTask(m_current);
    m_saved = m_current.load();
    m_current = nullptr;
}

int StartHttpDownload(DownloadRequest* request, ProgressCallback callback, void* userData) {
    CHttpDownload* driver = nullptr;
    {
        std::lock_guard<std::mutex> guard(DriverLock());
        CurrentDriver() = std::make_unique<CHttpDownload>(request, callback, userData);
        driver = CurrentDriver().get();
    }
    return driver->Download() == kDownload_Success ? 1 : 0;
}

void StopHttpDownload() {
    std::lock_guard<std::mutex> guard(DriverLock());
    if (CurrentDriver()) CurrentDriver()->Stop();
}

int GetHttpFileSize(const std::wstring& url) {
    CWinHttpRequest request;
    request.SetVerb(L"HEAD");
    std::uint32_t size = 0;
    if (!request.OpenHttpUrl(url) || !request.GetUrlFileSize(size)) return 0;
    // A size past INT_MAX would reach the caller negative and pass any disk check.
    return size <= static_cast<std::uint32_t>(INT_MAX) ? static_cast<int>(size) : 0;
}

bool JudgeDeleteHistoryFile(const std::wstring& strDownloadUrl, int totalBytes, const std::wstring& strFileName) {
    LogWrite(L"JudgeDeleteHistoryFile", L"HttpDownload.cpp", __LINE__, kLogInfo,
             L"JudgeDeleteHistoryFile strDownloadUrl=%ls, totalBytes=%d, strFileName=%ls", strDownloadUrl.c_str(),
             totalBytes, strFileName.c_str());
    std::int64_t storedSize = 0;
    std::wstring storedUrl;
    if (!dlengine::ReadResumeInfo(strFileName + L".cfg", &storedSize, &storedUrl)) return false;
    if (storedUrl == strDownloadUrl && storedSize == static_cast<std::int64_t>(totalBytes)) return false;
    const bool removed = RemoveTemporaryFileWrap(strFileName);
    LogWrite("JudgeDeleteHistoryFile", __FILE__, __LINE__, kLogInfo, "RemoveTemporaryFileWrap result=%d", removed);
    return removed;
}

bool RemoveTemporaryFileWrap(const std::wstring& path) {
    if (!RemoveIfPresent(path + L".tmp")) return false;
    return RemoveIfPresent(path + L".cfg");
}
