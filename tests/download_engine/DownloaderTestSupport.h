#pragma once
// Running download tasks to their end in tests.

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "download_engine/DownloadManager.h"
#include "download_engine/utf8.h"

namespace dltest {

// Bytes that differ from offset to offset, so a misplaced range shows.
inline std::string RandomContent(std::size_t size, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::string content(size, '\0');
    for (char& c : content) c = static_cast<char>(random());
    return content;
}

// Starts the task and waits for its worker to end (at most `limit`).
inline DownloadStatus RunTask(const std::string& url, const std::string& path, int connections = 16,
                              int timeOutSeconds = 2, std::chrono::seconds limit = std::chrono::seconds(120)) {
    DownloadManager& manager = DownloadManager::Instance();
    const TaskHandle task = manager.AddTask(url, dlengine::utf8_to_wide(path), connections, timeOutSeconds);
    manager.StartTask(task);
    const auto end = std::chrono::steady_clock::now() + limit;
    DownloadStatus status;
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        manager.QueryTask(task, &status);
    } while ((manager.IsTaskRunning(task) || status.state == kTask_Starting) && std::chrono::steady_clock::now() < end);
    return status;
}

}  // namespace dltest
