#pragma once
// The process-wide task manager under the download driver: one DownloadObj
// per distinct URL, each running its downloader on a worker thread of its own
// and moving the finished file into place. Created on first use, never
// destroyed; task handles stay valid for the process lifetime.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <boost/asio/io_context.hpp>

#include "download_engine/multi_download.h"
#include "download_engine/proxy_settings.h"
#include "download_engine/settings.h"

enum TaskState {
    kTask_Error = 1,       // the downloader's start or its event loop failed
    kTask_Incomplete = 2,  // the loop ended with bytes missing; also after a stop
    kTask_Running = 3,
    kTask_Complete = 4,  // all bytes present, moved to the target path
    kTask_Starting = 5,
    kTask_Stopping = 6,
};

struct DownloadStatus {
    int state = 0;
    std::wstring name;  // the target once complete, else the data file
    std::int64_t total = -1;
    std::int64_t downloaded = 0;
    float progress = 0;  // negative while the size is unknown
    int speed = 0;       // bytes per second
};

// An opaque handle: the address of a cell allocated when a URL is first seen.
using TaskHandle = void*;

class DownloadObj {
public:
    DownloadObj(std::string url, std::string key, std::wstring path, dlengine::settings settings);

    // The worker thread's whole run: start the downloader, run its event
    // loop until it has no more work, then judge and finish the file.
    void Run();
    void Stop();
    void Fill(DownloadStatus* status) const;

    std::atomic<int> state{kTask_Starting};
    std::atomic<bool> running{false};

private:
    void Finish();

    boost::asio::io_context io_;
    std::shared_ptr<dlengine::multi_download> downloader_;
    std::mutex lock_;
    std::string url_;
    std::string key_;
    std::wstring path_;
    dlengine::settings settings_;
};

class DownloadManager {
public:
    static DownloadManager& Instance();

    // The same URL again gives its existing task back, with its old settings.
    TaskHandle AddTask(const std::string& url, const std::wstring& path, int connections, int timeOutSeconds);
    // False when the task is unknown or its worker still runs.
    bool StartTask(TaskHandle handle);
    // False for an unknown handle; the status is then left as it was.
    bool QueryTask(TaskHandle handle, DownloadStatus* status) const;
    bool StopTask(TaskHandle handle);
    // True while the task's worker thread runs (it may still be writing its
    // resume file after a stop).
    bool IsTaskRunning(TaskHandle handle) const;

    // Given to tasks made after the call (the installer leaves them unset).
    void SetProxy(const dlengine::proxy_settings& proxy);
    void SetRateLimit(int bytesPerSecond);
    void SetCaFile(const std::string& path);

private:
    DownloadManager() = default;
    std::shared_ptr<DownloadObj> Find(TaskHandle handle) const;

    mutable std::mutex taskLock_;
    std::map<TaskHandle, std::shared_ptr<DownloadObj>> tasks_;
    std::mutex keyLock_;
    std::map<std::string, TaskHandle> keys_;
    std::mutex optionsLock_;
    dlengine::proxy_settings proxy_;
    int rateLimit_ = -1;
    std::string caFile_;
};

// The task key of a URL: its standard CRC-32 as unsigned decimal text.
std::string TaskKeyOf(const std::string& url);
