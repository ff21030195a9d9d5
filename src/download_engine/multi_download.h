#pragma once
// Fetches one file over HTTP(S) with several connections, each asking for a
// different byte range and writing straight into the data file at the final
// offsets. A probe with an open-ended range decides the mode: "206" with a
// known size gives multi-connection mode with a resume file; anything else a
// plain single-connection download.
//
// Every handler runs on the io_context the owner runs on its worker thread.
// stop(), bytes_download(), file_size(), file_name(), byte_rate() and
// error() may be called from other threads. The object must be owned by a
// std::shared_ptr: pending operations keep it alive.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/system/error_code.hpp>

#include "download_engine/http_stream.h"
#include "download_engine/rangefield.h"
#include "download_engine/resume_file.h"
#include "download_engine/settings.h"
#include "download_engine/storage.h"
#include "download_engine/url.h"

namespace dlengine {

// Powers of two from 16 KiB to 16 MiB, about file_size / 2048.
std::int64_t default_piece_size(std::int64_t file_size);

// The URL as the probe sends it: bytes 0x80 and above, space, '^', '`', '{',
// '|' and '}' percent-encoded with lower-case digits.
std::string escape_url(const std::string& text);

class multi_download : public std::enable_shared_from_this<multi_download> {
public:
    explicit multi_download(boost::asio::io_context& io);
    ~multi_download();

    // Probes the server (blocking), loads the resume file and leaves the
    // range connections and the one-second tick on the io_context. An error
    // means nothing was left to run.
    void start(const std::string& url, const settings& options, boost::system::error_code& ec);

    // Ends the transfer: every pending operation completes with an error and
    // the io_context runs out of work.
    void stop();

    // Written bytes when the size is known, else the bytes received.
    std::int64_t bytes_download() const;
    std::int64_t file_size() const { return file_size_; }
    std::wstring file_name() const;
    int byte_rate() const { return rate_.load(); }
    // A write that failed (a full disk, say): the download ended with it and
    // must not be reported complete.
    boost::system::error_code error() const;

private:
    struct http_stream_object {
        std::shared_ptr<http_stream> stream;
        char buffer[2048];
        std::int64_t request_range[2] = {0, -1};  // first and last byte, inclusive
        std::int64_t bytes_transferred = 0;
        std::atomic<std::int64_t> bytes_downloaded{0};  // read by the polling thread
        std::chrono::steady_clock::time_point last_request_time;
        boost::system::error_code ec;
        bool done = false;
        bool reconnect = false;
    };
    using connection_ptr = std::shared_ptr<http_stream_object>;

    bool allocate_range(std::int64_t& first, std::int64_t& last);
    std::shared_ptr<http_stream> make_stream(const std::string& range_header);
    void open_range(int index, const connection_ptr& connection);
    void handle_open(int index, const connection_ptr& connection, const boost::system::error_code& ec);
    void handle_request(int index, const connection_ptr& connection, const boost::system::error_code& ec);
    void handle_read(int index, const connection_ptr& connection, const boost::system::error_code& ec,
                     std::size_t count);
    void read_more(int index, const connection_ptr& connection);
    bool range_answer_fits(const connection_ptr& connection) const;
    void on_tick(const boost::system::error_code& ec);
    void arm_timer();
    void end_single();
    void fail_write(const boost::system::error_code& ec);
    // Cancels the tick and closes every stream, so the event loop runs dry;
    // the cancelled tick still writes the resume file and closes the storage.
    void end_transfer();
    void update_meta();
    bool open_meta();
    void finish();
    static std::string range_header(std::int64_t first, std::int64_t last);

    boost::asio::io_context& io_;
    mutable std::mutex connections_lock_;
    std::list<connection_ptr> connections_;
    url final_url_;
    bool accept_multi_ = false;
    bool keep_alive_ = false;
    std::atomic<std::int64_t> file_size_{-1};
    std::wstring file_name_;
    settings settings_;
    request_opts range_options_;
    boost::asio::steady_timer timer_;
    std::int64_t bytes_this_second_ = 0;
    std::atomic<int> rate_{0};
    std::unique_ptr<storage_interface> storage_;
    resume_file meta_;
    rangefield downloading_;
    rangefield downloaded_;
    int rate_budget_ = -1;
    std::atomic<bool> abort_{true};
    std::mutex allocation_lock_;
    // Guards what other threads read: the file name and the write error.
    mutable std::mutex state_lock_;
    boost::system::error_code write_error_;
};

}  // namespace dlengine
