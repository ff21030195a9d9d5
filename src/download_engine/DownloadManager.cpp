#include "download_engine/DownloadManager.h"

#include "download_engine/utf8.h"

#include <zlib.h>

#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;

// Pieces a connection asks for at once, and the connection time-out, of every task.
constexpr int kPiecesPerRequest = 8;

fs::path FsPath(const std::wstring& path) {
    return fs::u8path(dlengine::wide_to_utf8(path));
}

// Moves the finished data file into place. It is cut to the file size first,
// so a longer stale file never leaves trailing bytes in the result.
bool MoveIntoPlace(const fs::path& data, const fs::path& target, std::int64_t size) {
    std::error_code ec;
    fs::resize_file(data, static_cast<std::uintmax_t>(size), ec);
    if (ec) return false;
    fs::rename(data, target, ec);
    if (ec == std::errc::cross_device_link) {
        ec.clear();
        fs::copy_file(data, target, fs::copy_options::overwrite_existing, ec);
        if (!ec) fs::remove(data, ec);
    }
    return !ec;
}

}  // namespace

std::string TaskKeyOf(const std::string& url) {
    const uLong crc =
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(url.data()), static_cast<uInt>(url.size()));
    return std::to_string(static_cast<std::uint32_t>(crc));
}

DownloadObj::DownloadObj(std::string url, std::string key, std::wstring path, dlengine::settings settings)
    : downloader_(std::make_shared<dlengine::multi_download>(io_)),
      url_(std::move(url)),
      key_(std::move(key)),
      path_(std::move(path)),
      settings_(std::move(settings)) {}

void DownloadObj::Run() {
    std::lock_guard<std::mutex> guard(lock_);
    running = true;
    // Handlers left from an earlier run (a stop posted after its loop ended).
    for (int pass = 0; pass < std::max(1, settings_.connections_limit); ++pass) {
        std::size_t ran = 0;
        try {
            ran = io_.poll();
        } catch (const std::exception&) {
            continue;
        }
        if (ran == 0) break;
    }
    io_.restart();
    state = kTask_Starting;

    boost::system::error_code ec;
    try {
        downloader_->start(url_, settings_, ec);
        if (!ec) {
            state = kTask_Running;
            io_.run();
        }
    } catch (const std::exception&) {
        ec = make_error_code(boost::system::errc::io_error);
    }
    if (ec || downloader_->error()) {
        io_.stop();
        io_.restart();
        downloader_->stop();
        state = kTask_Error;
    } else if (downloader_->file_size() == downloader_->bytes_download()) {
        Finish();
    } else {
        state = kTask_Incomplete;
    }
    running = false;
}

void DownloadObj::Finish() {
    // A file that cannot be moved into place is not complete, whatever the
    // byte count says.
    if (!MoveIntoPlace(FsPath(path_ + L".tmp"), FsPath(path_), downloader_->file_size())) {
        state = kTask_Error;
        return;
    }
    std::error_code ignored;
    fs::remove(FsPath(path_ + L".cfg"), ignored);
    state = kTask_Complete;
}

void DownloadObj::Stop() {
    if (state != kTask_Running) return;
    state = kTask_Stopping;
    downloader_->stop();
    state = kTask_Incomplete;
}

void DownloadObj::Fill(DownloadStatus* status) const {
    status->state = state;
    status->total = downloader_->file_size();
    status->downloaded = downloader_->bytes_download();
    status->progress = static_cast<float>(status->downloaded) / static_cast<float>(status->total);
    status->speed = downloader_->byte_rate();
    status->name = status->state == kTask_Complete ? path_ : downloader_->file_name();
}

DownloadManager& DownloadManager::Instance() {
    static DownloadManager* manager = new DownloadManager();
    return *manager;
}

TaskHandle DownloadManager::AddTask(const std::string& url, const std::wstring& path, int connections,
                                    int timeOutSeconds) {
    const std::string key = TaskKeyOf(url);
    std::lock_guard<std::mutex> keyGuard(keyLock_);
    const auto known = keys_.find(key);
    if (known != keys_.end()) return known->second;

    dlengine::settings settings;
    settings.download_rate_limit = -1;
    settings.connections_limit = connections;
    settings.piece_size = -1;
    settings.time_out = timeOutSeconds;
    settings.request_piece_num = kPiecesPerRequest;
    settings.meta_file = path + L".cfg";
    settings.meta_url = false;
    settings.disable_multi_download = false;
    settings.save_path = path + L".tmp";
    // The downloaded installer is run with administrator rights: the server
    // must prove who it is.
    settings.check_certificate = true;
    {
        std::lock_guard<std::mutex> optionsGuard(optionsLock_);
        settings.proxy = proxy_;
        settings.download_rate_limit = rateLimit_;
        settings.ca_file = caFile_;
    }

    TaskHandle handle = new int(0);
    keys_[key] = handle;
    auto task = std::make_shared<DownloadObj>(url, key, path, std::move(settings));
    std::lock_guard<std::mutex> taskGuard(taskLock_);
    tasks_[handle] = std::move(task);
    return handle;
}

std::shared_ptr<DownloadObj> DownloadManager::Find(TaskHandle handle) const {
    std::lock_guard<std::mutex> guard(taskLock_);
    const auto found = tasks_.find(handle);
    return found == tasks_.end() ? nullptr : found->second;
}

bool DownloadManager::StartTask(TaskHandle handle) {
    const std::shared_ptr<DownloadObj> task = Find(handle);
    if (!task || task->running.exchange(true)) return false;
    task->state = kTask_Starting;
    std::thread([task] { task->Run(); }).detach();
    return true;
}

bool DownloadManager::QueryTask(TaskHandle handle, DownloadStatus* status) const {
    if (!handle || !status) return false;
    const std::shared_ptr<DownloadObj> task = Find(handle);
    if (!task) return false;
    task->Fill(status);
    return true;
}

bool DownloadManager::StopTask(TaskHandle handle) {
    const std::shared_ptr<DownloadObj> task = Find(handle);
    if (task) task->Stop();
    return true;
}

bool DownloadManager::IsTaskRunning(TaskHandle handle) const {
    const std::shared_ptr<DownloadObj> task = Find(handle);
    return task && task->running;
}

void DownloadManager::SetProxy(const dlengine::proxy_settings& proxy) {
    std::lock_guard<std::mutex> guard(optionsLock_);
    proxy_ = proxy;
}

void DownloadManager::SetRateLimit(int bytesPerSecond) {
    std::lock_guard<std::mutex> guard(optionsLock_);
    rateLimit_ = bytesPerSecond;
}

void DownloadManager::SetCaFile(const std::string& path) {
    std::lock_guard<std::mutex> guard(optionsLock_);
    caFile_ = path;
}
