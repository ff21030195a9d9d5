#pragma once
// The download driver: the installer's one door into the download engine.
// StartHttpDownload blocks for the whole download on the caller's thread,
// polling the task every 800 ms and reporting through the callback;
// StopHttpDownload may be called from another thread meanwhile.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "download_engine/DownloadManager.h"

struct DownloadRequest {
    int connections = 16;
    void* owner = nullptr;  // handed back as the callback's last argument
    std::wstring url;
    std::wstring path;  // the final target file
};

// (event, value, elapsed seconds, owner). Events: 0 before the task is made;
// 3 with the percent after each poll that finds the task running; 4 with the
// result code and the elapsed seconds at the end.
using ProgressCallback = void (*)(int event, int value, int elapsed, void* owner);

enum DownloadResult {
    kDownload_Success = 0,  // complete and moved to the target path
    kDownload_Incomplete = -2,
    kDownload_Error = -4,
    kDownload_Stopped = -5,  // stopped, or no task could be made
};

class CHttpDownload {
public:
    CHttpDownload(DownloadRequest* request, ProgressCallback callback, void* userData);

    int Download();
    void Stop();

    // How often the task is polled and how long a stop waits before the last look.
    void SetTiming(std::chrono::milliseconds poll, std::chrono::milliseconds stopGrace);

private:
    void Raise(int event, int value, int elapsed) const;

    DownloadRequest* m_request;
    ProgressCallback m_callback;
    void* m_userData;
    std::atomic<TaskHandle> m_current{nullptr};
    std::atomic<TaskHandle> m_saved{nullptr};
    std::chrono::milliseconds m_poll{800};
    std::chrono::milliseconds m_stopGrace{500};
};

// Runs CHttpDownload::Download for the request; 1 when it returned 0, else 0.
int StartHttpDownload(DownloadRequest* request, ProgressCallback callback, void* userData);
void StopHttpDownload();

// The size the server states for the URL (a HEAD request, Content-Length);
// 0 when the request or the query fails, or when the size does not fit the
// signed 32-bit result.
int GetHttpFileSize(const std::wstring& url);

// Deletes the leftovers of an interrupted download (path + ".tmp" and ".cfg")
// when its resume file names another URL or another size; true when they
// were deleted. Leftovers without a readable resume file are kept.
bool JudgeDeleteHistoryFile(const std::wstring& strDownloadUrl, int totalBytes, const std::wstring& strFileName);
bool RemoveTemporaryFileWrap(const std::wstring& path);
